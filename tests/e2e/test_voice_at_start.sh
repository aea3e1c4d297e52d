#!/usr/bin/env bash
# Voice commands that cannot be switched on at start-up: the search window keeps the focus, no
# message box comes up, the box is unticked and the window's message line says why. Two ways
# to fail: a process named varnel-listen runs but its socket cannot be reached; and the socket
# folder belongs to another user, whose server must then get nothing at all. A message box shown
# later, when the user ticks the box, is drawn.
#
# The outer run starts the desktop; each case runs this script again (`inner CASE RESULTS`)
# under its own accessibility bus, the second one also with a /tmp of its own.
export TMPDIR=${E2E_OUT:-/var/tmp}  # outside /tmp, which the second case replaces
. "$(dirname "$0")/lib.sh"
PY=/usr/bin/python3
A11Y=$(dirname "$0")/a11y_names.py

# The accessibility tree, with the check boxes' states, once it satisfies `grep -P PATTERN`.
tree_with() {
  local end=$((SECONDS + 15))
  while [ $SECONDS -lt $end ]; do
    "$PY" "$A11Y" --states >"$WORK/tree.txt" 2>"$WORK/a11y.err" && grep -qP "$1" "$WORK/tree.txt" \
      && return 0
    sleep 0.3
  done
  return 1
}

inner() {
  local case=$1 results=$2
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
  unset XDG_RUNTIME_DIR VARNEL_LISTEN_SOCKET
  # A process of this user named varnel-listen makes Varnel switch the commands on at start.
  mkdir "$WORK/bin"
  cp "$(command -v sleep)" "$WORK/bin/varnel-listen"
  "$WORK/bin/varnel-listen" 600 &
  PIDS+=($!)
  local says
  case $case in
    not-running)
      export XDG_RUNTIME_DIR=$WORK/run  # no socket there
      mkdir -m 700 "$XDG_RUNTIME_DIR"
      says='Voice commands need Varnel Listen: run varnel-listen\.'
      ;;
    untrusted)
      # This user's folder made and served by someone else (nobody), as another user could.
      local dir=/tmp/varnel-$(id -u)
      mkdir -m 700 "$dir" && chown nobody "$dir" || fail "cannot make $dir for nobody"
      runuser -u nobody -- "$PY" -c 'import os, socket, sys
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(8)
open(sys.argv[1] + ".ready", "w").close()
while True:
    c, _ = s.accept()
    while True:
        d = c.recv(4096)
        if not d: break
        sys.stdout.buffer.write(d); sys.stdout.flush()' "$dir/varnel-listen.sock" \
        >"$results/received" 2>"$WORK/server.log" &
      PIDS+=($!)
      wait_for 10 test -e "$dir/varnel-listen.sock.ready" || fail "the fake server did not start"
      says="Voice off: $dir is another user's \\(uid $(id -u nobody)\\)"
      ;;
  esac

  "$VARNEL_BIN" >"$WORK/varnel.log" 2>&1 &
  VARNEL_PID=$!
  PIDS+=("$VARNEL_PID")
  wait_for 15 varnel_window || fail "the search window did not appear"
  VARNEL_WIN=$(varnel_window)
  tree_with "\tVoice Commands\t" || fail "could not read the accessibility tree: $(cat "$WORK/a11y.err")"
  tree_with "$says" || fail "$case: no message line saying '$says':$(echo; cat "$WORK/tree.txt")"
  grep -qP "check box\tVoice Commands\tunchecked" "$WORK/tree.txt" \
    || fail "$case: the voice box is ticked: $(grep 'Voice Commands' "$WORK/tree.txt")"
  pass "$case: the voice box is unticked and the window says why"
  for w in $(xdotool search --onlyvisible --name '^Varnel$' 2>/dev/null); do
    fail "$case: a message box came up at start ($w)"
  done
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$VARNEL_WIN" ] && is_active "$VARNEL_WIN" \
    || fail "$case: the focus is on $(xdotool getwindowfocus getwindowname 2>/dev/null), not the search window"
  pass "$case: no message box; the focus stays in the search window"

  if [ "$case" = untrusted ]; then
    sleep 1
    [ ! -s "$results/received" ] || fail "the other user's server received $(wc -c <"$results/received") bytes"
    pass "untrusted: the other user's server received nothing"
    return 0
  fi

  # Ticked by the user later, the failure comes as a message box, drawn, not a black square.
  # The box's place in the design (6810, 7485 twips), a few pixels in.
  xdotool mousemove --window "$VARNEL_WIN" 461 508 click 1
  wait_for 10 sh -c "xdotool search --onlyvisible --name '^Varnel\$'" || fail "ticking the box showed no message"
  local box
  box=$(xdotool search --onlyvisible --name '^Varnel$' | head -n 1)
  sleep 0.5
  xwd -silent -id "$box" >"$WORK/box.xwd" || fail "xwd failed"
  convert "xwd:$WORK/box.xwd" "$results/message-box.png" || fail "convert failed"
  local colours
  colours=$(convert "$results/message-box.png" -format '%k' info:)
  [ "$colours" -gt 20 ] || fail "the message box is not drawn ($colours colours)"
  pass "a message box shown later is drawn ($colours colours)"
  activate "$box"
  xdotool key --clearmodifiers Return
  wait_for 5 sh -c "! xdotool search --onlyvisible --name '^Varnel\$'" || fail "the message box did not close"
}

if [ "${1:-}" = inner ]; then
  inner "$2" "$3"
  exit 0
fi

"$PY" -c 'import pyatspi' 2>/dev/null || { echo "pyatspi missing: skipped"; exit 0; }
start_desktop
export DISPLAY
RESULTS=$WORK/results
mkdir "$RESULTS"
dbus-run-session -- bash "$0" inner not-running "$RESULTS" || fail "the not-running case failed"
# The socket folder of a user without $XDG_RUNTIME_DIR is /tmp/varnel-UID: made here in a
# /tmp of the case's own, so that nothing on the machine is touched.
if [ "$(id -u)" != 0 ] || ! unshare -m true 2>/dev/null || ! id nobody >/dev/null 2>&1; then
  echo "not root, no mount namespace or no user nobody: the untrusted-folder case is skipped"
  exit 0
fi
# A checkout or build that itself lies under /tmp is carried into the new one.
SOURCE_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OLD_TMP=$(mktemp -d -p /var/tmp)
unshare -m bash -c 'mount --make-rprivate / && mount --bind /tmp "$2" &&
  mount -t tmpfs tmpfs /tmp || exit 1
  for keep in "${@:3}"; do
    case "$keep" in /tmp/*)
      mkdir -p "$keep" && mount --bind "$2${keep#/tmp}" "$keep" || exit 1 ;;
    esac
  done
  exec dbus-run-session -- bash "$0" inner untrusted "$1"' \
  "$0" "$RESULTS" "$OLD_TMP" "$SOURCE_ROOT" "$E2E_OUT" "$(dirname "$VARNEL_BIN")" \
  || fail "the untrusted-folder case failed"
rmdir "$OLD_TMP" 2>/dev/null
