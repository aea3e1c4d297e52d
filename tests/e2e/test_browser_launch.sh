#!/usr/bin/env bash
# Which program opens a search: every $BROWSER entry in order, then xdg-open, then the
# desktop's handler for https. When none starts, `--search` fails and the window stays up
# with its terms and says so.
. "$(dirname "$0")/lib.sh"

# The program sees only what each case puts in its own PATH and desktop folders: no
# xdg-open and no https handler unless a case adds one.
BIN=$WORK/bin
mkdir -p "$BIN" "$WORK/data/applications" "$WORK/config"
REAL_BIN=$VARNEL_BIN
VARNEL_BIN=$WORK/varnel
cat >"$VARNEL_BIN" <<WRAPPER
#!/bin/sh
export PATH='$BIN' XDG_DATA_HOME='$WORK/data' XDG_DATA_DIRS='$WORK/data' \
  XDG_CONFIG_HOME='$WORK/config' XDG_CONFIG_DIRS='$WORK/config'
exec '$REAL_BIN' "\$@"
WRAPPER
chmod +x "$VARNEL_BIN"
RECORDER=$BROWSER
MISSING=$WORK/no-such-browser

# search_with BROWSER-VALUE TERMS: `varnel --search` with that $BROWSER ("-" = unset).
search_with() {
  local var=$1; shift
  if [ "$var" = - ]; then
    env -u BROWSER "$VARNEL_BIN" --search "$@" 2>"$WORK/err"
  else
    BROWSER=$var "$VARNEL_BIN" --search "$@" 2>"$WORK/err"
  fi
}

search_with "$MISSING:$RECORDER %s" one || fail "search with a later \$BROWSER entry failed"
expect_url one
pass "a \$BROWSER entry that does not start is passed over for the next"

cp "$RECORDER" "$BIN/xdg-open"
search_with "$MISSING" two || fail "search through xdg-open failed"
expect_url two
rm "$BIN/xdg-open"
pass "xdg-open opens the search when no \$BROWSER entry starts"

cat >"$WORK/data/applications/varnel-test-browser.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Test browser
Exec=$RECORDER %u
MimeType=x-scheme-handler/https;
DESKTOP
printf '[Default Applications]\nx-scheme-handler/https=varnel-test-browser.desktop\n' \
  >"$WORK/config/mimeapps.list"
search_with - three || fail "search through the desktop's handler failed: $(cat "$WORK/err")"
expect_url three
rm "$WORK/config/mimeapps.list" "$WORK/data/applications/varnel-test-browser.desktop"
pass "the desktop's https handler opens the search without \$BROWSER and xdg-open"

before=$(url_count)
search_with "$MISSING" four
rc=$?
[ "$rc" = 1 ] || fail "--search with no browser exited $rc"
[ "$(wc -l <"$WORK/err")" = 1 ] || fail "expected one line on stderr: $(cat "$WORK/err")"
[ "$(url_count)" = "$before" ] || fail "something opened the search"
history_is three || fail "the failed search changed the history: $(cat "$VARNEL_CFG")"
pass "--search with no browser says so on one line and exits 1"

# The window: the browser appears only after the first attempt.
LATE=$BIN/late-browser
export BROWSER=$LATE
start_desktop
start_app AppA 40
start_varnel
type_text "kept terms"
keys Return
message_box() { xdotool search --onlyvisible --name '^Varnel$'; }
wait_for 10 message_box || fail "no message said that no browser started"
dismiss_boxes
wait_for 5 sh -c "! xdotool search --onlyvisible --name '^Varnel\$'" || fail "the message stayed"
is_viewable "$VARNEL_WIN" || fail "the window left the screen"
wait_for 5 is_active "$VARNEL_WIN" || fail "the window is not in front after the message"
history_is three || fail "the failed search changed the history: $(cat "$VARNEL_CFG")"
pass "Enter with no browser keeps the window up and says so"

cp "$RECORDER" "$LATE"
keys Return
expect_url kept terms
wait_for 5 history_is "kept terms" || fail "history not saved: $(cat "$VARNEL_CFG")"
wait_for 5 not_viewable "$VARNEL_WIN" || fail "the search did not park the window"
pass "the kept terms search once a browser starts"
