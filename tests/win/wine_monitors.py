#!/usr/bin/env python3
"""varnel.exe under Wine on two monitors: the window comes up on the monitor of the program
it is summoned from, at the place it had there, and on one that is still there when a
monitor is unplugged. Wine sees the monitors of the X server's dummy driver, which xrandr
plugs in and out; Xvfb has only one.

Usage: wine_monitors.py <build-dir>
"""
import os
import shutil
import sys

sys.dont_write_bytecode = True  # no cache folder left in the sources
import wine_desktop  # noqa: E402
from wine_desktop import Failure, wait_for  # noqa: E402
from wine_winui import CLASS, Desktop, numbers, probe  # noqa: E402

CONF = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e", "xorg_monitors.conf")
LEFT = (1280, 1024)
RIGHT = (1024, 768)
SMALL = (640, 480)
NOTEPAD_SIZE = ("400", "300")


class MonitorsSession(wine_desktop.Session):
    def start_server(self):
        log = os.path.join(self.tmp, "xorg.log")
        self.start_display(["Xorg", "-displayfd", "{fd}", "-config", os.path.abspath(CONF), "-noreset",
                            "-nolisten", "tcp", "-logfile", log], "the X server")
        self.xrandr("--output", "DUMMY0", "--mode", "%dx%d" % LEFT, "--primary")
        self.xrandr("--addmode", "DUMMY1", "%dx%d" % RIGHT)
        self.plug_right("--right-of")

    def xrandr(self, *args):
        self.run(["xrandr", *args], timeout=20)
        # A query makes the server poll its driver, and only then does it tell its clients
        # (Wine among them) of the change.
        self.run(["xrandr", "--query"], timeout=20)

    def plug_right(self, where):
        self.xrandr("--output", "DUMMY1", "--mode", "%dx%d" % RIGHT, where, "DUMMY0")

    def monitors(self):
        r = self.run(["wine", self.probe_tool(), "screen"],
                     check=False, timeout=60)
        return [numbers(line.split()[1].split("=", 1)[1]) for line in r.stdout.splitlines()
                if line.startswith("monitor=")]


def window(s):
    _, win = probe(s, "rect", CLASS)
    return numbers(win.get("rect")) or [0, 0, 0, 0]


def inside(rect, area):
    return rect[0] >= area[0] and rect[1] >= area[1] and rect[2] <= area[2] and rect[3] <= area[3]


def centred(rect, area):
    return abs((rect[0] + rect[2]) // 2 - (area[0] + area[2]) // 2) <= 2


def monitors_case(s):
    if not wait_for(lambda: len(s.monitors()) == 2, 20):
        raise Failure(f"Wine sees {len(s.monitors())} monitors, not 2")
    left_work, right_work = sorted(s.monitors())
    d = Desktop(s)

    def summon_from(x, y):
        s.key("Escape")
        wait_for(lambda: not d.front(), 10)
        # Small enough to lie wholly on either monitor, as a window someone works in does.
        probe(s, "place", "Notepad", str(x), str(y), *NOTEPAD_SIZE)
        if not d.to_notepad():
            raise Failure(f"notepad at {x},{y} did not come to the front: {s.active_name()!r}")
        if not d.summon():
            raise Failure(f"no summons from notepad at {x},{y}: {s.active_name()!r} in front")
        return window(s)

    first = summon_from(40, 600)
    s.check("summoned from the left monitor, the window lies on it, centred",
            inside(first, left_work) and centred(first, left_work), f"{first} in {left_work}")
    right = summon_from(right_work[0] + 100, 400)
    s.check("summoned from the right monitor, the window comes up there, centred",
            inside(right, right_work) and centred(right, right_work), f"{right} in {right_work}")
    back = summon_from(40, 600)
    s.check("back on the left monitor at the place it had there", back == first, f"{back}, first {first}")

    summon_from(right_work[0] + 100, 400)
    s.key("Escape")
    wait_for(lambda: not d.front(), 10)
    s.xrandr("--output", "DUMMY1", "--off")
    if not wait_for(lambda: len(s.monitors()) == 1, 20):
        raise Failure("the right monitor stayed")
    after = summon_from(40, 600)
    s.check("a monitor unplugged: the window comes back at its place on the one left",
            after == first, f"{after}, first {first}")

    # A monitor too small for the window: laid out smaller there, its own size again back on
    # the big one.
    s.key("Escape")
    wait_for(lambda: not d.front(), 10)
    s.xrandr("--addmode", "DUMMY1", "%dx%d" % SMALL)
    s.xrandr("--output", "DUMMY1", "--mode", "%dx%d" % SMALL, "--right-of", "DUMMY0")
    if not wait_for(lambda: len(s.monitors()) == 2, 20):
        raise Failure("the small monitor did not come")
    small_work = sorted(s.monitors())[1]
    small = summon_from(small_work[0] + 40, 100)
    s.check("on a monitor too small for it, the window is made to fit there",
            inside(small, small_work), f"{small} in {small_work}")
    big = summon_from(40, 600)
    s.check("back on the big monitor, the window is its own size again",
            big[2] - big[0] == first[2] - first[0] and big[3] - big[1] == first[3] - first[1],
            f"{big}, first {first}")


def main():
    if shutil.which("Xorg") is None or not os.path.exists("/usr/lib/xorg/modules/drivers/dummy_drv.so"):
        print("SKIP: the X server or its dummy driver missing")
        return 0
    if os.geteuid() != 0:
        print("SKIP: the X server starts only for root here")
        return 0
    return wine_desktop.run_cases(sys.argv[1], [("monitors", monitors_case)], 150, MonitorsSession)


if __name__ == "__main__":
    sys.exit(main())
