#!/usr/bin/env bash
# Summon latency and idle memory of the Windows program under Wine, beside the Linux
# program's, measured the same way on the same bare Xvfb display (no window manager):
# Ctrl+Alt+/ pressed through XTEST to the X input focus inside the search window, Escape
# between summons; idle memory five seconds after the window was dismissed.
# Usage: bench/win/bench_summon_wine.sh [LINUX_BUILD_DIR] [SUMMONS]
# The Windows build is build-win/ (VARNEL_BUILD_WIN to change it); it is configured and
# built when missing. Without mingw-w64 or Wine the bench says so and ends.
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
summons=${2:-30}
winbuild=${VARNEL_BUILD_WIN:-build-win}
linux_bin=$PWD/$build/varnel

if ! command -v wine >/dev/null || ! command -v x86_64-w64-mingw32-g++ >/dev/null \
  || ! command -v Xvfb >/dev/null; then
  echo "skipped: needs Wine, mingw-w64 and Xvfb"
  exit 0
fi
if [ ! -f "$winbuild/CMakeCache.txt" ]; then
  cmake -S . -B "$winbuild" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVARNEL_BENCH=OFF >/dev/null || exit 1
fi
cmake --build "$winbuild" -j 2 --target varnel bench_working_set >/dev/null || exit 1

work=$(mktemp -d)
export DISPLAY=:59
# A prefix of its own: the Wine tests stop every Wine process of theirs when they end.
export WINEPREFIX=$PWD/$winbuild/wine-prefix-bench WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
pids=()
stop() {
  wineserver -k 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' INT TERM HUP

c++ -O2 -std=c++20 bench/win/focus_probe.cpp -o "$work/probe" \
  $(pkg-config --cflags --libs xcb xcb-xtest xcb-keysyms) || exit 1

[ -e /tmp/.X11-unix/X59 ] && { echo "display $DISPLAY is taken" >&2; exit 1; }
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX.new"
  WINEPREFIX=$WINEPREFIX.new timeout 240 wineboot -i >/dev/null 2>&1
  WINEPREFIX=$WINEPREFIX.new timeout 120 wineserver -w
  mv "$WINEPREFIX.new" "$WINEPREFIX" || exit 1
fi
wineserver -p -f >/dev/null 2>&1 &
pids+=($!)
# Unmanaged windows: Wine moves the X focus itself when a program takes the foreground.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d /bin/true /f >/dev/null 2>&1

stats() {  # prints "median p95 min n" of numbers on stdin
  sort -n | awk '{a[NR]=$1} END {if (NR==0) {print "- - - 0"; exit}
    m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; p=a[int(0.95*NR+0.999)]; if(p=="")p=a[NR];
    printf "%.1f %.1f %.1f %d\n", m, p, a[1], NR}'
}
find_window() {  # NAME-REGEX: the first visible window with that name
  local w
  for _ in $(seq 200); do
    w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
rss_kb() { awk '/VmRSS/ {print $2}' "/proc/$1/status" 2>/dev/null; }

# ---- Windows program under Wine
mkdir "$work/app"
cp "$winbuild/varnel.exe" "$work/app/"
(cd "$work/app" && exec wine varnel.exe >/dev/null 2>&1) &
pids+=($!)
win=$(find_window '^ ?Varnel$') || { echo "the search window did not come up under Wine" >&2; exit 1; }
(cd "$work" && exec wine notepad >/dev/null 2>&1) &
pids+=($!)
find_window 'Notepad' >/dev/null
sleep 1
"$work/probe" "$win" 3 >/dev/null  # warm-up
wine_summon=$("$work/probe" "$win" "$summons" | grep -v timeout | stats)
wine_timeouts=$(( summons - $(awk '{print $4}' <<<"$wine_summon") ))
sleep 5
# Private bytes are left out: Wine fills them from the swap figure only.
read -r ws_kb peak_kb _ < <(wine "$winbuild/bench/win/bench_working_set.exe" 2>/dev/null)
wine_pid=$(xdotool getwindowpid "$win" 2>/dev/null)
wine_rss=$( [ -n "$wine_pid" ] && rss_kb "$wine_pid")
wineserver -k 2>/dev/null
sleep 1

# ---- Linux program on the same display
lin_summon="- - - 0"
lin_rss=""
if [ -x "$linux_bin" ]; then
  xlogo -title Other -geometry 200x200+20+20 >/dev/null 2>&1 &
  pids+=($!)
  other=$(find_window '^Other$')
  VARNEL_CFG=$work/Varnel-linux.cfg BROWSER=/bin/true "$linux_bin" >/dev/null 2>&1 &
  lin_pid=$!
  pids+=($lin_pid)
  if lwin=$(find_window '^ Varnel$'); then
    sleep 1
    "$work/probe" "$lwin" 3 "$other" >/dev/null
    lin_summon=$("$work/probe" "$lwin" "$summons" "$other" | grep -v timeout | stats)
    sleep 5
    lin_rss=$(rss_kb "$lin_pid")
  fi
fi
lin_timeouts=$(( summons - $(awk '{print $4}' <<<"$lin_summon") ))

mib() { [ -n "${1:-}" ] && [ "$1" != 0 ] && awk -v k="$1" 'BEGIN {printf "%.1f MiB", k / 1024}' || echo "-"; }
printf '%-46s %14s %14s\n' "summon and memory, bare Xvfb" "Wine" "Linux"
read -r wm wp wn _ <<<"$wine_summon"
read -r lm lp ln _ <<<"$lin_summon"
printf '%-46s %11s ms %11s ms\n' "Ctrl+Alt+/ to focus in window, median ($summons)" "$wm" "$lm"
printf '%-46s %11s ms %11s ms\n' "Ctrl+Alt+/ to focus in window, p95" "$wp" "$lp"
printf '%-46s %11s ms %11s ms\n' "Ctrl+Alt+/ to focus in window, min" "$wn" "$ln"
printf '%-46s %14s %14s\n' "summons that timed out (3 s)" "$wine_timeouts" "$lin_timeouts"
printf '%-46s %14s %14s\n' "idle working set (GetProcessMemoryInfo)" "$(mib "${ws_kb:-}")" "-"
printf '%-46s %14s %14s\n' "peak working set (GetProcessMemoryInfo)" "$(mib "${peak_kb:-}")" "-"
printf '%-46s %14s %14s\n' "idle resident memory (/proc VmRSS)" "$(mib "${wine_rss:-}")" "$(mib "${lin_rss:-}")"
[ -x "$linux_bin" ] || echo "(no $linux_bin: build the Linux varnel target for its column)"
exit 0
