#!/usr/bin/env bash
# Desktop figures of the search window on a private Xvfb display with openbox: summon
# latency (Ctrl+Alt+/ key-down to the window mapped, in front and focused), Enter to the
# browser started, cold start, idle memory and wake-ups, and a bare Qt window's idle memory.
# Usage: bench/bench_summon.sh [BUILD_DIR] [SUMMONS]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
summons=${2:-50}
bin=$PWD/$build/varnel
[ -x "$bin" ] || { echo "no $bin: build the varnel target first" >&2; exit 1; }
work=$(mktemp -d)
export DISPLAY=:58
pids=()
stop() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT

c++ -O2 -std=c++20 bench/bench_summon_probe.cpp -o "$work/probe" \
  $(pkg-config --cflags --libs xcb xcb-xtest xcb-ewmh xcb-keysyms) || exit 1
c++ -O2 -std=c++20 -fPIC bench/bench_summon_bare.cpp -o "$work/bare" \
  $(pkg-config --cflags --libs Qt6Widgets) || exit 1

Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --config-file /dev/null >/dev/null 2>&1 &
pids+=($!)
sleep 1
xlogo -title Other -geometry 200x200+20+20 >/dev/null 2>&1 &
pids+=($!)
sleep 0.5
other=$(xdotool search --name '^Other$' | head -n 1)

cat >"$work/browser.sh" <<SCRIPT
#!/bin/sh
echo "\$1" >>"$work/urls.txt"
SCRIPT
chmod +x "$work/browser.sh"
export BROWSER=$work/browser.sh VARNEL_CFG=$work/Varnel.cfg

now_ms() { date +%s%3N; }
window() { xdotool search --name '^ Varnel$' 2>/dev/null | head -n 1; }
stats() {  # prints "median p95 min" of numbers on stdin
  sort -n | awk '{a[NR]=$1} END {if (NR==0) {print "- - -"; exit}
    m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; p=a[int(0.95*NR+0.999)]; if(p=="")p=a[NR];
    printf "%.1f %.1f %.1f\n", m, p, a[1]}'
}

# Cold start, five times: from exec to the window shown and in front.
cold=()
for i in 1 2 3 4 5; do
  rm -f "$VARNEL_CFG"
  t0=$(now_ms)
  "$bin" >/dev/null 2>&1 &
  pid=$!
  while [ $(($(now_ms) - t0)) -lt 10000 ]; do
    w=$(window)
    [ -n "$w" ] && xwininfo -id "$w" 2>/dev/null | grep -q IsViewable && break
    sleep 0.01
  done
  cold+=($(($(now_ms) - t0)))
  kill "$pid"; wait "$pid" 2>/dev/null
done

"$bin" >/dev/null 2>&1 &
pid=$!
pids+=($pid)
for _ in $(seq 400); do [ -n "$(window)" ] && break; sleep 0.01; done
sleep 1
win=$(window)
# Dismiss a message box about the speech service, if one came up.
for b in $(xdotool search --name '^Varnel$' 2>/dev/null); do
  xdotool windowactivate --sync "$b" key Return >/dev/null 2>&1
done

summon=$("$work/probe" summon "$win" "$other" "$summons" | grep -v timeout | stats)
enter=$("$work/probe" enter "$work/urls.txt" 10 | grep -v timeout | stats)

xdotool key Escape
sleep 5
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {s+=$2} END {print s}'; }
s0=$(switches "$pid"); sleep 20; s1=$(switches "$pid")
wakeups=$(( (s1 - s0) * 3 ))

"$work/bare" >/dev/null 2>&1 &
bare=$!
pids+=($bare)
sleep 3
bare_kb=$(awk '/VmRSS/ {print $2}' "/proc/$bare/status")

printf '%-42s %10s %10s %10s\n' "desktop figure (Xvfb + openbox)" "median" "p95" "min"
read -r m p n <<<"$summon"
printf '%-42s %8s ms %8s ms %8s ms\n' "summon: Ctrl+Alt+/ to window in front ($summons)" "$m" "$p" "$n"
read -r m p n <<<"$enter"
printf '%-42s %8s ms %8s ms %8s ms\n' "Enter to browser started (10)" "$m" "$p" "$n"
read -r m p n <<<"$(printf '%s\n' "${cold[@]}" | stats)"
printf '%-42s %8s ms %8s ms %8s ms\n' "cold start to window mapped (5)" "$m" "$p" "$n"
printf '%-42s %8s MiB\n' "idle resident memory, parked" "$((rss_kb / 1024))"
printf '%-42s %8s MiB\n' "idle resident memory, bare Qt window" "$((bare_kb / 1024))"
printf '%-42s %8s /min\n' "idle wake-ups (context switches)" "$wakeups"
