#!/usr/bin/env bash
# Saves the search window as it appears on screen (search-window.png in the build folder)
# and checks that it is the design's size and not blank.
. "$(dirname "$0")/lib.sh"
start_desktop
start_app AppA 40
start_varnel
OUT=${E2E_OUT:-$WORK}
xdotool mousemove 5 5
sleep 0.5
xwd -silent -id "$VARNEL_WIN" >"$WORK/window.xwd" || fail "xwd failed"
convert "xwd:$WORK/window.xwd" "$OUT/search-window.png" || fail "convert failed"
size=$(identify -format '%wx%h' "$OUT/search-window.png")
[ "$size" = "583x541" ] || fail "window is $size, the design is 583x541"
colours=$(convert "$OUT/search-window.png" -format '%k' info:)
[ "$colours" -gt 20 ] || fail "window looks blank ($colours colours)"
# The heading blue of the design is on screen.
histogram=$(convert "$OUT/search-window.png" -format %c histogram:info:)
grep -qi '#0073E6' <<<"$histogram" || fail "the heading blue is missing"
xwd -silent -root | convert xwd:- "$OUT/desktop.png"
pass "screenshot saved as $OUT/search-window.png"
