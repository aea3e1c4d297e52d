#!/usr/bin/env bash
# Two layouts in one keyboard map, switched by group as desktops do (us,de): the summon chord
# follows the layout in force, and the key that types "/" on the other layout is no chord.
. "$(dirname "$0")/lib.sh"
start_desktop
setxkbmap -layout us,de || fail "setxkbmap -layout us,de"
start_app AppA 40
start_varnel
xkb() { python3 "$(dirname "$0")/xkb_state.py" "$@" || fail "xkb_state.py $*"; }
GERMAN=1 US=0

# chord KEYSYM...: from the test window, the keys that have the first group's KEYSYMs, pressed
# in the group in force (xdotool would switch to the first group that has the character);
# true when they bring the search window up.
chord() {
  if is_viewable "$VARNEL_WIN"; then
    keys Escape
    wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"
  fi
  wait_for 5 is_active "$APP_WIN" || activate "$APP_WIN" || fail "the test window is not in front"
  xkb press "$@"
  wait_for 3 is_active "$VARNEL_WIN"
}

xkb group $GERMAN
chord Control_L Alt_L Shift_L 7 || fail "German group: Ctrl+Alt+Shift+7 (\"/\") did not summon"
pass "German group: Ctrl+Alt+Shift+7 summons"
# The US "/" key types "-" there.
! chord Control_L Alt_L slash || fail "German group: Ctrl+Alt+- (the US \"/\" key) summoned"
pass "German group: the US \"/\" key makes no chord"

xkb group $US
chord Control_L Alt_L slash || fail "back in the US group: Ctrl+Alt+/ did not summon"
! chord Control_L Alt_L Shift_L 7 || fail "US group: Ctrl+Alt+Shift+7 (\"&\") summoned"
pass "back in the US group: Ctrl+Alt+/ summons, Ctrl+Alt+Shift+7 does not"

# Voice commands' keys in the group in force: on the French layout A and Q trade places, and
# "Select All" typed as the US layout's A would be Ctrl+Q, which quits many programs.
RECORDER=${VARNEL_RECORDER:-}
[ -x "$RECORDER" ] || fail "build varnel_keys_recorder first ('$RECORDER')"
setxkbmap -layout us,fr || fail "setxkbmap -layout us,fr"
keys Escape
LOG=$WORK/keys.log
"$RECORDER" KeyLog "$LOG" &
PIDS+=($!)
wait_for 10 xdotool search --name '^KeyLog$' || fail "the key recorder did not appear"
activate "$(xdotool search --name '^KeyLog$' | head -n 1)" || fail "the key recorder is not in front"
FRENCH=1
xkb group $FRENCH
: >"$LOG"
timeout 20 "$VARNEL_BIN" --command "Select All" >"$WORK/cmd.log" 2>&1 || fail "$(cat "$WORK/cmd.log")"
wait_for 10 grep -q '^down' "$LOG" || fail "'Select All' sent no keys"
[ "$(tr '\n' ' ' <"$LOG")" = "+17 +65 -65 -17 down 0 " ] \
  || fail "French group: 'Select All' sent $(tr '\n' ' ' <"$LOG") (65 is A, 81 Q)"
pass "French group: 'Select All' sends Ctrl+A, not the US A key's Ctrl+Q"
