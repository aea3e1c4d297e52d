# Shared by the desktop tests: a private X display with a window manager (openbox unless
# VARNEL_TEST_WM says otherwise), test windows, the program under test, waits, and cleanup of
# every process started here (also on failure).
set -uo pipefail

: "${VARNEL_BIN:?VARNEL_BIN must name the varnel executable}"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/varnel-e2e.XXXXXX")
PIDS=()
export VARNEL_CFG=$WORK/Varnel.cfg
export BROWSER=$WORK/browser.sh
URLS=$WORK/urls.txt
cat >"$BROWSER" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$URLS"
SCRIPT
chmod +x "$BROWSER"

cleanup() {
  local rc=$?
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null; done
  for p in "${PIDS[@]}"; do
    for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$p" 2>/dev/null
  done
  rm -rf "$WORK"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
  echo "FAIL: $*" >&2
  [ -f "$WORK/varnel.log" ] && sed 's/^/  varnel: /' "$WORK/varnel.log" >&2
  exit 1
}
pass() { echo "ok: $*"; }

# wait_for SECONDS COMMAND...: true once the command succeeds.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  while ! "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.05
  done
}

# A display of its own: the server picks a free number and writes it once it accepts
# clients, so a test never meets another's server or a lock file left behind. -noreset keeps
# the server from resetting (and refusing connections) each time its last client leaves.
# SCREEN_SIZE (WIDTHxHEIGHT) gives a screen other than 1280x1024; XVFB_OPTIONS adds options.
start_desktop() {
  # shellcheck disable=SC2086 # several options in one variable
  Xvfb -displayfd 3 -screen 0 "${SCREEN_SIZE:-1280x1024}x24" -nolisten tcp -noreset \
    ${XVFB_OPTIONS:-} 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
  PIDS+=($!)
  wait_for 15 grep -qx '[0-9][0-9]*' "$WORK/display" || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
  export DISPLAY=:$(head -n 1 "$WORK/display")
  start_window_manager
}

# start_monitors_desktop: a display with monitors of its own, which Xvfb cannot give: the X
# server with its dummy driver, whose outputs xrandr switches on and off as a user plugs
# monitors in and out. Only the first output is on at first.
start_monitors_desktop() {
  local conf
  conf="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/xorg_monitors.conf"
  Xorg -displayfd 3 -config "$conf" -noreset -nolisten tcp \
    -logfile "$WORK/xorg.log" 3>"$WORK/display" >"$WORK/xorg.out" 2>&1 &
  PIDS+=($!)
  if ! wait_for 20 grep -qx '[0-9][0-9]*' "$WORK/display"; then
    # Only root may start it with a configuration of its own.
    [ "$(id -u)" -ne 0 ] && { echo "SKIP: the X server starts only for root here"; exit 0; }
    fail "the X server did not start: $(tail -n 5 "$WORK/xorg.out" "$WORK/xorg.log" 2>/dev/null)"
  fi
  export DISPLAY=:$(head -n 1 "$WORK/display")
  start_window_manager
}

# VARNEL_TEST_WM picks the window manager: openbox (the default), icewm, fluxbox, xfwm4,
# metacity, mutter, kwin, i3 or jwm; twm, which knows nothing of EWMH, or none at all.
# Scripts that run themselves again on the same desktop inherit it.
export EWMH_WM=${EWMH_WM:-1}
start_window_manager() {
  local wm=${VARNEL_TEST_WM:-openbox}
  case $wm in
  none)
    EWMH_WM=0
    return 0
    ;;
  twm)
    EWMH_WM=0
    HOME=$WORK twm >"$WORK/wm.log" 2>&1 &
    PIDS+=($!)
    wait_for 15 sh -c 'xwininfo -root -children | grep -q "[1-9][0-9]* child"' \
      || fail "twm did not start: $(cat "$WORK/wm.log")"
    return 0
    ;;
  openbox)
    # Defaults plus Alt+F4; an unreadable configuration would put up an error window that
    # takes the focus.
    cat >"$WORK/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard><keybind key="A-F4"><action name="Close"/></keybind></keyboard>
</openbox_config>
XML
    openbox --config-file "$WORK/rc.xml" >"$WORK/wm.log" 2>&1 &
    ;;
  icewm) HOME=$WORK icewm >"$WORK/wm.log" 2>&1 & ;;
  fluxbox)
    # No background setter: it puts up a message window when it finds no image tool.
    mkdir -p "$WORK/.fluxbox"
    echo 'background: none' >"$WORK/.fluxbox/overlay"
    echo "session.styleOverlay: $WORK/.fluxbox/overlay" >"$WORK/.fluxbox/init"
    HOME=$WORK fluxbox >"$WORK/wm.log" 2>&1 &
    ;;
  # Without its own accessibility bus, which the program would find and use instead of the
  # test's.
  xfwm4) HOME=$WORK NO_AT_BRIDGE=1 xfwm4 --compositor=off >"$WORK/wm.log" 2>&1 & ;;
  metacity) HOME=$WORK NO_AT_BRIDGE=1 metacity --replace >"$WORK/wm.log" 2>&1 & ;;
  mutter)
    HOME=$WORK NO_AT_BRIDGE=1 dbus-run-session -- mutter --x11 --replace --sm-disable \
      >"$WORK/wm.log" 2>&1 &
    ;;
  kwin)
    # No compositing: Xvfb has no GL.
    HOME=$WORK KWIN_COMPOSE=N NO_AT_BRIDGE=1 dbus-run-session -- kwin_x11 --replace \
      >"$WORK/wm.log" 2>&1 &
    ;;
  i3)
    # No bar, no start-up wizard: a window of its own would take the focus.
    printf 'font pango:monospace 8\n' >"$WORK/i3.conf"
    HOME=$WORK i3 -c "$WORK/i3.conf" >"$WORK/wm.log" 2>&1 &
    ;;
  jwm) HOME=$WORK jwm >"$WORK/wm.log" 2>&1 & ;;
  *) fail "unknown window manager $wm" ;;
  esac
  PIDS+=($!)
  wait_for 15 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' \
    || fail "$wm did not start: $(cat "$WORK/wm.log")"
}

# start_app NAME X: a small titled test window; sets APP_WIN.
start_app() {
  xlogo -title "$1" -geometry "240x200+$2+60" >/dev/null 2>&1 &
  PIDS+=($!)
  wait_for 10 xdotool search --name "^$1\$" || fail "test window $1 did not appear"
  APP_WIN=$(xdotool search --name "^$1\$" | head -n 1)
}

activate() {
  if [ "$EWMH_WM" = 1 ]; then
    xdotool windowactivate --sync "$1" >/dev/null 2>&1
  else
    xdotool windowraise "$1" windowfocus --sync "$1" >/dev/null 2>&1
  fi
  wait_for 5 is_active "$1"
}

# Without EWMH, the top-level window that holds the keyboard focus.
active_window() {
  if [ "$EWMH_WM" = 1 ]; then
    xdotool getactivewindow 2>/dev/null
  else
    xdotool getwindowfocus -f 2>/dev/null
  fi
}
is_active() { [ "$(active_window)" = "$1" ]; }
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
not_viewable() { ! is_viewable "$1"; }
# frame_geometry WINDOW: "X Y WIDTH HEIGHT" of the window with the window manager's frame.
frame_geometry() {
  local info ext
  info=$(xwininfo -id "$1") || return 1
  ext=$(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9, ]*$' | tr -d ' ')
  awk -v ext="$ext" '
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF }
    END { split(ext, e, ","); print x - e[1], y - e[3], w + e[1] + e[2], h + e[3] + e[4] }' <<<"$info"
}

# summon_again APP: parks the window with Escape, brings APP to the front and summons the
# window from there; sets fx fy fw fh to its frame.
summon_again() {
  keys Escape
  wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park"
  activate "$1"
  summon || fail "summons from $1 did not bring the window"
  sleep 0.3
  read -r fx fy fw fh <<<"$(frame_geometry "$VARNEL_WIN")"
}

# drag_title_bar X Y DX DY: drags a frame whose top left is at X,Y by its title bar, DX
# across and DY down, in steps as a hand does.
drag_title_bar() {
  xdotool mousemove $(($1 + 60)) $(($2 + 8)) mousedown 1 sleep 0.2 \
    mousemove $(($1 + 60 + $3 / 2)) $(($2 + 8 + $4 / 2)) sleep 0.2 \
    mousemove $(($1 + 60 + $3)) $(($2 + 8 + $4)) sleep 0.2 mouseup 1
  sleep 0.5
}

# The search window of the running instance (class Varnel, title " Varnel").
varnel_window() {
  local w
  for w in $(xdotool search --name '^ Varnel$' 2>/dev/null); do
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"Varnel"' && { echo "$w"; return 0; }
  done
  return 1
}

# Closes message boxes of the program (for example about a speech service on this machine).
dismiss_boxes() {
  local w
  for w in $(xdotool search --name '^Varnel$' 2>/dev/null); do
    is_viewable "$w" && activate "$w" && xdotool key --clearmodifiers Return
  done
  return 0
}

# start_varnel: the first instance; sets VARNEL_PID and VARNEL_WIN.
start_varnel() {
  "$VARNEL_BIN" >"$WORK/varnel.log" 2>&1 &
  VARNEL_PID=$!
  PIDS+=("$VARNEL_PID")
  wait_for 15 varnel_window || fail "the search window did not appear"
  VARNEL_WIN=$(varnel_window)
  sleep 0.5
  dismiss_boxes
  wait_for 5 is_active "$VARNEL_WIN" || fail "the search window is not in front after start"
}

# summons_with KEYS...: from the test window, the keys bring the search window to the front.
summons_with() {
  # A search parks the window and hands the foreground back by itself.
  if ! wait_for 2 not_viewable "$VARNEL_WIN"; then
    keys Escape
    wait_for 5 not_viewable "$VARNEL_WIN" || fail "Escape did not park the window"
  fi
  wait_for 5 is_active "$APP_WIN" || activate "$APP_WIN" || fail "the test window did not come to the front"
  xdotool key --delay 30 "$@"
  wait_for 5 is_active "$VARNEL_WIN"
}

# Presses keys in whatever window is in front, as a user would.
keys() { xdotool key --delay 30 "$@"; }
# Alt held around a key, released after it as a person does (xdotool's chords let go of Alt
# first, so the key-up would come without it).
alt_key() { xdotool keydown alt key --delay 30 "$1" keyup alt; }
type_text() { xdotool type --delay 30 "$1"; }

summon() { keys ctrl+alt+slash; wait_for 5 is_active "$VARNEL_WIN"; }

last_url() { tail -n 1 "$URLS" 2>/dev/null; }
url_count() { [ -f "$URLS" ] && wc -l <"$URLS" || echo 0; }
expect_url() {  # expect_url ARGS-FOR-varnel-url...: the browser got that address
  local want
  want=$("$VARNEL_BIN" --url "$@") || fail "varnel --url $*"
  wait_for 5 sh -c "grep -qxF -- '$want' '$URLS'" || fail "browser got '$(last_url)', expected '$want'"
}
history_is() { tr -d '\r' <"$VARNEL_CFG" | grep -qxF "SearchHistory=$1"; }
