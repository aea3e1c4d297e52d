#!/usr/bin/env bash
# varnel-listen --socket PATH replaces only a socket nobody accepts on: whatever else is at PATH
# is left as it was and varnel-listen says so and exits.
set -uo pipefail
: "${VARNEL_LISTEN:?VARNEL_LISTEN must name the varnel-listen executable}"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/varnel-socket-path.XXXXXX")
chmod 700 "$WORK"
PIDS=()
cleanup() {
  local rc=$?
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  rm -rf "$WORK"
  exit "$rc"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# A Unix socket listener in Python; `serve PATH` keeps accepting, `stale PATH` leaves its
# socket behind without anyone listening.
serve() {
  python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(8)
open(sys.argv[1] + ".ready", "w").close()
while True: s.accept()' "$1" &
  PIDS+=($!)
  for _ in $(seq 100); do [ -e "$1.ready" ] && return 0; sleep 0.05; done
  fail "the test listener did not start"
}
stale() {
  python3 -c 'import socket, sys; s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1])' "$1"
}
# What a path is, to compare before and after.
describe() { stat -c '%F %i %s' "$1" 2>/dev/null; }

# run CASE: varnel-listen on $WORK/CASE/s; sets STATUS (exit status, or "running") and OUT.
run() {
  local sock=$1
  "$VARNEL_LISTEN" --input - --socket "$sock" <"$WORK/silence" >"$WORK/out" 2>&1 &
  local pid=$!
  STATUS=running
  for _ in $(seq 300); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      STATUS=$?
      break
    fi
    grep -q 'listening on' "$WORK/out" && break
    sleep 0.05
  done
  if [ "$STATUS" = running ]; then
    kill "$pid"
    wait "$pid" 2>/dev/null
  fi
  OUT=$(cat "$WORK/out")
}

mkfifo "$WORK/silence"
exec 7<>"$WORK/silence"  # held open: varnel-listen's input never ends on its own

#     case        set-up                                  expected status  message
cases=(
  "regular"   'printf precious >"$S"'                      2 "is not a socket"
  "directory" 'mkdir "$S"; touch "$S/inside"'              2 "is not a socket"
  "symlink"   'printf precious >"$D/target"; ln -s "$D/target" "$S"' 2 "is not a socket"
  "dangling"  'ln -s "$D/nowhere" "$S"'                    2 "is not a socket"
  "live"      'serve "$S"'                                 1 "already running"
  "stale"     'stale "$S"'                                 running "listening on"
  "nothing"   ':'                                          running "listening on"
)
for ((i = 0; i < ${#cases[@]}; i += 4)); do
  name=${cases[i]} setup=${cases[i + 1]} want=${cases[i + 2]} says=${cases[i + 3]}
  D=$WORK/$name
  S=$D/s
  mkdir -m 700 "$D"
  eval "$setup"
  before=$(describe "$S")
  target_before=$(cat "$D/target" 2>/dev/null)
  run "$S"
  [ "$STATUS" = "$want" ] || fail "$name: status $STATUS, expected $want: $OUT"
  grep -qF -- "$says" <<<"$OUT" || fail "$name: expected '$says' in: $OUT"
  if [ "$want" != running ]; then
    [ "$(describe "$S")" = "$before" ] || fail "$name: $S was changed ($before -> $(describe "$S"))"
    [ "$(cat "$D/target" 2>/dev/null)" = "$target_before" ] || fail "$name: the link's target changed"
    [ "$name" != regular ] || [ "$(cat "$S")" = precious ] || fail "$name: the file's text changed"
    [ "$name" != directory ] || [ -e "$S/inside" ] || fail "$name: the folder lost its file"
  fi
  pass "$name: ${STATUS/running/replaced or created and listening}"
done

# The other instance still has its socket: a client reaches it.
python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).connect(sys.argv[1])' \
  "$WORK/live/s" || fail "live: the other listener's socket no longer answers"
pass "live: the other listener still answers"
