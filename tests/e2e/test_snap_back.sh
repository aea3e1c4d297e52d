#!/usr/bin/env bash
# "Snap Back" returns the foreground to the application used before the current one.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
A=$APP_WIN
start_app AppB 320
B=$APP_WIN
start_varnel
keys Escape

# The polling remembers the foreground every 1.5 s.
activate "$A"
sleep 2
activate "$B"
sleep 2
timeout 20 "$VARNEL_BIN" --command "Snap Back" >"$WORK/cmd.log" 2>&1 || fail "varnel --command failed: $(cat "$WORK/cmd.log")"
wait_for 5 is_active "$A" || fail "Snap Back did not bring AppA to the front (active: $(active_window))"
pass "Snap Back hands the foreground back to the previous application"

sleep 2
timeout 20 "$VARNEL_BIN" --command "Snap Back" >"$WORK/cmd.log" 2>&1 || fail "second Snap Back failed"
wait_for 5 is_active "$B" || fail "a second Snap Back did not return to AppB"
pass "Snap Back twice swaps between the two"
