#!/usr/bin/env bash
# The search window's message line follows varnel-listen's sleep: a recogniser started asleep
# is said at start, waking says the commands are active, and a showing of the window while
# asleep says it again; the user switching the commands off and on wakes it. varnel-listen runs for real, reading its audio from a pipe that
# stays silent, and a second client puts it to sleep and wakes it over the socket.
#
# The outer run starts the desktop; the case runs this script again (`inner`) under its own
# accessibility bus.
. "$(dirname "$0")/lib.sh"
PY=/usr/bin/python3
A11Y=$(dirname "$0")/a11y_names.py
LISTEN=$(dirname "$VARNEL_BIN")/varnel-listen
ASLEEP='Voice commands are asleep: say "Wake up" to wake them'
ACTIVE='Extended voice commands are now active'

# The accessibility tree once it holds TEXT (a fixed string).
tree_with() {
  local end=$((SECONDS + 15))
  while [ $SECONDS -lt $end ]; do
    "$PY" "$A11Y" >"$WORK/tree.txt" 2>"$WORK/a11y.err" && grep -qF "$1" "$WORK/tree.txt" &&
      return 0
    sleep 0.3
  done
  return 1
}

# Sends `set-awake VALUE` to varnel-listen as a client of its own would.
set_awake() {
  "$PY" - "$XDG_RUNTIME_DIR/varnel-listen.sock" "$1" <<'EOF'
import socket, struct, sys

def frame(*fields):
    body = b"".join(struct.pack(">I", len(f)) + f.encode() for f in fields)
    return struct.pack(">I", len(body)) + body

def reply(s):
    buf = b""
    while True:
        while len(buf) >= 4 and len(buf) >= 4 + struct.unpack(">I", buf[:4])[0]:
            n = struct.unpack(">I", buf[:4])[0]
            body, buf = buf[4:4 + n], buf[4 + n:]
            fields, at = [], 0
            while at < len(body):
                m = struct.unpack(">I", body[at:at + 4])[0]
                fields.append(body[at + 4:at + 4 + m].decode())
                at += 4 + m
            if fields[0] in ("ok", "error"):
                return fields
        data = s.recv(4096)
        if not data:
            sys.exit("varnel-listen closed the connection")
        buf += data

s = socket.socket(socket.AF_UNIX)
s.settimeout(10)
s.connect(sys.argv[1])
for seq, request in enumerate([("register", "1"), ("set-awake", sys.argv[2])]):
    s.sendall(frame("req", str(seq), *request))
    r = reply(s)
    if r[0] != "ok":
        sys.exit("varnel-listen answered %s to %s" % (r, request))
EOF
}

inner() {
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
  unset VARNEL_LISTEN_SOCKET
  export XDG_RUNTIME_DIR=$WORK/run
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # A pipe that never carries sound: nothing is heard, and the socket is served all along.
  mkfifo "$WORK/audio"
  sleep 600 >"$WORK/audio" &
  PIDS+=($!)
  "$LISTEN" --input - --sleep <"$WORK/audio" 2>"$WORK/listen.log" &
  PIDS+=($!)
  wait_for 30 test -S "$XDG_RUNTIME_DIR/varnel-listen.sock" ||
    fail "varnel-listen did not start: $(cat "$WORK/listen.log")"

  "$VARNEL_BIN" >"$WORK/varnel.log" 2>&1 &
  VARNEL_PID=$!
  PIDS+=("$VARNEL_PID")
  wait_for 15 varnel_window || fail "the search window did not appear"
  VARNEL_WIN=$(varnel_window)
  tree_with "$ASLEEP" || fail "no message line saying '$ASLEEP':$(echo; cat "$WORK/tree.txt" "$WORK/a11y.err")"
  pass "started asleep, the message line says so"

  set_awake 1 || fail "could not wake varnel-listen"
  tree_with "$ACTIVE" || fail "woken, no message line saying '$ACTIVE':$(echo; cat "$WORK/tree.txt")"
  pass "woken, the message line says the commands are active"

  set_awake 0 || fail "could not put varnel-listen to sleep"
  tree_with "$ASLEEP" || fail "asleep again, the message line does not say so:$(echo; cat "$WORK/tree.txt")"
  # Hidden and summoned again, the window still says it.
  activate "$VARNEL_WIN" || fail "could not activate the search window"
  keys Escape
  wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"
  summon || fail "the window did not come back"
  tree_with "$ASLEEP" || fail "summoned while asleep, the message line does not say so:$(echo; cat "$WORK/tree.txt")"
  pass "asleep again and summoned, the message line says so"

  # Switched off and on again by the user, the commands are wanted: the recogniser wakes.
  # The box's place in the design (6810, 7485 twips), a few pixels in.
  xdotool mousemove --window "$VARNEL_WIN" 461 508 click 1
  tree_with "Set options by saying" || fail "switched off, the message line did not change:$(echo; cat "$WORK/tree.txt")"
  xdotool mousemove --window "$VARNEL_WIN" 461 508 click 1
  tree_with "$ACTIVE" || fail "switched on again, the line does not say active:$(echo; grep -v "^filler\|^radio\|^label\	[0-9]" "$WORK/tree.txt"; cat "$WORK/listen.log")"
  # Registering while it sleeps is answered with its sleep, a moment after the line was set.
  sleep 1
  tree_with "$ACTIVE" || fail "switched on again, the recogniser was not woken:$(echo; cat "$WORK/tree.txt")"
  pass "switched off and on by the user, the recogniser is woken"
}

if [ "${1:-}" = inner ]; then
  inner
  exit 0
fi

"$PY" -c 'import pyatspi' 2>/dev/null || { echo "pyatspi missing: skipped"; exit 0; }
[ -x "$LISTEN" ] || { echo "no varnel-listen beside $VARNEL_BIN: skipped"; exit 0; }
start_desktop
export DISPLAY
dbus-run-session -- bash "$0" inner || fail "the asleep case failed"
