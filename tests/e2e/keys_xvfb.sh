#!/bin/sh
# Runs the key injection test on a private Xvfb display with a window manager, and stops both
# whatever happens. The server picks a free display number itself and reports it once ready.
set -u
test_bin="$1"
work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-keys.XXXXXX")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
for _ in $(seq 150); do
  grep -qx '[0-9][0-9]*' "$work/display" 2>/dev/null && break
  sleep 0.1
done
if ! grep -qx '[0-9][0-9]*' "$work/display" 2>/dev/null; then
  echo "keys_xvfb: Xvfb did not start" >&2
  exit 1
fi
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 150); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
"$test_bin" --gtest_brief=1
