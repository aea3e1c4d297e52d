#!/usr/bin/env bash
# Tab moves through the groups (terms, dates, voice check box, scopes) and back to the terms,
# never by the toolkit's own order; arrows still move within a group.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
start_varnel

type_text "abc"
keys Tab          # to the date options (Anytime)
keys Down         # Past Hour
keys Tab Tab Tab  # voice check box, scopes, back to the terms with all selected
type_text "zed"
keys Return
expect_url --scope everything --date hour zed
pass "Tab cycles the groups, arrows move within the dates, the terms come back selected"

activate "$APP_WIN"
summon || fail "summons failed"
keys shift+Tab    # Shift+Tab moves forward too
keys Down Down    # Past Hour, then Past Day (the cycle enters at Anytime)
keys shift+Tab shift+Tab shift+Tab
type_text "yak"
keys Return
expect_url --scope everything --date day yak
pass "Shift+Tab moves forward through the same cycle"

# Tab in another application is left alone.
activate "$APP_WIN"
keys Tab
is_active "$APP_WIN" || fail "Tab in another application changed the foreground"
pass "Tab elsewhere is untouched"
