"""Prints the accessible role and name of every object under the Varnel application;
with --states, a third column "checked" or "unchecked" for check boxes; with --keys, a last
column with the key bindings of each object's actions."""
import sys
import time

import pyatspi


def find_app(deadline):
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower() == "varnel":
                return app
        time.sleep(0.2)
    return None


def key_bindings(obj):
    try:
        action = obj.queryAction()
    except NotImplementedError:
        return ""
    return " ".join(action.getKeyBinding(i) for i in range(action.nActions))


def walk(obj, depth=0):
    for child in obj:
        if child is None:
            continue
        line = f"{child.getRoleName()}\t{child.name}"
        if SHOW_STATES and child.getRole() == pyatspi.ROLE_CHECK_BOX:
            checked = child.getState().contains(pyatspi.STATE_CHECKED)
            line += "\tchecked" if checked else "\tunchecked"
        if SHOW_KEYS:
            line += "\t" + key_bindings(child)
        print(line)
        if depth < 8:
            walk(child, depth + 1)


SHOW_STATES = "--states" in sys.argv[1:]
SHOW_KEYS = "--keys" in sys.argv[1:]
app = find_app(time.time() + 15)
if app is None:
    print("no accessible application named varnel", file=sys.stderr)
    sys.exit(1)
walk(app)
