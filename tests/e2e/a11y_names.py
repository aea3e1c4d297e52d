"""Prints the accessible role and name of every object under the Varnel application."""
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


def walk(obj, depth=0):
    for child in obj:
        if child is None:
            continue
        print(f"{child.getRoleName()}\t{child.name}")
        if depth < 8:
            walk(child, depth + 1)


app = find_app(time.time() + 15)
if app is None:
    print("no accessible application named varnel", file=sys.stderr)
    sys.exit(1)
walk(app)
