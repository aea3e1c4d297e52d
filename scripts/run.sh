#!/usr/bin/env bash
# Builds the program and starts it on the current display. Without a display it starts a
# private Xvfb with openbox, shows the window, saves a screenshot, says where, and stops.
# VARNEL_BIN runs that binary instead of building; VARNEL_SCREENSHOT names the picture.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${VARNEL_BIN:-}" ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j "$(nproc)" --target varnel
fi
bin=${VARNEL_BIN:-$PWD/build/varnel}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$bin" "$@"
fi

shot=${VARNEL_SCREENSHOT:-$PWD/build/varnel-screenshot.png}
work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-run.XXXXXX")
pids=()
stop() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  rm -rf "$work"
}
trap stop EXIT
die() { echo "run: $*" >&2; exit 1; }
# wait_for SECONDS COMMAND...: true once the command succeeds.
wait_for() {
  local end=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

# The server picks a free display number and writes it once it accepts clients, so Varnel
# never lands on a display that someone else is using.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 15 grep -qx '[0-9][0-9]*' "$work/display" \
  || die "no private X display could be started: $(tail -n 3 "$work/xvfb.log")"
display=:$(head -n 1 "$work/display")
export DISPLAY=$display
openbox --config-file /dev/null >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 15 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' \
  || die "openbox did not start on $display: $(tail -n 3 "$work/openbox.log")"
VARNEL_CFG=${VARNEL_CFG:-$work/Varnel.cfg} "$bin" >"$work/varnel.log" 2>&1 &
pids+=($!)
wait_for 15 xdotool search --name '^ Varnel$' \
  || die "Varnel's window did not appear on $display: $(tail -n 3 "$work/varnel.log")"
sleep 1
xwd -silent -root | convert xwd:- "$shot" || die "the screenshot could not be saved"
echo "No display was set: Varnel ran on the private Xvfb display $display; screenshot saved to $shot"
