#!/usr/bin/env bash
# The window's keys as the program decides them, with none of the toolkit's own handling on
# top: an unknown Alt+letter types nothing, arrows step through a group by its order (once
# per press), Alt+F searches.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
start_varnel

type_text "kappa"
alt_key z         # no accelerator: nothing typed
alt_key w         # Wikipedia
keys Down         # the next scope in order, LifeHacker (not the one below it on screen)
keys Return
expect_url --scope lifehacker kappa
pass "Alt+Z types nothing; Down after Alt+W moves once, to the next scope"

activate "$APP_WIN"
summon || fail "summons failed"
type_text "lambda"
keys Left         # in the terms: the caret, not a scope
alt_key e
keys Up           # from the first scope round to the last, Finance
alt_key f         # Find It, not Finance
expect_url --scope finance lambda
pass "Up wraps round the scopes; Alt+F presses Find It"
