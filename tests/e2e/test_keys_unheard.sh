#!/usr/bin/env bash
# An X server that cannot report other programs' keys (no RECORD extension): the program
# still starts, and says once, on standard error and in the window's message line, that the
# summon chord will not be heard and what to do instead.
. "$(dirname "$0")/lib.sh"
XVFB_OPTIONS="-extension RECORD" start_desktop
xdpyinfo -queryExtensions | grep -q RECORD && fail "the server still offers RECORD"
start_varnel
n=$(grep -c "lacks the RECORD extension" "$WORK/varnel.log")
[ "$n" = 1 ] || fail "standard error says it $n times: $(cat "$WORK/varnel.log")"
OUT=${E2E_OUT:-$WORK}
xwd -silent -id "$VARNEL_WIN" | convert xwd:- "$OUT/keys-unheard.png"
pass "no RECORD: said once on standard error (window: $OUT/keys-unheard.png)"

# A summons by a second start still works.
start_app AppA 40
activate "$APP_WIN" || fail "AppA never came to the front"
timeout 20 "$VARNEL_BIN" >/dev/null 2>&1 || fail "the second start failed"
wait_for 5 is_active "$VARNEL_WIN" || fail "a second start did not summon the window"
[ "$(grep -c "lacks the RECORD extension" "$WORK/varnel.log")" = 1 ] || fail "said again on the summons"
pass "a second start summons it, and nothing more is said"
