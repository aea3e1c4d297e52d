#!/usr/bin/env bash
# The tray icon under an XEmbed tray host (trayer): docked, its menu by right click and by
# keyboard, Search, Start at login, closing the window only hides it, Quit ends the program.
# Saves the open menu as tray-menu.png in the build folder.
. "$(dirname "$0")/lib.sh"
command -v trayer >/dev/null || { echo "SKIP: trayer missing"; exit 0; }
export XDG_CONFIG_HOME=$WORK/config
AUTOSTART=$XDG_CONFIG_HOME/autostart/varnel.desktop
OUT=${E2E_OUT:-$WORK}

start_desktop
trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 28 \
  --expand false --SetDockType true --transparent false --tint 0xdddddd >"$WORK/trayer.log" 2>&1 &
PIDS+=($!)
wait_for 10 xdotool search --classname '^panel$' || fail "trayer did not start: $(cat "$WORK/trayer.log")"
PANEL=$(xdotool search --classname '^panel$' | head -n 1)
start_app AppA 40
start_varnel

# The icon: a window of the program's class docked inside the tray host's panel.
tray_icon() { xwininfo -tree -id "$PANEL" | awk '/"varnel" "Varnel"/ { print $1; exit }' | grep .; }
wait_for 10 tray_icon || fail "no icon docked in the tray: $(xwininfo -tree -id "$PANEL")"
ICON=$(tray_icon)
wait_for 10 is_viewable "$ICON" || fail "the docked icon is not shown"
pass "the icon is docked in the tray host"

# The open menu: a visible window of the program's class that is neither the search window
# nor the icon.
menu_window() {
  local w
  for w in $(xdotool search --onlyvisible --class '^Varnel$' 2>/dev/null); do
    [ "$w" = "$VARNEL_WIN" ] && continue
    [ "$(printf '0x%x' "$w")" = "$ICON" ] && continue
    xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && { echo "$w"; return 0; }
  done
  return 1
}
open_menu() {
  local x y w h
  read -r x y w h < <(xwininfo -id "$ICON" | awk '/Absolute upper-left X/ { x = $NF }
    /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF }
    END { print x, y, w, h }')
  # The host may still be embedding the icon: a click that came too early is tried again.
  for _ in 1 2 3; do
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
    wait_for 3 menu_window && { sleep 0.3; return 0; }
  done
  fail "the tray menu did not open"
}
menu_closed() { ! menu_window; }
parked() {  # the search window is off screen or unmapped
  not_viewable "$VARNEL_WIN" && return 0
  [ "$(xwininfo -id "$VARNEL_WIN" | awk '/Absolute upper-left Y/ { print $NF }')" -lt 0 ]
}

keys Escape
wait_for 5 parked || fail "Escape did not dismiss the window"
activate "$APP_WIN" || fail "AppA could not be activated"

open_menu
xwd -silent -root >"$WORK/menu.xwd" || fail "xwd failed"
read -r mx my < <(xwininfo -id "$(menu_window)" | awk '/Absolute upper-left X/ { x = $NF }
  /Absolute upper-left Y/ { y = $NF } END { print x, y }')
# The menu and the icon above it, with a margin.
convert "xwd:$WORK/menu.xwd" -crop "360x200+$((mx - 180 > 0 ? mx - 180 : 0))+0" +repage \
  "$OUT/tray-menu.png" || fail "convert failed"
pass "the menu opens on a right click (saved as $OUT/tray-menu.png)"

# Every entry has its mnemonic: the menu is driven by keys from here on.
keys s
wait_for 5 is_active "$VARNEL_WIN" || fail "Search did not bring the window forward"
wait_for 5 is_viewable "$VARNEL_WIN" || fail "Search did not show the window"
pass "Search summons the window"
keys Escape
wait_for 5 parked || fail "Escape did not dismiss the window"

# A plain click on the icon summons the window too.
activate "$APP_WIN" || fail "AppA could not be activated"
read -r ix iy < <(xwininfo -id "$ICON" | awk '/Absolute upper-left X/ { x = $NF }
  /Absolute upper-left Y/ { y = $NF } END { print x + 4, y + 4 }')
xdotool mousemove "$ix" "$iy" click 1
wait_for 5 is_active "$VARNEL_WIN" || fail "a click on the icon did not bring the window"
pass "a click on the icon summons the window"
keys Escape
wait_for 5 parked || fail "Escape did not dismiss the window"

open_menu
keys l
wait_for 5 test -f "$AUTOSTART" || fail "Start at login wrote no $AUTOSTART"
grep -qxF "Exec=\"$(readlink -f "$VARNEL_BIN")\"" "$AUTOSTART" || fail "autostart entry: $(cat "$AUTOSTART")"
desktop-file-validate "$AUTOSTART" 2>/dev/null || ! command -v desktop-file-validate >/dev/null \
  || fail "invalid autostart entry: $(desktop-file-validate "$AUTOSTART")"
open_menu
keys l
wait_for 5 test ! -e "$AUTOSTART" || fail "Start at login off left $AUTOSTART"
pass "Start at login writes and removes the autostart entry"

open_menu
keys a
wait_for 5 xdotool search --onlyvisible --name '^About Varnel$' || fail "About showed no box"
ABOUT=$(xdotool search --onlyvisible --name '^About Varnel$' | head -n 1)
activate "$ABOUT"
keys Return
wait_for 5 sh -c "! xdotool search --onlyvisible --name '^About Varnel\$'" || fail "About box stayed"
pass "About shows its box"

# Voice commands: with no recogniser the switch stays off; the program goes on.
open_menu
keys v
wait_for 5 menu_closed || fail "the menu stayed open after Voice commands"
dismiss_boxes
kill -0 "$VARNEL_PID" || fail "Voice commands ended the program"
pass "Voice commands is chosen without harm"

# Closing the window with the tray present only hides it.
summon || fail "the hot key did not bring the window"
alt_key F4
wait_for 5 parked || fail "closing did not hide the window"
sleep 0.5
kill -0 "$VARNEL_PID" || fail "closing ended the program although the tray is there"
summon || fail "the hot key did not bring the window back after the close"
pass "closing the window hides it and the program stays"
keys Escape
wait_for 5 parked || fail "Escape did not dismiss the window"

open_menu
keys q
wait_for 10 sh -c "! kill -0 $VARNEL_PID" || fail "Quit did not end the program"
wait_for 5 sh -c "! xwininfo -tree -id $PANEL | grep -q '\"varnel\" \"Varnel\"'" \
  || fail "the icon stayed in the tray"
pass "Quit ends the program and takes the icon down"
