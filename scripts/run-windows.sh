#!/usr/bin/env bash
# Builds the Windows program with mingw-w64 and starts it under Wine. Without a display it
# runs on a virtual one for a few seconds and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DVARNEL_BENCH=OFF >/dev/null
cmake --build build-win -j "$(nproc)" --target varnel

export WINEPREFIX="${WINEPREFIX:-$PWD/build-win/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -n "${DISPLAY:-}" ]; then
  exec wine build-win/varnel.exe "$@"
fi

display=:57
shot=build-win/varnel-windows.png
pids=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
sleep 1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Built aside and renamed when complete: an interrupted start leaves no half-made prefix.
  rm -rf "$WINEPREFIX.new"
  WINEPREFIX=$WINEPREFIX.new wineboot -i >/dev/null 2>&1
  WINEPREFIX=$WINEPREFIX.new wineserver -w
  mv "$WINEPREFIX.new" "$WINEPREFIX"
fi
wine build-win/varnel.exe "$@" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 60); do
  xdotool search --onlyvisible --name '^ ?Varnel$' >/dev/null 2>&1 && break
  sleep 0.5
done
sleep 2
import -window root "$shot"
echo "No display: Varnel ran on a virtual one; screenshot in $shot"
