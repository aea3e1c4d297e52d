#!/usr/bin/env bash
# Ten starts at once leave one resident instance and nine hand-offs that exit 0, also when the
# settings file cannot be written, so the hand-off cannot rely on the handle recorded there.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40

STARTS=10

alive_count() {
  local n=0 p
  for p in "${RACE[@]}"; do kill -0 "$p" 2>/dev/null && n=$((n + 1)); done
  echo "$n"
}
at_most_one_alive() { [ "$(alive_count)" -le 1 ]; }
# Search windows only: where the window manager has a tray, the icon's window shares the class.
varnel_window_count() {
  local n=0 w
  for w in $(xdotool search --name '^ Varnel$' 2>/dev/null); do
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"Varnel"' && is_viewable "$w" && n=$((n + 1))
  done
  echo "$n"
}

# race LABEL: starts STARTS copies at once and checks the outcome; leaves the resident one
# in VARNEL_PID.
race() {
  local label=$1 i p rc resident=() bad=()
  RACE=()
  for ((i = 0; i < STARTS; i++)); do
    "$VARNEL_BIN" >"$WORK/race$i.log" 2>&1 &
    RACE+=($!)
    PIDS+=($!)
  done
  wait_for 60 at_most_one_alive || fail "$label: $(alive_count) of $STARTS starts stayed resident"
  # A late second resident would show up here.
  sleep 1
  for p in "${RACE[@]}"; do
    if kill -0 "$p" 2>/dev/null; then
      resident+=("$p")
    else
      wait "$p"
      rc=$?
      [ "$rc" -eq 0 ] || bad+=("$p:$rc")
    fi
  done
  [ "${#resident[@]}" -eq 1 ] || fail "$label: ${#resident[@]} resident instances"
  [ "${#bad[@]}" -eq 0 ] || fail "$label: hand-offs exited non-zero: ${bad[*]} ($(cat "$WORK"/race*.log))"
  VARNEL_PID=${resident[0]}
  wait_for 15 varnel_window || fail "$label: the resident instance shows no window"
  VARNEL_WIN=$(varnel_window)
  [ "$(varnel_window_count)" -eq 1 ] || fail "$label: $(varnel_window_count) search windows"
  pass "$label: $STARTS starts at once leave one resident, $((STARTS - 1)) exit 0"

  # A later start still reaches the resident one.
  dismiss_boxes
  keys Escape
  wait_for 5 not_viewable "$VARNEL_WIN"
  activate "$APP_WIN"
  timeout 20 "$VARNEL_BIN" >"$WORK/later.log" 2>&1 || fail "$label: a later start exited $?"
  wait_for 5 is_active "$VARNEL_WIN" || fail "$label: a later start did not bring the window up"
  kill -0 "$VARNEL_PID" || fail "$label: the resident instance ended"
  pass "$label: a later start hands off to the resident one"

  kill "$VARNEL_PID"
  wait_for 10 sh -c "! kill -0 $VARNEL_PID" || fail "$label: the resident instance did not end"
}

race "writable settings"

# Settings files that cannot be written, in ways that hold even for root.
rm -f "$VARNEL_CFG"
mkdir "$VARNEL_CFG"
race "a folder in the settings file's place"
rmdir "$VARNEL_CFG"

touch "$WORK/not-a-folder"
VARNEL_CFG=$WORK/not-a-folder/Varnel.cfg race "a settings path under a plain file"

if [ "$(id -u)" -ne 0 ]; then
  mkdir "$WORK/locked"
  chmod 0555 "$WORK/locked"
  VARNEL_CFG=$WORK/locked/Varnel.cfg race "an unwritable settings folder"
  printf '[Application]\r\nAppHwnd=0\r\n' >"$VARNEL_CFG"
  chmod 0000 "$VARNEL_CFG"
  race "an unreadable settings file"
  chmod 0600 "$VARNEL_CFG"
fi
