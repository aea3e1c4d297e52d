#!/usr/bin/env bash
# A summon chord of the user's own from Varnel.cfg, named by --help. (Not Ctrl+Alt+F12: the
# X server keeps Ctrl+Alt+F1..F12 for switching consoles.)
. "$(dirname "$0")/lib.sh"
printf '[Keys]\nSummon=Ctrl+Shift+F12\n' >"$VARNEL_CFG"
"$VARNEL_BIN" --help | grep -q "(Ctrl+Shift+F12 summons it" || fail "--help does not name the chord: $("$VARNEL_BIN" --help)"
pass "--help names the chord from the settings file"

start_desktop
start_app AppA 40
start_varnel

keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"
activate "$APP_WIN" || fail "the test window did not come to the front"
keys ctrl+alt+slash
sleep 1
is_active "$APP_WIN" || fail "Ctrl+Alt+/ still summons with Summon=Ctrl+Shift+F12"
not_viewable "$VARNEL_WIN" || fail "the window came back on Ctrl+Alt+/"
keys ctrl+shift+F12
wait_for 5 is_active "$VARNEL_WIN" || fail "Ctrl+Shift+F12 did not summon"
pass "Summon=Ctrl+Shift+F12 summons on Ctrl+Shift+F12 and not on Ctrl+Alt+/"

# An unreadable chord: the default, and one line that says so.
keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"
printf '[Keys]\nSummon=Ctrl+Alt+Banana\n' >"$VARNEL_CFG"
help=$("$VARNEL_BIN" --help 2>"$WORK/help.err") || fail "--help failed"
grep -q "(Ctrl+Alt+/ summons it" <<<"$help" || fail "--help does not name the default: $help"
grep -q "Summon=Ctrl+Alt+Banana" "$WORK/help.err" || fail "the unreadable chord is not reported"
pass "an unreadable chord falls back to Ctrl+Alt+/ and is reported"
