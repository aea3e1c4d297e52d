#!/usr/bin/env bash
# Installs the Debian packages Varnel needs to build, run and test.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

groups="${1:-all}"

# What building needs; `make run` installs this, linux, voice-run and headless only.
base=(cmake make g++ pkg-config)
# Development and test tools.
devtools=(clang libclang-rt-14-dev clang-format clang-tidy libgtest-dev libgmock-dev valgrind)
linux=(qt6-base-dev qt6-svg-dev libqt6svg6 qt6-base-private-dev
       libxcb1-dev libxcb-record0-dev libxcb-xtest0-dev libxcb-ewmh-dev libxcb-icccm4-dev
       libxcb-keysyms1-dev libxcb-xkb-dev libxcb-util-dev libglib2.0-dev x11proto-dev
       fonts-noto-core fonts-dejavu-core xdg-utils)
# A private display for `make run` where there is none.
headless=(xvfb openbox xdotool x11-utils x11-apps imagemagick)
# The desktop tests; sway with XWayland and Qt's Wayland plugin for the Wayland session test;
# trayer, an XEmbed tray host that runs under Xvfb, for the tray icon test; other window
# managers for some desktop tests: fluxbox tells a window's frame only once it is mapped,
# metacity guards against focus stealing, twm knows nothing of EWMH. The X server with its
# dummy driver gives the monitors test monitors to plug in and out, which Xvfb cannot.
desktop=("${headless[@]}" python3-pyatspi at-spi2-core dbus-x11 python3 desktop-file-utils
         sway xwayland qt6-wayland trayer fluxbox metacity twm xserver-xorg-core
         xserver-xorg-video-dummy x11-xserver-utils)
# The recogniser's build and run needs; the spoken tests need a voice and a sound server.
voice_run=(libpocketsphinx-dev libsphinxbase-dev pocketsphinx-en-us libpulse-dev libsndfile1-dev
           libsamplerate0-dev)
voice=("${voice_run[@]}" espeak-ng sox pulseaudio-utils)
# A private sound server stands in for a microphone in the tests. Where PipeWire already
# serves PulseAudio clients, installing it would replace that, so the test skips there.
if ! dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null | grep -q 'install ok installed'; then
  voice+=(pulseaudio)
fi
windows=(g++-mingw-w64-x86-64-posix wine wine64)
# `make package`: the Debian package's tools and checks, and NSIS for the Windows installer.
package=(dpkg-dev fakeroot lintian appstream file nsis)
# Only for `bench/bench_listen.py --flite`: a second synthesiser's voices.
bench=(flite)

want=()
case "$groups" in
  all) want=("${base[@]}" "${devtools[@]}" "${linux[@]}" "${desktop[@]}" "${voice[@]}"
             "${windows[@]}" "${package[@]}") ;;
  run) want=("${base[@]}" "${linux[@]}" "${voice_run[@]}" "${headless[@]}") ;;
  *) for g in ${groups//,/ }; do
       case "$g" in
         base) want+=("${base[@]}") ;;
         devtools) want+=("${devtools[@]}") ;;
         headless) want+=("${headless[@]}") ;;
         package) want+=("${package[@]}") ;;
         linux) want+=("${linux[@]}") ;;
         desktop) want+=("${desktop[@]}") ;;
         voice) want+=("${voice[@]}") ;;
         windows) want+=("${windows[@]}") ;;
         bench) want+=("${bench[@]}") ;;
         *) echo "install-deps: unknown group '$g'" >&2; exit 2 ;;
       esac
     done ;;
esac

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
