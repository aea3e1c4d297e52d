#!/usr/bin/env bash
# With no window manager, or one that knows nothing of EWMH (twm), the search window still
# takes the focus when it comes and hands it back to the application it came from.
. "$(dirname "$0")/lib.sh"
VARNEL_TEST_WM=${VARNEL_TEST_WM:-none}
start_desktop
start_app AppA 40
A=$APP_WIN
start_app AppB 320
B=$APP_WIN
activate "$A" || fail "the test could not focus AppA"
start_varnel

keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park"
wait_for 5 is_active "$A" || fail "Escape left the focus on $(active_window), not AppA ($A)"
pass "Escape hands the focus back to the application below"

summon || fail "Ctrl+Alt+/ did not bring the window with the focus (focus: $(active_window))"
type_text "otters"
keys Return
expect_url otters
wait_for 5 is_active "$A" || fail "a search left the focus on $(active_window), not AppA ($A)"
pass "summoned, a search goes to the browser and the focus back to AppA"

# The foreground is polled every 1.5 s.
activate "$B" || fail "the test could not focus AppB"
sleep 2
activate "$A" || fail "the test could not focus AppA"
sleep 2
timeout 20 "$VARNEL_BIN" --command "Snap Back" >"$WORK/cmd.log" 2>&1 || fail "varnel --command failed: $(cat "$WORK/cmd.log")"
wait_for 5 is_active "$B" || fail "Snap Back left the focus on $(active_window), not AppB ($B)"
pass "Snap Back hands the focus to the application used before"
