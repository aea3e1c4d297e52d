#!/usr/bin/env bash
# A settings file that cannot keep the history: the search window says why in its message
# line (read here from the accessibility tree).
. "$(dirname "$0")/lib.sh"
PY=/usr/bin/python3
"$PY" -c 'import pyatspi' 2>/dev/null || { echo "pyatspi missing: skipped"; exit 0; }
mkdir -p "$VARNEL_CFG"  # a folder where the file should be
start_desktop
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 WORK
dbus-run-session -- bash -c 2>"$WORK/dbus.log" '
  "$VARNEL_BIN" >"$WORK/varnel.log" 2>&1 &
  pid=$!
  "'"$PY"'" "'"$(dirname "$0")"'/a11y_names.py" >"$WORK/tree.txt" 2>"$WORK/a11y.err"
  rc=$?
  kill $pid; wait $pid
  exit $rc' || fail "could not read the accessibility tree: $(cat "$WORK/a11y.err")"
grep -qP '\tHistory not saved: Varnel.cfg is not a file$' "$WORK/tree.txt" \
  || { cat "$WORK/tree.txt" >&2; fail "the message line does not say why the history is not saved"; }
pass "the message line says: History not saved: Varnel.cfg is not a file"
