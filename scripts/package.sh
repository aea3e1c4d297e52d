#!/usr/bin/env bash
# `make package`: the Debian package from a release build (build/varnel_<version>_amd64.deb)
# and the Windows installer (build-win/varnel-<version>-setup.exe). Neither build turns
# warnings into errors: a packager's compiler may warn where ours does not.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# Debian's hardening flags (fortified functions, read-only relocations bound at start).
if command -v dpkg-buildflags >/dev/null; then
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
  CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
  LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
  export CFLAGS CXXFLAGS LDFLAGS
fi
cmake -S . -B build-pkg -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DVARNEL_TESTS=OFF -DVARNEL_BENCH=OFF >/dev/null
cmake --build build-pkg -j "$jobs"
rm -f build-pkg/varnel_*.deb
(cd build-pkg && cpack -G DEB >/dev/null)
mkdir -p build
rm -f build/varnel_*.deb
mv build-pkg/varnel_*.deb build/
deb=$(ls build/varnel_*.deb)
echo "package: $deb"

unset CFLAGS CXXFLAGS LDFLAGS
cmake -S . -B build-win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DVARNEL_BENCH=OFF >/dev/null
cmake --build build-win -j "$jobs" --target installer
echo "package: $(ls build-win/varnel-*-setup.exe)"
