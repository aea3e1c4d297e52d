#!/usr/bin/env bash
# One resident instance: a second start hands off; stale and foreign handles do not swallow a
# start; closing the window, or another client destroying it, ends the program.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40

# A handle that names no window: the start becomes the running instance.
printf '[Application]\r\nAppHwnd=123456789\r\n' >"$VARNEL_CFG"
start_varnel
grep -q "AppHwnd=$((VARNEL_WIN))" "$VARNEL_CFG" || fail "handle not recorded: $(cat "$VARNEL_CFG")"
pass "a stale handle does not stop the start; the new handle is recorded"

keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park"
activate "$APP_WIN"
cp "$VARNEL_CFG" "$WORK/before.cfg"
start=$SECONDS
timeout 20 "$VARNEL_BIN" >"$WORK/second.log" 2>&1
rc=$?
[ "$rc" -eq 0 ] || fail "second start exited $rc"
[ $((SECONDS - start)) -le 5 ] || fail "second start took too long"
wait_for 5 is_active "$VARNEL_WIN" || fail "the running instance did not come to the front"
[ "$(varnel_window)" = "$VARNEL_WIN" ] || fail "the second start left a window"
cmp -s "$VARNEL_CFG" "$WORK/before.cfg" || fail "the second start touched the settings file"
pass "a second start hands off and exits 0 without a window"

# Closing the window (Alt+F4 through the window manager) ends the program.
keys alt+F4
wait_for 10 sh -c "! kill -0 $VARNEL_PID" || fail "closing the window did not end the program"
wait "$VARNEL_PID"
rc=$?
[ "$rc" -eq 0 ] || fail "the program exited $rc after closing"
pass "closing the window ends the program"

# The handle left behind now belongs to someone else: it must not swallow the start.
printf '[Application]\r\nAppHwnd=%d\r\n' "$APP_WIN" >"$VARNEL_CFG"
start_varnel
kill -0 "$VARNEL_PID" || fail "a foreign window's handle swallowed the start"
pass "a foreign window's handle does not swallow a start"

# Another client destroys the window by its id (as xkill-like tools do): the program ends as
# closing the window does, and the next start is the one running instance.
xdotool windowclose "$VARNEL_WIN"
wait_for 10 sh -c "! kill -0 $VARNEL_PID" || fail "a window destroyed from outside left the program running"
wait "$VARNEL_PID"
rc=$?
[ "$rc" -eq 0 ] || fail "the program exited $rc after its window was destroyed"
start_varnel
pass "a window destroyed from outside ends the program"
