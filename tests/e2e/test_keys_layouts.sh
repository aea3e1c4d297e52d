#!/usr/bin/env bash
# The summon chord and the window's chords on German and French layouts, and across layout
# switches while the program runs.
. "$(dirname "$0")/lib.sh"
start_desktop
setxkbmap de || fail "setxkbmap de"
start_app AppA 40
start_varnel

summons_with ctrl+alt+shift+7 || fail "Ctrl+Alt+Shift+7 (\"/\") did not summon on a German layout"
pass "German layout: Ctrl+Alt+Shift+7 summons"

setxkbmap fr || fail "setxkbmap fr"
summons_with ctrl+alt+shift+colon || fail "Ctrl+Alt+Shift+: (\"/\") did not summon on a French layout"
pass "switched to French while running: Ctrl+Alt+Shift+: summons"

# The digit row types '"' for 3 unshifted on AZERTY; Alt on it still picks the third date.
type_text "azerty"
xdotool keydown alt key --delay 30 quotedbl keyup alt
keys Return
expect_url --date day azerty
pass "French layout: Alt on the digit row's third key picks the third date"

setxkbmap us || fail "setxkbmap us"
summons_with ctrl+alt+slash || fail "Ctrl+Alt+/ did not summon after switching back to us"
# Alt let go before the digit, as people and voice tools often do.
type_text "qwerty"
xdotool keydown alt keydown 3 keyup alt keyup 3
keys Return
expect_url --date day qwerty
pass "Alt+3 picks the third date with Alt let go first"

summons_with ctrl+alt+slash || fail "Ctrl+Alt+/ did not summon on us"
type_text "old terms"
xdotool keydown ctrl keydown a keyup ctrl keyup a
type_text "new"
keys Return
expect_url --date day new
pass "Ctrl+A selects the terms with Ctrl let go first"

setxkbmap de || fail "setxkbmap de"
summons_with ctrl+alt+shift+7 || fail "Ctrl+Alt+Shift+7 did not summon after switching us to de"
pass "switched from us to German while running: the German chord summons"

# The right Alt is AltGr on a German layout: Ctrl+AltGr+Shift+7 types a character and never
# summons. On a US one it is a plain Alt, so the right hand alone can make the chord.
keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"
activate "$APP_WIN" || fail "the test window did not come to the front"
xdotool key --delay 30 Control_R+ISO_Level3_Shift+shift+7
sleep 1
is_active "$APP_WIN" || fail "Ctrl+AltGr+Shift+7 summoned on a German layout"
pass "German layout: Ctrl+AltGr+Shift+7 does not summon"

setxkbmap us || fail "setxkbmap us"
summons_with Control_R+Alt_R+slash || fail "right Ctrl+right Alt+/ did not summon on us"
summons_with Control_L+Alt_R+slash || fail "Ctrl+right Alt+/ did not summon on us"
pass "US layout: the right Alt makes the chord"
