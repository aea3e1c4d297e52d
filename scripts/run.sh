#!/usr/bin/env bash
# Builds the program and starts it on the current display. Without a display it starts a
# private Xvfb with openbox, shows the window, saves a screenshot, says where, and stops.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target varnel
bin=$PWD/build/varnel

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$bin" "$@"
fi

display=:57
shot=$PWD/build/varnel-screenshot.png
pids=()
stop() { for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done; }
trap stop EXIT
export DISPLAY=$display
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --config-file /dev/null >/dev/null 2>&1 &
pids+=($!)
sleep 1
VARNEL_CFG=${VARNEL_CFG:-$(mktemp -d)/Varnel.cfg} "$bin" &
pids+=($!)
for _ in $(seq 100); do xdotool search --name '^ Varnel$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
xwd -silent -root | convert xwd:- "$shot"
echo "No display was set: Varnel ran on a private Xvfb display; screenshot saved to $shot"
