#!/usr/bin/env bash
# The settings file on disk: where an installed program keeps it, what killed writers leave
# behind, its permissions, and a file too large to be Varnel's.
. "$(dirname "$0")/lib.sh"

# --- where it lives: never beside an installed program, even in a writable folder
BIN=$WORK/prefix/bin
mkdir -p "$BIN" "$WORK/home"
cp "$VARNEL_BIN" "$BIN/varnel"
located() {  # located XDG_CONFIG_HOME TERMS: one search by the copy, without $VARNEL_CFG
  env -u VARNEL_CFG HOME="$WORK/home" XDG_CONFIG_HOME="$1" "$BIN/varnel" --search "$2" \
    >/dev/null 2>"$WORK/err" || fail "search by the installed copy failed: $(cat "$WORK/err")"
}
located "$WORK/xdg" "first"
[ -e "$BIN/Varnel.cfg" ] && fail "the settings file was written beside the installed program"
tr -d '\r' <"$WORK/xdg/varnel/Varnel.cfg" | grep -qx 'SearchHistory=first' \
  || fail "the history is not in \$XDG_CONFIG_HOME/varnel/Varnel.cfg"
located "" "second"
tr -d '\r' <"$WORK/home/.config/varnel/Varnel.cfg" | grep -qx 'SearchHistory=second' \
  || fail "without \$XDG_CONFIG_HOME the history is not in ~/.config/varnel/Varnel.cfg"
# A copy that already sits beside the program is a portable one and stays in use.
printf '[History]\r\nSearchHistory=portable\r\n' >"$BIN/Varnel.cfg"
located "$WORK/xdg" "third"
tr -d '\r' <"$BIN/Varnel.cfg" | grep -qx 'SearchHistory=third' || fail "the portable copy was not used"
pass "settings beside the program only as a portable copy, else in the user's config folder"

# --- writers killed at any moment leave no temporary files and never a half-written file.
# Every other run is killed the moment a temporary file shows, the rest at a random moment
# of their life.
# The file carries 800 kB of comments, so that each write takes a while.
RUNS=40
NOTES=2000
{ printf '[History]\r\nSearchHistory=none yet\r\n'
  for _ in $(seq "$NOTES"); do printf ';%0398d\r\n' 0; done; } >"$VARNEL_CFG"
for i in $(seq "$RUNS"); do
  "$VARNEL_BIN" --search "killed run $i" >/dev/null 2>&1 &
  pid=$!
  if [ $((i % 2)) -eq 0 ]; then
    while kill -0 "$pid" 2>/dev/null; do
      compgen -G "$WORK/Varnel.cfg.*.tmp" >/dev/null && break
    done
  else
    sleep "$(printf '0.%03d' $((RANDOM % 1000)))"
  fi
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  [ "$(grep -c '^;' "$VARNEL_CFG")" -eq "$NOTES" ] && [ "$(tail -c 2 "$VARNEL_CFG")" = $'\r' ] \
    && grep -qE '^SearchHistory=(none yet|killed run [0-9]+)'$'\r''$' "$VARNEL_CFG" \
    || fail "run $i left a damaged settings file"
done
left=$(find "$WORK" -maxdepth 1 -name 'Varnel.cfg.*.tmp' | wc -l)
echo "temporary files after $RUNS killed writers: $left"
"$VARNEL_BIN" --search "last run" >/dev/null 2>"$WORK/err" || fail "the last search failed: $(cat "$WORK/err")"
grep -q $'^SearchHistory=last run\r$' "$VARNEL_CFG" || fail "the last search was not kept"
left=$(find "$WORK" -maxdepth 1 -name 'Varnel.cfg.*.tmp' | wc -l)
[ "$left" -eq 0 ] || fail "$left temporary files still there after the next write"
pass "$RUNS killed writers left no temporary file and no damaged settings file"

rm -f "$VARNEL_CFG"
(umask 022 && "$VARNEL_BIN" --search "fresh" >/dev/null 2>&1) || fail "a search with no settings file failed"
mode=$(stat -c %a "$VARNEL_CFG")
[ "$mode" = 600 ] || fail "the settings file is mode $mode, not 600"
pass "the settings file is the user's alone (mode 600)"

# --- a file over 1 MiB is left untouched; the search says why history is not saved
{ printf '[History]\r\nSearchHistory=big\r\n'; head -c $((50 * 1024 * 1024)) /dev/zero | tr '\0' ';'; } >"$VARNEL_CFG"
cp "$VARNEL_CFG" "$WORK/big.orig"
"$VARNEL_BIN" --search "not kept" >/dev/null 2>"$WORK/err"
rc=$?
[ "$rc" -eq 1 ] || fail "--search with a 50 MB settings file exited $rc, not 1"
[ "$(wc -l <"$WORK/err")" -eq 1 ] || fail "expected one line on stderr, got: $(cat "$WORK/err")"
cmp -s "$VARNEL_CFG" "$WORK/big.orig" || fail "the 50 MB settings file was rewritten"
[ "$("$VARNEL_BIN" --history)" = "" ] || fail "history read from a file over the limit"
pass "a 50 MB settings file is left alone and --search says so: $(cat "$WORK/err")"
