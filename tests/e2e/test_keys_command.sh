#!/usr/bin/env bash
# `varnel --command` phrases drive the application in front with key chords, and leave no
# key down.
. "$(dirname "$0")/lib.sh"
RECORDER=${VARNEL_RECORDER:-}
[ -x "$RECORDER" ] || fail "build varnel_keys_recorder first ('$RECORDER')"
start_desktop
start_varnel
keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || true

LOG=$WORK/keys.log
"$RECORDER" KeyLog "$LOG" &
PIDS+=($!)
wait_for 10 xdotool search --name '^KeyLog$' || fail "the key recorder did not appear"
REC=$(xdotool search --name '^KeyLog$' | head -n 1)
activate "$REC" || fail "the key recorder is not in front"

# say PHRASE EXPECTED...: the recorder gets exactly these key events, then nothing is down.
say() {
  local phrase=$1; shift
  : >"$LOG"
  timeout 20 "$VARNEL_BIN" --command "$phrase" >"$WORK/cmd.log" 2>&1 \
    || fail "varnel --command '$phrase': $(cat "$WORK/cmd.log")"
  wait_for 10 grep -q '^down' "$LOG" || fail "'$phrase' sent no keys"
  local want got
  want=$(printf '%s\n' "$@" "down 0")
  got=$(cat "$LOG")
  [ "$got" = "$want" ] || fail "'$phrase' sent $(echo $got), expected $(echo $want)"
  pass "'$phrase' sends $*"
}

say "Page Down" +34 -34
say "next page" +34 -34
say "Next Tab" +17 +9 -9 -17
say "Back Tab 3" +16 +9 -9 -16 +16 +9 -9 -16 +16 +9 -9 -16
say "Zoom In" +17 +107 -107 -17
say "Go Backward" +18 +37 -37 -18
say "Fetch" +17 +18 +82 -82 -17 -18
say "Find Next" +32 -32 +8 -8 +13 -13
say "Find Next" +114 -114
say "Cancel" +27 -27

timeout 20 "$VARNEL_BIN" --command "Launch Rockets" >"$WORK/cmd.log" 2>&1
[ $? -eq 2 ] || fail "an unknown phrase should end with status 2"
grep -q . "$WORK/cmd.log" || fail "an unknown phrase should say why"
pass "an unknown phrase is refused"
