#!/usr/bin/env bash
# On a Wayland session with XWayland beside it (sway, headless), Varnel runs as an X client
# of XWayland: one window there, a second start hands off, a search reaches the browser.
# sway refuses to run as root, so the session and everything in it run as an unprivileged
# user, as a desktop user would.
. "$(dirname "$0")/lib.sh"
command -v sway >/dev/null && command -v Xwayland >/dev/null \
  || { echo "sway or Xwayland missing: skipped"; exit 0; }
USER_ID=$(id -u nobody 2>/dev/null) && GROUP_ID=$(id -g nobody) \
  || { echo "no unprivileged user nobody: skipped"; exit 0; }

# Everything the session user touches lives in its own runtime folder (0700).
chmod 711 "$WORK"
RT=$WORK/run
mkdir -m 700 "$RT"
export VARNEL_CFG=$RT/Varnel.cfg BROWSER=$RT/browser.sh
URLS=$RT/urls.txt
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s"\n' "$URLS" >"$BROWSER"
chmod +x "$BROWSER"
cat >"$RT/config" <<CONF
xwayland force
exec sh -c 'echo "\$DISPLAY" >$RT/display'
CONF
chown -R "$USER_ID:$GROUP_ID" "$RT"

# The session user's environment; no session bus, so that no bus daemon is started behind
# the test's back.
user_env() {
  USER_ENV=(setpriv --reuid="$USER_ID" --regid="$GROUP_ID" --clear-groups
    env -i PATH=/usr/bin:/bin HOME="$RT" XDG_RUNTIME_DIR="$RT" XDG_SESSION_TYPE=wayland
    DBUS_SESSION_BUS_ADDRESS="unix:path=$RT/no-bus" VARNEL_CFG="$VARNEL_CFG" BROWSER="$BROWSER")
  [ -n "${WAYLAND_SOCKET:-}" ] && USER_ENV+=(WAYLAND_DISPLAY="$WAYLAND_SOCKET")
  [ -n "${X_DISPLAY:-}" ] && USER_ENV+=(DISPLAY="$X_DISPLAY")
  return 0
}
# as_user COMMAND...: runs a command as the session user, in the foreground.
as_user() { user_env; "${USER_ENV[@]}" "$@"; }

# Started directly, not through a function, so that the process to stop is the one in PIDS.
user_env
"${USER_ENV[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  sway -c "$RT/config" >"$WORK/sway.log" 2>&1 &
PIDS+=($!)
if ! wait_for 20 grep -q '^:[0-9]' "$RT/display"; then
  echo "sway did not start here: skipped"
  sed 's/^/  sway: /' "$WORK/sway.log"
  exit 0
fi
WAYLAND_SOCKET=$(cd "$RT" && ls wayland-[0-9]* | grep -v lock | head -n 1)
X_DISPLAY=$(head -n 1 "$RT/display")
[ -n "$WAYLAND_SOCKET" ] || fail "no Wayland socket in $RT"
as_user xdpyinfo >/dev/null || fail "XWayland ($X_DISPLAY) does not answer"

user_env
"${USER_ENV[@]}" "$VARNEL_BIN" >"$WORK/varnel.log" 2>&1 &
VARNEL_PID=$!
PIDS+=("$VARNEL_PID")
xwindow() {
  local w
  for w in $(as_user xdotool search --name '^ Varnel$' 2>/dev/null); do
    as_user xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"Varnel"' && { echo "$w"; return 0; }
  done
  return 1
}
wait_for 15 xwindow || fail "no Varnel window on XWayland's display $X_DISPLAY"
WIN=$(xwindow)
pass "the search window is an XWayland window ($WIN)"

grep -qi 'wayland' "$WORK/varnel.log" || fail "nothing said about the shortcut on Wayland"
grep -q 'AppHwnd=1$' <(tr -d '\r' <"$VARNEL_CFG") && fail "the settings file records handle 1"
as_user timeout 20 "$VARNEL_BIN" >"$WORK/second.log" 2>&1
rc=$?
[ "$rc" -eq 0 ] || fail "the second start exited $rc: $(cat "$WORK/second.log")"
[ "$(as_user xdotool search --name '^ Varnel$' | wc -l)" -eq 1 ] || fail "two search windows"
kill -0 "$VARNEL_PID" || fail "the first instance ended"
pass "a second start hands off and exits 0"

# Terms typed into the window (XTEST through XWayland), then Enter.
as_user xdotool windowactivate "$WIN" >/dev/null 2>&1
sleep 0.5
as_user xdotool key --window "$WIN" ctrl+a >/dev/null 2>&1
as_user xdotool type --delay 30 wayland >/dev/null 2>&1
as_user xdotool key Return >/dev/null 2>&1
want=$("$VARNEL_BIN" --url wayland)
wait_for 10 grep -qxF -- "$want" "$URLS" || fail "the browser got '$(tail -n 1 "$URLS" 2>/dev/null)', expected '$want'"
pass "a search reaches \$BROWSER"

# Wayland without XWayland: a clear failure, not a window the rest cannot reach.
X_DISPLAY='' as_user timeout 20 "$VARNEL_BIN" >"$WORK/nox.log" 2>&1
rc=$?
[ "$rc" -eq 1 ] || fail "without an X display varnel exited $rc: $(cat "$WORK/nox.log")"
grep -q 'no X display' "$WORK/nox.log" || fail "unclear failure: $(cat "$WORK/nox.log")"
pass "without an X display varnel says so and exits 1"
