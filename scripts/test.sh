#!/usr/bin/env bash
# Builds and runs every test suite: the normal build (unit, desktop and voice tests),
# the sanitizer build of the unit tests, the bounded fuzz runs, the Windows build under Wine
# (its installer too) and the Debian package.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

stage() { printf '\n== %s ==\n' "$*"; }

# Runs ctest in a build folder and adds its counts to the totals.
run_ctest() {
  local dir=$1; shift
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    local f t
    f=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
  elif ! grep -q 'No tests were found' "$log"; then
    failed=$((failed + 1))
  fi
}

build() {
  local dir=$1; shift
  if ! { cmake -S . -B "$dir" -DVARNEL_WERROR=ON "$@" >/dev/null && cmake --build "$dir" -j "$jobs"; }; then
    echo "build in $dir failed"
    failed=$((failed + 1))
    return 1
  fi
}

stage "build and test (build/)"
build build -DCMAKE_BUILD_TYPE=RelWithDebInfo && run_ctest build

stage "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/)"
build build-asan -DCMAKE_BUILD_TYPE=Debug -DVARNEL_SANITIZE=ON -DVARNEL_CORE_ONLY=ON -DVARNEL_BENCH=OFF \
  && ASAN_OPTIONS=detect_leaks=1 run_ctest build-asan -L unit

if [ -f tests/fuzz/CMakeLists.txt ]; then
  stage "bounded fuzz runs (build-fuzz/)"
  build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVARNEL_FUZZ=ON -DVARNEL_CORE_ONLY=ON -DVARNEL_BENCH=OFF && run_ctest build-fuzz -L fuzz
fi

if [ -f cmake/mingw-w64-x86_64.cmake ] && [ -f src/adapters/win32/CMakeLists.txt ]; then
  stage "Windows build under Wine (build-win/)"
  build build-win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVARNEL_BENCH=OFF \
    && run_ctest build-win
fi

# `make package`, then the Debian package's checks (the installer's run under Wine above).
if [ -x scripts/package.sh ]; then
  stage "packages (make package)"
  if ./scripts/package.sh && bash tests/package/test_deb.sh build/varnel_*.deb; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
fi

printf '\n%s passed, %s failed\n' "$passed" "$failed"
[ "$failed" -eq 0 ]
