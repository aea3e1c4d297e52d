#!/usr/bin/env bash
# A summon chord that another program already holds (here the window manager's key binding)
# is reported once at start.
. "$(dirname "$0")/lib.sh"
start_desktop
cat >"$WORK/rc.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard>
    <keybind key="A-F4"><action name="Close"/></keybind>
    <keybind key="C-A-slash"><action name="Unshade"/></keybind>
  </keyboard>
</openbox_config>
XML
openbox --reconfigure
sleep 1
start_varnel
wait_for 5 grep -q "already holds Ctrl+Alt+/" "$WORK/varnel.log" \
  || fail "the chord held by the window manager was not reported"
[ "$(grep -c "already holds" "$WORK/varnel.log")" = 1 ] || fail "reported more than once"
pass "a chord another program holds is reported once"
