#!/usr/bin/env bash
# Builds build/ and runs every bench: the compiled bench programs, then the script benches
# (bench/bench_*.sh and bench/bench_*.py, which take the build folder as first argument).
set -uo pipefail
cd "$(dirname "$0")/.."
build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_BENCH=ON >/dev/null || exit 1
if ! cmake --build "$build" -j "$(nproc)"; then
  echo "full build failed; running the bench programs that build" >&2
  cmake --build "$build" -j "$(nproc)" --target varnel_benches || exit 1
fi

status=0
run() {  # NAME COMMAND...
  local name=$1
  shift
  printf '\n== %s ==\n' "$name"
  "$@" || { echo "$name failed"; status=1; }
}
for program in "$build"/bench/bench_*; do
  [ -f "$program" ] && [ -x "$program" ] && run "$(basename "$program")" "$program"
done
for script in bench/bench_*.sh; do
  [ -f "$script" ] && run "$(basename "$script")" bash "$script" "$build"
done
for script in bench/bench_*.py; do
  [ -f "$script" ] && run "$(basename "$script")" python3 "$script" "$build"
done
exit $status
