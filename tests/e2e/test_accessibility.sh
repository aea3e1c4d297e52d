#!/usr/bin/env bash
# Every control of the search window has an accessible name: its caption without "&", and
# "Search Terms" for the terms field; the accelerators stay known to assistive technologies.
. "$(dirname "$0")/lib.sh"
PY=/usr/bin/python3
"$PY" -c 'import pyatspi' 2>/dev/null || { echo "pyatspi missing: skipped"; exit 0; }
start_desktop
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 WORK
dbus-run-session -- bash -c 2>"$WORK/dbus.log" '
  "$VARNEL_BIN" >"$WORK/varnel.log" 2>&1 &
  pid=$!
  "'"$PY"'" "'"$(dirname "$0")"'/a11y_names.py" --keys >"$WORK/tree.txt" 2>"$WORK/a11y.err"
  rc=$?
  kill $pid; wait $pid
  exit $rc' || fail "could not read the accessibility tree: $(cat "$WORK/a11y.err")"

missing=0
while IFS= read -r want; do
  grep -qP "\t\Q$want\E\t" "$WORK/tree.txt" || { echo "missing: $want" >&2; missing=1; }
done <<'NAMES'
Search Terms
Search Scope
Everything
Images
Videos
eHow
News
Twitter
Google Plus
StackOverflow
HowStuffWorks
Wikipedia
LifeHacker
Scholar
Wolfram|Alpha
Reddit
Finance
Anytime
Past Hour
Past Day
Past Week
Past Month
Past Year
DO IT
Find It
Voice Commands
Now just say...
Microphone
Date Range
NAMES
[ "$missing" -eq 0 ] || { cat "$WORK/tree.txt" >&2; fail "controls without their accessible names"; }
if grep -qP '^(push button|radio button|check box|text|label)\t\t' "$WORK/tree.txt"; then
  cat "$WORK/tree.txt" >&2
  fail "a control has an empty accessible name"
fi
# The program takes the accelerators itself (the toolkit's own mnemonics are off), yet screen
# readers still learn them from the captions.
for want in 'radio button\tWikipedia\t.*Alt\+W' 'radio button\tHowStuffWorks\t.*Alt\+u' \
  'check box\tVoice Commands\t.*Alt\+V' 'push button\tFind It\t.*Alt\+F'; do
  grep -qP "^$want" "$WORK/tree.txt" || { cat "$WORK/tree.txt" >&2; fail "no accelerator: $want"; }
done
cp "$WORK/tree.txt" "${E2E_OUT:-$WORK}/accessibility-tree.txt" 2>/dev/null
pass "every control has its accessible name"
