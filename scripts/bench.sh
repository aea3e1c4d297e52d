#!/usr/bin/env bash
# Builds the benchmark programs in build/ and runs each one, printing its table.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNEL_BENCH=ON >/dev/null
cmake --build build -j "$(nproc)" --target varnel_benches
status=0
for program in build/bench/bench_*; do
  [ -x "$program" ] && [ -f "$program" ] || continue
  printf '\n== %s ==\n' "$(basename "$program")"
  "$program" || { echo "$(basename "$program") failed"; status=1; }
done
exit $status
