#!/usr/bin/env bash
# Summoning from another application, searching with scope and date keys, history, parking.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
start_varnel

keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"
wait_for 5 is_active "$APP_WIN" || fail "the previous window did not get the foreground back"
pass "Escape parks and hands the foreground back"

activate "$APP_WIN"
summon || fail "Ctrl+Alt+/ did not bring the search window to the front"
pass "Ctrl+Alt+/ summons the window"

type_text "alpha beta"
alt_key n
alt_key 2
keys Return
expect_url --scope news --date hour alpha beta
wait_for 5 history_is "alpha beta" || fail "history not saved: $(cat "$VARNEL_CFG")"
wait_for 5 not_viewable "$VARNEL_WIN" || fail "the search did not park the window"
pass "typing, Alt+N, Alt+2 and Enter search the news of the past hour"

# The terms come back selected: typing replaces them.
activate "$APP_WIN"
summon || fail "second summons failed"
type_text "gamma"
keys Return
expect_url --scope news --date hour gamma
wait_for 5 not_viewable "$VARNEL_WIN" || fail "the search did not park the window"
pass "a summons selects the previous terms"

# Alt+E back to everything, Alt+1 back to anytime (after typing: an accelerator leaves the
# focus on its option); summoning the window while on screen keeps it there.
summon || fail "summons while parked failed"
summon || fail "summons while on screen failed"
type_text "delta"
alt_key e
alt_key 1
keys Return
expect_url --scope everything --date anytime delta
pass "accelerators of the scope and date options"

# Minimising parks it: it comes back normal, not minimised.
activate "$APP_WIN"
summon || fail "summons before minimise failed"
xdotool windowminimize "$VARNEL_WIN"
wait_for 5 not_viewable "$VARNEL_WIN" || fail "minimise did not park"
summon || fail "summons after minimise failed"
is_viewable "$VARNEL_WIN" || fail "window not shown after minimise and summons"
pass "minimise parks the window"

# Enter and Ctrl+Alt+/ in one go: the window parks and is back before the input focus has
# left it. It must be the active window again, its accelerators working.
type_text "epsilon"
xdotool key --delay 30 Return ctrl+alt+slash
expect_url --scope everything --date anytime epsilon
wait_for 5 is_viewable "$VARNEL_WIN" || fail "the window did not come back"
wait_for 5 is_active "$VARNEL_WIN" || fail "the window is not in front after coming back"
type_text "zeta"
alt_key i
alt_key 4
keys Return
expect_url --scope images --date week zeta
pass "a summons while the window parks leaves it active"
