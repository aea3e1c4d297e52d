#!/usr/bin/env bash
# Two monitors: the window comes up on the monitor of the application it was summoned from,
# at the same place within it; a monitor unplugged or moved never leaves it out of sight.
. "$(dirname "$0")/lib.sh"
command -v Xorg >/dev/null && [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] \
  || { echo "SKIP: the X server or its dummy driver missing"; exit 0; }
start_monitors_desktop

LEFT_W=1280 LEFT_H=1024 RIGHT_W=1024 RIGHT_H=768
xrandr --output DUMMY0 --mode ${LEFT_W}x$LEFT_H --primary
xrandr --addmode DUMMY1 ${RIGHT_W}x$RIGHT_H
xrandr --output DUMMY1 --mode ${RIGHT_W}x$RIGHT_H --right-of DUMMY0
wait_for 5 sh -c 'xrandr --listmonitors | grep -q "^Monitors: 2"' || fail "no second monitor"

start_app AppLeft 40
start_app AppRight $((LEFT_W + 400))
LEFT_APP=$(xdotool search --name '^AppLeft$' | head -n 1)
RIGHT_APP=$APP_WIN
activate "$LEFT_APP"
start_varnel

# inside X Y W H FX FY FW FH: the frame lies wholly within that monitor.
inside() {
  [ "$5" -ge "$1" ] && [ "$6" -ge "$2" ] && [ $(($5 + $7)) -le $(($1 + $3)) ] \
    && [ $(($6 + $8)) -le $(($2 + $4)) ]
}
# centred_across X W FX FW: the frame is centred across that monitor, give or take the frame's
# borders (the first showing centres the window before it has a frame).
centred_across() {
  local want=$(($1 + ($2 - $4) / 2)) slack
  slack=$(($4 - $(xwininfo -id "$VARNEL_WIN" | awk '/Width:/ {print $NF}') + 1))
  [ $(($3 - want)) -ge -$slack ] && [ $(($3 - want)) -le $slack ]
}
# back_at APP X Y WHAT: summoned from APP, the window's frame is at X,Y.
back_at() {
  summon_again "$1"
  [ "$fx,$fy" = "$2,$3" ] || fail "$4: frame at $fx,$fy, expected $2,$3"
}

read -r x0 y0 w0 h0 <<<"$(frame_geometry "$VARNEL_WIN")"
inside 0 0 $LEFT_W $LEFT_H "$x0" "$y0" "$w0" "$h0" && centred_across 0 $LEFT_W "$x0" "$w0" \
  || fail "first showing from the left monitor's application: frame at $x0,$y0 ${w0}x$h0"
pass "first showing centred across the monitor in front ($x0,$y0)"

summon_again "$RIGHT_APP"
inside $LEFT_W 0 $RIGHT_W $RIGHT_H "$fx" "$fy" "$fw" "$fh" \
  && centred_across $LEFT_W $RIGHT_W "$fx" "$fw" && [ "$fy" = "$y0" ] \
  || fail "summoned from the right monitor: frame at $fx,$fy, not centred across it at top $y0"
pass "summoned from the right monitor, the window comes up there ($fx,$fy)"
right_x=$fx

back_at "$RIGHT_APP" "$right_x" "$y0" "again from the right monitor"
back_at "$LEFT_APP" "$x0" "$y0" "back from the left monitor"
pass "each monitor keeps the window's place on it"

# Dragged on the right monitor, it comes back there at the dragged left.
summon_again "$RIGHT_APP"
drag_title_bar "$fx" "$fy" -100 80
read -r dx _ _ _ <<<"$(frame_geometry "$VARNEL_WIN")"
[ "$dx" -ne "$fx" ] || fail "the drag did not move the window"
back_at "$LEFT_APP" "$x0" "$y0" "on the left monitor after a drag on the right"
back_at "$RIGHT_APP" "$dx" "$y0" "back on the right monitor after a drag there"
pass "a drag on one monitor is kept for that monitor ($dx)"

# Unplugged while the window is parked there: it comes back on a monitor that is.
summon_again "$RIGHT_APP"
keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park"
xrandr --output DUMMY1 --off
wait_for 5 sh -c 'xrandr --listmonitors | grep -q "^Monitors: 1"' || fail "the monitor stayed"
activate "$LEFT_APP"
summon || fail "no summons after the right monitor went"
sleep 0.3
read -r fx fy fw fh <<<"$(frame_geometry "$VARNEL_WIN")"
[ "$fx,$fy" = "$x0,$y0" ] \
  || fail "after the right monitor went: frame at $fx,$fy, not at its place $x0,$y0 on the one left"
pass "a monitor unplugged: the window comes back at its place on the one left ($fx,$fy)"

# The primary monitor to the right of another: the window is centred across the primary
# one, not across the screen's first pixels.
xrandr --output DUMMY1 --mode ${RIGHT_W}x$RIGHT_H --left-of DUMMY0
wait_for 5 sh -c 'xrandr --listmonitors | grep -q "^Monitors: 2"' || fail "no second monitor"
xdotool windowmove "$LEFT_APP" $((RIGHT_W + 40)) 60
summon_again "$LEFT_APP"
[ "$fx,$fy" = "$((RIGHT_W + x0)),$y0" ] \
  || fail "from the primary monitor moved to x $RIGHT_W: frame at $fx,$fy, not at its place on it"
pass "the primary monitor moved right of the other: the window keeps its place on it ($fx,$fy)"

# A monitor too small for the window: it is scaled down to fit there, and is its own size
# again on the bigger monitor.
SMALL_W=640 SMALL_H=480
xrandr --addmode DUMMY1 ${SMALL_W}x$SMALL_H
xrandr --output DUMMY1 --mode ${SMALL_W}x$SMALL_H --left-of DUMMY0
wait_for 5 sh -c "xrandr --listmonitors | grep -q ' ${SMALL_W}/[0-9]*x${SMALL_H}/'" \
  || fail "the small monitor did not come"
xdotool windowmove "$RIGHT_APP" 40 60
xdotool windowmove "$LEFT_APP" $((SMALL_W + 40)) 60
summon_again "$RIGHT_APP"
inside 0 0 $SMALL_W $SMALL_H "$fx" "$fy" "$fw" "$fh" \
  || fail "on the small monitor: frame at $fx,$fy ${fw}x$fh, not within ${SMALL_W}x$SMALL_H"
pass "scaled down to fit the small monitor (${fw}x$fh)"
summon_again "$LEFT_APP"
[ "${fw}x$fh" = "${w0}x$h0" ] \
  || fail "back on the big monitor the frame is ${fw}x$fh, not its own ${w0}x$h0"
pass "back on the big monitor, the window is its own size again"
