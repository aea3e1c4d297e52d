#!/usr/bin/env bash
# History with characters outside the BMP, combining marks and 255 characters ending in a
# surrogate pair: a summons selects all of it, so typed terms replace it whole.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
start_varnel
keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"

# set_history TEXT: as another copy of the program would have stored it.
set_history() {
  python3 - "$VARNEL_CFG" "$1" <<'PY'
import os, sys
path, value = sys.argv[1], sys.argv[2]
lines = [l for l in open(path, encoding="utf-8").read().split("\r\n") if l]
lines = [l for l in lines if not l.startswith("SearchHistory=")]
if "[History]" not in lines:
    lines.append("[History]")
lines.insert(lines.index("[History]") + 1, "SearchHistory=" + value)
with open(path + ".new", "w", encoding="utf-8", newline="") as f:
    f.write("\r\n".join(lines) + "\r\n")
os.replace(path + ".new", path)
PY
}

long=$(printf 'a%.0s' $(seq 254))
n=0
for history in "pizza 🍕" "🍕 and 😀 here" "café naïve 😀 ok" "$long🍕"; do
  n=$((n + 1))
  set_history "$history"
  activate "$APP_WIN"
  summon || fail "summons $n failed"
  type_text "x$n"
  keys Return
  expect_url "x$n"
  wait_for 5 history_is "x$n" || fail "history after case $n: $(grep SearchHistory "$VARNEL_CFG")"
  wait_for 5 not_viewable "$VARNEL_WIN" || fail "the search did not park the window"
  pass "typed terms replace the history '${history:0:20}'"
done
