#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs from it.
set -uo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

if ! cmake --install "$build" --prefix "$prefix" >"$prefix/install.log" 2>&1; then
  cat "$prefix/install.log"
  echo "FAIL: cmake --install"
  exit 1
fi

for f in bin/varnel bin/varnel-listen; do
  [ -x "$prefix/$f" ] || fail "$f is not installed as a program"
done
for f in share/varnel/varnel.dic share/applications/varnel.desktop \
  share/applications/varnel-listen.desktop share/icons/hicolor/scalable/apps/varnel.svg \
  share/icons/hicolor/48x48/apps/varnel.png share/icons/hicolor/256x256/apps/varnel.png \
  share/man/man1/varnel.1.gz share/man/man1/varnel-listen.1.gz share/doc/varnel/copyright \
  share/metainfo/io.github.varnel.Varnel.metainfo.xml lib/systemd/user/varnel-listen.service; do
  [ -s "$prefix/$f" ] || fail "$f is missing"
done

# The user unit starts the installed program, wherever the prefix is.
grep -qx "ExecStart=$prefix/bin/varnel-listen" "$prefix/lib/systemd/user/varnel-listen.service" ||
  fail "the user unit does not start $prefix/bin/varnel-listen"
# The PNG icons are the size their folder says.
if command -v identify >/dev/null; then
  size=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/48x48/apps/varnel.png" 2>&1)
  [ "$size" = 48x48 ] || fail "the 48x48 icon is $size"
fi

# Each menu entry is valid and starts a program that was installed, with the installed icon.
for entry in "$prefix"/share/applications/*.desktop; do
  if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$entry" 2>&1) || fail "$(basename "$entry"): $out"
  fi
  exe=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$prefix/bin/$exe" ] || fail "$(basename "$entry") starts '$exe', which is not installed"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "$(basename "$entry") shows icon '$icon', which is not installed"
done

# The installed recogniser finds its own dictionary under the prefix, not in the build folder:
# it listens (its socket appears) only once its dictionaries are loaded.
. "$(dirname "$0")/listen_starts.sh"
listen() { listen_starts "$prefix/bin/varnel-listen" "$prefix"; }
listen || fail "installed varnel-listen did not start: $(cat "$prefix/listen.log")"
if [ ! -e /usr/share/varnel/varnel.dic ]; then
  mv "$prefix/share/varnel/varnel.dic" "$prefix/varnel.dic.away"
  if listen; then
    fail "varnel-listen started without its dictionary"
  elif ! grep -q "cannot find varnel.dic" "$prefix/listen.log"; then
    fail "varnel-listen without its dictionary said: $(cat "$prefix/listen.log")"
  fi
fi

[ "$fails" -eq 0 ] && echo "install: every check passed"
[ "$fails" -eq 0 ]
