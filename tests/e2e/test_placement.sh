#!/usr/bin/env bash
# The window comes up where the program puts it, frame included, at every summons: centred
# across, a little above the middle; a window dragged elsewhere keeps its Left.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
start_varnel

read -r fx fy fw fh <<<"$(frame_geometry "$VARNEL_WIN")"
read -r _ _ cw ch <<<"$(xwininfo -id "$VARNEL_WIN" | awk '/Width:/ {w=$NF} /Height:/ {h=$NF} END {print 0, 0, w, h}')"
read -r sw sh <<<"$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')"
# The program's own arithmetic, in twips (15 a pixel): centred on the window as first built
# (no frame yet), raised by a quarter, and the working Top three quarters of that.
read -r want_x want_y <<<"$(awk -v sw="$sw" -v sh="$sh" -v w="$cw" -v h="$ch" 'BEGIN {
  left = int(sw * 15 / 2) - int(w * 15 / 2)
  top = int(sh * 15 / 2) - int(h * 15 / 2)
  raised = int(top * 0.75 + 0.5); boxtop = int(raised * 0.75 + 0.5)
  printf "%d %d\n", int(left / 15 + 0.5), int(boxtop / 15 + 0.5) }')"
near() { [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]; }
near "$fx" "$want_x" && near "$fy" "$want_y" \
  || fail "first showing: frame at $fx,$fy, the program's place is $want_x,$want_y"
pass "first showing at the program's place ($fx,$fy, frame ${fw}x$fh)"

first_x=$fx first_y=$fy
for i in 1 2 3 4; do
  summon_again "$APP_WIN"
  [ "$fx,$fy" = "$first_x,$first_y" ] \
    || fail "summons $i: frame at $fx,$fy, first shown at $first_x,$first_y"
done
pass "four summons: the frame stays at $fx,$fy"

# A drag by the title bar: the new Left stays, the Top goes back to the working Top.
drag_title_bar "$fx" "$fy" 200 80
read -r dx dy _ _ <<<"$(frame_geometry "$VARNEL_WIN")"
[ "$dx" -ne "$fx" ] || fail "the drag did not move the window (frame at $dx,$dy)"
for i in 1 2; do
  summon_again "$APP_WIN"
  [ "$fx,$fy" = "$dx,$first_y" ] \
    || fail "summons $i after a drag to $dx,$dy: frame at $fx,$fy, expected $dx,$first_y"
done
pass "a dragged window keeps its Left ($dx) and comes back at the working Top ($fy)"
