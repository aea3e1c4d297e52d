#!/bin/sh
# Runs the key injection test on a private Xvfb display with a window manager, and stops both
# whatever happens.
set -u
test_bin="$1"
display="${VARNEL_KEYS_DISPLAY:-:57}"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
}
trap cleanup EXIT INT TERM
export DISPLAY="$display"
for _ in $(seq 50); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
if ! xdpyinfo >/dev/null 2>&1; then
  echo "keys_xvfb: Xvfb did not start on $display" >&2
  exit 1
fi
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
"$test_bin" --gtest_brief=1
