#!/usr/bin/env bash
# Sticky keys, for those who cannot hold keys together: Ctrl and Alt pressed one after the
# other (latched) or pressed twice (locked), then /, summon the window as the chord does.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
start_varnel

# The X server latches or locks modifiers as its sticky keys do (XTEST's keys bypass the
# feature itself); the key that follows carries them in its state.
modifiers() { python3 "$(dirname "$0")/xkb_state.py" "$@" || fail "xkb_state.py $*"; }
CTRL=4 ALT=8

back_to_app() {
  keys Escape
  wait_for 5 is_active "$APP_WIN" || fail "Escape did not hand the foreground back"
}
back_to_app

modifiers latch $((CTRL | ALT))
keys slash
wait_for 5 is_active "$VARNEL_WIN" || fail "Ctrl and Alt latched, then /: no summons"
pass "Ctrl and Alt latched, then /, summon the window"
back_to_app

modifiers lock $((CTRL | ALT))
keys slash
modifiers lock 0
wait_for 5 is_active "$VARNEL_WIN" || fail "Ctrl and Alt locked, then /: no summons"
pass "Ctrl and Alt locked, then /, summon the window"
back_to_app

modifiers latch $CTRL
keys slash
sleep 1
is_active "$APP_WIN" || fail "Ctrl alone latched, then /, summoned the window"
pass "Ctrl alone latched, then /, is no chord"
