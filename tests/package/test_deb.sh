#!/usr/bin/env bash
# The Debian package: lintian finds no errors, its metadata and man pages are valid, and it
# installs with apt, runs from /usr/bin, finds varnel-listen's dictionary and purges clean.
# Installing needs root; without it only the checks of the file itself run.
set -uo pipefail
. "$(dirname "$0")/../install/listen_starts.sh"
deb=$(readlink -f "$1")
work=$(mktemp -d)
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }
ok() { echo "  ok   $*"; }
installed=0
cleanup() {
  [ "$installed" -eq 1 ] && dpkg --purge varnel >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

[ -f "$deb" ] || { echo "FAIL: no package at $1"; exit 1; }

out=$(lintian --fail-on error "$deb" 2>&1 | grep -v 'running with root privileges')
if lintian --fail-on error "$deb" >/dev/null 2>&1; then ok "lintian reports no errors"; else fail "lintian: $out"; fi
[ -n "$out" ] && printf '%s\n' "$out" | sed 's/^/    lintian: /'

dpkg-deb -x "$deb" "$work/root"
for f in usr/bin/varnel usr/bin/varnel-listen usr/share/varnel/varnel.dic \
  usr/share/applications/varnel.desktop usr/share/applications/varnel-listen.desktop \
  usr/share/icons/hicolor/scalable/apps/varnel.svg usr/share/icons/hicolor/256x256/apps/varnel.png \
  usr/share/icons/hicolor/16x16/apps/varnel.png usr/share/man/man1/varnel.1.gz \
  usr/share/man/man1/varnel-listen.1.gz usr/share/doc/varnel/copyright \
  usr/lib/systemd/user/varnel-listen.service; do
  [ -s "$work/root/$f" ] || fail "$f is not in the package"
done
grep -q '^ExecStart=/usr/bin/varnel-listen$' "$work/root/usr/lib/systemd/user/varnel-listen.service" ||
  fail "the user unit does not start /usr/bin/varnel-listen"
if out=$(appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml 2>&1); then
  ok "AppStream metadata validates"
else
  fail "appstreamcli: $out"
fi
for page in "$work"/root/usr/share/man/man1/*.gz; do
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
[ "$(dpkg-deb -f "$deb" Depends | grep -c 'libqt6widgets6')" -eq 1 ] || fail "Depends not computed from the binaries"

if [ "$(id -u)" -ne 0 ]; then
  echo "  skip installing: not root"
else
  dpkg --purge varnel >/dev/null 2>&1
  if DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1; then
    installed=1
    ok "apt installs the package"
  else
    fail "apt install: $(tail -5 "$work/apt.log")"
  fi
  if [ "$installed" -eq 1 ]; then
    url=$(/usr/bin/varnel --url --scope wikipedia -- ada lovelace 2>&1)
    case "$url" in
      https://*wikipedia.org*) ok "/usr/bin/varnel composes an address" ;;
      *) fail "/usr/bin/varnel --url said: $url" ;;
    esac
    if listen_starts /usr/bin/varnel-listen "$work"; then up=0; else up=1; fi
    if [ "$up" -eq 0 ]; then ok "/usr/bin/varnel-listen finds its dictionary"; else
      fail "installed varnel-listen did not start: $(cat "$work/listen.log")"; fi
    files=$(dpkg -L varnel | while read -r f; do [ -f "$f" ] && echo "$f"; done)
    dpkg --purge varnel >/dev/null 2>&1 && installed=0
    left=$(for f in $files; do [ -e "$f" ] && echo "$f"; done)
    if [ "$installed" -eq 0 ] && [ -z "$left" ] && ! dpkg -s varnel >/dev/null 2>&1; then
      ok "purging leaves nothing behind"
    else
      fail "after purge: ${left:-package still installed}"
    fi
  fi
fi
[ "$fails" -eq 0 ] && echo "package: every check passed"
[ "$fails" -eq 0 ]
