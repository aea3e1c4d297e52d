#!/usr/bin/env bash
# Spoken commands through the whole stack: espeak-ng speech into varnel-listen, events to the
# program, keys to the window in front; and the recogniser going away while the commands are
# on.
. "$(dirname "$0")/../e2e/lib.sh"
: "${VARNEL_LISTEN:?VARNEL_LISTEN must name the varnel-listen executable}"
RECORDER=${VARNEL_RECORDER:-}
[ -x "$RECORDER" ] || fail "build varnel_keys_recorder first ('$RECORDER')"
command -v espeak-ng >/dev/null && command -v sox >/dev/null || {
  echo "espeak-ng or sox missing: skipped"
  exit 0
}

# A runtime folder of the test's own, so the socket is private to it.
export XDG_RUNTIME_DIR=$WORK/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkfifo "$WORK/audio"

start_desktop
LOG=$WORK/keys.log
"$RECORDER" KeyLog "$LOG" &
PIDS+=($!)
wait_for 10 xdotool search --name '^KeyLog$' || fail "the key recorder did not appear"
REC=$(xdotool search --name '^KeyLog$' | head -n 1)

"$VARNEL_LISTEN" --input - --verbose <"$WORK/audio" 2>"$WORK/listen.log" &
LISTEN_PID=$!
PIDS+=("$LISTEN_PID")
# Held open for the whole test: the recogniser's input ends only when the test says so.
exec 7>"$WORK/audio"
wait_for 15 test -S "$XDG_RUNTIME_DIR/varnel-listen.sock" || fail "varnel-listen did not start"

start_varnel
keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || true
activate "$REC" || fail "the key recorder is not in front"

# speak TEXT: a second of silence, the speech, and a pause long enough to end the utterance.
speak() {
  espeak-ng -v en-us -s 150 -w "$WORK/say.wav" "$1" || fail "espeak-ng failed"
  sox "$WORK/say.wav" -r 16000 -c 1 -b 16 -e signed-integer -t raw "$WORK/say.raw" pad 1 2 \
    || fail "sox failed"
  cat "$WORK/say.raw" >&7
}

# Lets the recorder's lines from earlier keys land first: one of them arriving after the log
# was emptied would read as a key the command sent.
settle_log() {
  local before=-1 now
  for _ in $(seq 20); do
    now=$(stat -c %s "$LOG" 2>/dev/null || echo 0)
    [ "$now" = "$before" ] && return 0
    before=$now
    sleep 0.25
  done
}

# say TEXT EXPECTED...: the recorder gets exactly these key events.
say() {
  local text=$1; shift
  settle_log
  : >"$LOG"
  speak "$text"
  local want
  want=$(printf '%s\n' "$@" "down 0")
  wait_for 15 sh -c "[ \"\$(cat '$LOG')\" = '$want' ]" \
    || fail "'$text' sent $(echo $(cat "$LOG")), expected $(echo $want); $(tail -n 3 "$WORK/listen.log")"
  pass "'$text' sends $*"
}

say "Page Down" +34 -34
say "Tab three" +9 -9 +9 -9 +9 -9
say "Zoom In" +17 +107 -107 -17

speak "Varnel"
wait_for 15 is_active "$VARNEL_WIN" || fail "'Varnel' did not bring up the search window"
pass "'Varnel' summons the search window"

# The recogniser ends while the commands are on: they go off quietly and the program lives on.
kill "$LISTEN_PID"
wait_for 10 sh -c "! kill -0 $LISTEN_PID" || fail "varnel-listen did not stop"
sleep 1
kill -0 "$VARNEL_PID" || fail "varnel died with the recogniser"
for w in $(xdotool search --name '^Varnel$' 2>/dev/null); do
  is_viewable "$w" && fail "a message box came up when the recogniser went away"
done
keys Escape
wait_for 5 not_viewable "$VARNEL_WIN" || true
timeout 20 "$VARNEL_BIN" --command "Varnel" >"$WORK/cmd.log" 2>&1 \
  || fail "varnel --command Varnel: $(cat "$WORK/cmd.log")"
wait_for 10 is_active "$VARNEL_WIN" || fail "'varnel --command Varnel' did not summon the window"
pass "the recogniser going away switches the commands off quietly"
