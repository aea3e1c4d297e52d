#!/usr/bin/env bash
# A screen too small for the design at the desktop's scale: the window is scaled down to fit
# the work area, title bar and all, keeping its proportions.
. "$(dirname "$0")/lib.sh"
SCREEN_SIZE=1366x768 start_desktop
start_app AppA 40
export QT_SCALE_FACTOR=1.5
start_varnel
unset QT_SCALE_FACTOR

read -r ax ay aw ah _ <<<"$(xprop -root _NET_WORKAREA | grep -o '[0-9, ]*$' | tr -d ' ' | tr ',' ' ')"
check_fits() {
  local x y w h
  read -r x y w h <<<"$(frame_geometry "$VARNEL_WIN")"
  [ "$x" -ge "$ax" ] && [ "$y" -ge "$ay" ] && [ $((x + w)) -le $((ax + aw)) ] \
    && [ $((y + h)) -le $((ay + ah)) ] \
    || fail "$1: frame ${w}x$h at $x,$y is not inside the work area ${aw}x$ah at $ax,$ay"
}
check_fits "first showing"
read -r _ _ cw ch <<<"$(xwininfo -id "$VARNEL_WIN" | awk '/Width:/ {w=$NF} /Height:/ {h=$NF} END {print 0, 0, w, h}')"
# The design is 583x541: the same shape within a pixel's rounding.
awk -v w="$cw" -v h="$ch" 'BEGIN { r = (w / h) / (583 / 541); exit !(r > 0.98 && r < 1.02) }' \
  || fail "the window is ${cw}x$ch, not the design's proportions"
pass "the whole frame lies in the work area (window ${cw}x$ch)"

keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park"
activate "$APP_WIN"
summon || fail "the summons did not bring the window"
sleep 0.3
check_fits "after a summons"
OUT=${E2E_OUT:-$WORK}
xwd -silent -root | convert xwd:- "$OUT/small-screen.png"
pass "it still fits after a summons (picture: $OUT/small-screen.png)"
