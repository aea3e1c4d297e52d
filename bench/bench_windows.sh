#!/usr/bin/env bash
# The Windows program's desktop figures under Wine beside the Linux program's (from the
# build folder given), on a bare virtual display. Usage: bench/bench_windows.sh [BUILD_DIR]
exec bash "$(dirname "$0")/win/bench_summon_wine.sh" "${1:-build}" 30
