#!/usr/bin/env bash
# `make run` without a display: with the display the script once took (:57) held by another
# server, it must start Varnel on a free display of its own and photograph Varnel there.
. "$(dirname "$0")/lib.sh"
RUN=$(cd "$(dirname "$0")/../.." && pwd)/scripts/run.sh
TAKEN=:57

if ! DISPLAY=$TAKEN xdpyinfo >/dev/null 2>&1; then
  Xvfb "$TAKEN" -screen 0 800x600x24 -nolisten tcp -noreset >"$WORK/taken.log" 2>&1 &
  PIDS+=($!)
  wait_for 15 env DISPLAY=$TAKEN xdpyinfo || fail "could not occupy $TAKEN: $(cat "$WORK/taken.log")"
fi
# Any window of class Varnel that shows up on the occupied display is a fault.
(
  while :; do
    DISPLAY=$TAKEN xdotool search --class '^Varnel$' >>"$WORK/intruders" 2>/dev/null
    sleep 0.1
  done
) &
PIDS+=($!)

SHOT=$WORK/shot.png
env -u DISPLAY -u WAYLAND_DISPLAY VARNEL_SCREENSHOT="$SHOT" timeout 90 bash "$RUN" \
  >"$WORK/run.out" 2>&1
rc=$?
[ "$rc" -eq 0 ] || fail "run.sh exited $rc: $(cat "$WORK/run.out")"
[ -s "$WORK/intruders" ] && fail "Varnel started on the occupied display $TAKEN"
used=$(grep -o 'display :[0-9]*' "$WORK/run.out" | head -n 1)
[ -n "$used" ] || fail "run.sh did not say which display it used: $(cat "$WORK/run.out")"
[ "$used" != "display $TAKEN" ] || fail "run.sh says it used $TAKEN"
pass "run.sh used its own $used while $TAKEN was taken"

[ -s "$SHOT" ] || fail "no screenshot at $SHOT"
histogram=$(convert "$SHOT" -format %c histogram:info:)
grep -qi '#0073E6' <<<"$histogram" || fail "the screenshot does not show Varnel's heading blue"
pass "the screenshot shows Varnel"

# No server at all: a clear failure, not a screenshot of nothing.
mkdir -p "$WORK/bin"
printf '#!/bin/sh\necho "Xvfb: cannot start" >&2\nexit 1\n' >"$WORK/bin/Xvfb"
chmod +x "$WORK/bin/Xvfb"
env -u DISPLAY -u WAYLAND_DISPLAY PATH="$WORK/bin:$PATH" VARNEL_SCREENSHOT="$WORK/none.png" \
  timeout 90 bash "$RUN" >"$WORK/fail.out" 2>&1
rc=$?
[ "$rc" -ne 0 ] || fail "run.sh succeeded without a display: $(cat "$WORK/fail.out")"
grep -q 'no private X display' "$WORK/fail.out" || fail "unclear failure: $(cat "$WORK/fail.out")"
[ -e "$WORK/none.png" ] && fail "a screenshot was saved without a display"
pass "run.sh fails clearly when no display can start"
