#!/usr/bin/env bash
# Desktop figures of the search window on a private Xvfb display with openbox: summon
# latency (Ctrl+Alt+/ key-down to the window mapped, in front and focused), Enter to the
# browser started, cold start, idle memory and wake-ups, and a bare Qt window's idle memory.
# With a second program (an older build) both are measured in the same run, side by side.
# Usage: bench/bench_summon.sh [BUILD_DIR] [SUMMONS] [BASELINE_VARNEL]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
summons=${2:-50}
baseline=${3:-}
bin=$PWD/$build/varnel
[ -x "$bin" ] || { echo "no $bin: build the varnel target first" >&2; exit 1; }
[ -z "$baseline" ] || [ -x "$baseline" ] || { echo "no $baseline" >&2; exit 1; }
work=$(mktemp -d)
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

# A free display, reported by the server once it accepts clients; no reset between clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
  >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -qx '[0-9][0-9]*' "$work/display" 2>/dev/null && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display")
printf '<?xml version="1.0"?>\n<openbox_config xmlns="http://openbox.org/3.4/rc"/>\n' \
  >"$work/rc.xml"
openbox --config-file "$work/rc.xml" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

cat >"$work/browser.sh" <<SCRIPT
#!/bin/sh
echo "\$1" >>"$work/urls.txt"
SCRIPT
chmod +x "$work/browser.sh"
export BROWSER=$work/browser.sh VARNEL_CFG=$work/Varnel.cfg

stats() {  # prints "median/p95/min(count)" of the numbers on stdin
  sort -n | awk '{a[NR]=$1} END {if (NR==0) {print "-"; exit}
    m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; p=a[int(0.95*NR+0.999)]; if(p=="")p=a[NR];
    printf "%.1f/%.1f/%.1f(%d)\n", m, p, a[1], NR}'
}
switches() {  # voluntary and all context switches of every thread of a process
  cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt/ {v+=$2} /ctxt_switches/ {s+=$2}
    END {print v, s}'
}

# measure PROGRAM: one line of figures, "name=value" separated by blanks.
measure() {
  local prog=$1 pid win cold summon enter rss v0 s0 v1 s1 logo other
  # The window summoned from; a fresh one for each program.
  xlogo -title Other -geometry 200x200+20+20 >/dev/null 2>&1 &
  logo=$!
  for _ in $(seq 100); do other=$(xdotool search --name '^Other$' | head -n 1); [ -n "$other" ] && break; sleep 0.05; done
  cold=$("$work/probe" cold 10 "$prog" | grep -v timeout | stats)
  rm -f "$VARNEL_CFG" "$work/urls.txt"
  "$prog" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 400); do [ -n "$("$work/probe" find)" ] && break; sleep 0.01; done
  win=$("$work/probe" find)
  sleep 1
  # A message box about the speech service (a recogniser runs on this machine) goes first.
  for b in $(xdotool search --name '^Varnel$' 2>/dev/null); do
    xdotool windowactivate --sync "$b" key Return >/dev/null 2>&1
  done
  summon=$("$work/probe" summon "$win" "$other" "$summons" | grep -v timeout | stats)
  enter=$("$work/probe" enter "$work/urls.txt" 10 | grep -v timeout | stats)
  # Parked after the last search; Escape would reach xlogo, which quits on it.
  if xwininfo -id "$win" 2>/dev/null | grep -q IsViewable; then
    xdotool windowactivate --sync "$win" key Escape >/dev/null 2>&1
  fi
  sleep 5
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  read -r v0 s0 <<<"$(switches "$pid")"
  sleep 30
  read -r v1 s1 <<<"$(switches "$pid")"
  kill -0 "$logo" 2>/dev/null || echo "$prog: the window summoned from was closed during the run" >&2
  kill -0 "$pid" 2>/dev/null || echo "$prog: the program ended during the run" >&2
  kill "$pid" "$logo" 2>/dev/null
  wait "$pid" "$logo" 2>/dev/null
  echo "cold=$cold summon=$summon enter=$enter rss=$((rss / 1024))" \
    "wake=$(((v1 - v0) * 2)) switches=$(((s1 - s0) * 2))"
}

results=()
labels=()
if [ -n "$baseline" ]; then
  results+=("$(measure "$baseline")")
  labels+=("baseline")
fi
results+=("$(measure "$bin")")
labels+=("$build")

"$work/bare" >/dev/null 2>&1 &
bare=$!
pids+=($bare)
sleep 3
bare_kb=$(awk '/VmRSS/ {print $2}' "/proc/$bare/status")

field() { tr ' ' '\n' <<<"$1" | sed -n "s/^$2=//p"; }
printf 'desktop figures (Xvfb + openbox); times are median/p95/min(samples)\n'
printf '%-44s' ""
for l in "${labels[@]}"; do printf ' %24s' "$l"; done
printf '\n'
row() {  # row TITLE FIELD UNIT
  printf '%-44s' "$1"
  local r v
  for r in "${results[@]}"; do
    v=$(field "$r" "$2")
    printf ' %24s' "$v $3"
  done
  printf '\n'
}
row "summon: Ctrl+Alt+/ to window in front ($summons)" summon ms
row "Enter to browser started (10)" enter ms
row "cold start to window shown (10)" cold ms
row "idle resident memory, parked" rss MiB
row "idle wake-ups (voluntary switches)" wake /min
row "idle context switches (all)" switches /min
printf '%-44s %24s\n' "idle resident memory, bare Qt window" "$((bare_kb / 1024)) MiB"
