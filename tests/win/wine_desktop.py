#!/usr/bin/env python3
"""End-to-end checks of varnel.exe under Wine on a virtual X display.

Usage: wine_desktop.py <build-dir> <case>...   cases: the names in CASES at the end
Starts Xvfb and openbox, uses a Wine prefix cached in the build folder, and stops every
process it started, also on failure.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

CAPTION = "Varnel"  # the title " Varnel" as xdotool prints it, trimmed


class Failure(Exception):
    pass


class Session:
    def __init__(self, build):
        self.build = os.path.abspath(build)
        self.tmp = tempfile.mkdtemp(prefix="varnel-wine-")
        self.procs = []
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": os.path.join(self.build, "wine-prefix"),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",  # no Mono or Gecko prompts
        })
        self.results = []

    # ---- processes
    def spawn(self, args, **kw):
        p = subprocess.Popen(args, env=self.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, **kw)
        self.procs.append(p)
        return p

    def run(self, args, timeout=60, check=True, cwd=None):
        # Output goes through files, not pipes: Wine's background services inherit the
        # descriptors and would hold a pipe open long after the command has ended.
        with tempfile.TemporaryFile("w+", encoding="utf-8", errors="replace") as out, \
                tempfile.TemporaryFile("w+", encoding="utf-8", errors="replace") as err:
            p = subprocess.run(args, env=self.env, stdout=out, stderr=err, timeout=timeout, cwd=cwd)
            out.seek(0)
            err.seek(0)
            r = subprocess.CompletedProcess(args, p.returncode, out.read(), err.read())
        if check and r.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {r.stderr.strip()[:200]}")
        return r

    def start_display(self, command, name):
        """Starts an X server that picks a free display and writes its number to the file
        descriptor that `command` takes in place of "{fd}": no run can take another's."""
        read_end, write_end = os.pipe()
        self.spawn([str(write_end) if a == "{fd}" else a for a in command], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number.isdigit():
            raise Failure(f"{name} did not start")
        self.env["DISPLAY"] = f":{number}"

    def start_server(self):
        self.start_display(["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1280x1024x24",
                            "-nolisten", "tcp"], "Xvfb")

    def start(self):
        self.start_server()
        # Wine's windows run unmanaged (below), so no window manager is needed; one that runs
        # anyway takes the focus back to itself at times, so it is only started on request.
        if os.environ.get("VARNEL_WINE_WM"):
            self.spawn([os.environ["VARNEL_WINE_WM"]])
        prefix = self.env["WINEPREFIX"]
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            # Built aside and renamed when complete, so an interrupted run never leaves a
            # half-made prefix that later runs would take for a good one.
            fresh = prefix + ".new"
            shutil.rmtree(fresh, ignore_errors=True)
            shutil.rmtree(prefix, ignore_errors=True)
            self.env["WINEPREFIX"] = fresh
            try:
                self.run(["wineboot", "-i"], timeout=240)
                self.run(["wineserver", "-w"], timeout=120)
            finally:
                self.run(["wineserver", "-k"], check=False, timeout=30)
                self.env["WINEPREFIX"] = prefix
            os.rename(fresh, prefix)
        # Keep one server alive for the whole run so every start is quick.
        self.spawn(["wineserver", "-f", "-p"])
        time.sleep(0.5)
        # Wine's windows unmanaged: Wine then moves the input focus itself when a program
        # takes the foreground, as Windows does; a window manager would refuse that as focus
        # stealing.
        self.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"])
        # The usual scale, whatever a run stopped halfway through a scale check left behind.
        self.run(["wine", "reg", "add", r"HKEY_CURRENT_CONFIG\Software\Fonts", "/v", "LogPixels", "/t",
                  "REG_DWORD", "/d", "96", "/f"])

    def stop(self):
        try:
            self.run(["wineserver", "-k"], check=False, timeout=60)
        except subprocess.TimeoutExpired:
            pass
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)

    # ---- X helpers
    def xdo(self, *args):
        return self.run(["xdotool", *args], timeout=20, check=False).stdout.strip()

    def focused(self):
        return self.xdo("getwindowfocus")

    def active_name(self):
        w = self.focused()
        return self.xdo("getwindowname", w) if w else ""

    def probe_tool(self):
        """The test build's win_probe.exe, which asks Windows what the X server cannot say."""
        return os.path.join(self.build, "tests", "win", "win_probe.exe")

    def came_back_to(self, name, timeout=5):
        """Whether the window titled `name` is in front again. Windows' own word counts: Wine
        at times leaves X's focus on the root window when the window that had it leaves the
        screen (a parked window), and then puts it nowhere, so the tests' keys would go
        nowhere; it is put back on that window, as a window manager would."""
        if wait_for(lambda: name in self.active_name(), timeout):
            return True
        front = self.run(["wine", self.probe_tool(), "foreground"], check=False, timeout=60).stdout
        if name not in front.partition("title=")[2]:
            return False
        print(f"  note X's focus put back on {name!r}, Windows' foreground window", flush=True)
        self.xdo("search", "--name", name, "windowfocus")
        return wait_for(lambda: name in self.active_name(), 5)

    def key(self, *keys):
        self.xdo("key", "--delay", "60", *keys)

    def chord(self, modifier, key):
        # The key goes up while the modifier is still held, as a person types it.
        self.xdo("keydown", modifier, "key", "--delay", "60", key, "keyup", modifier)

    def check(self, name, ok, detail=""):
        self.results.append((name, ok, detail))
        print(f"  {'ok  ' if ok else 'FAIL'} {name}{(': ' + detail) if detail and not ok else ''}", flush=True)


def wait_for(cond, timeout, what=""):
    end = time.time() + timeout
    while time.time() < end:
        if cond():
            return True
        time.sleep(0.2)
    return False


def read_bytes(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def read_lines(path):
    return [line for line in read_bytes(path).decode("utf-8", "replace").splitlines() if line]


def set_history(cfg, value):
    # Written in one go; the program only reads the file when it is summoned.
    lines = read_bytes(cfg).split(b"\r\n")
    lines = [b"SearchHistory=" + value if line.startswith(b"SearchHistory=") else line for line in lines]
    tmp = cfg + ".new"
    with open(tmp, "wb") as f:
        f.write(b"\r\n".join(lines))
    os.replace(tmp, cfg)


def read_cfg(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def desktop(s):
    app = os.path.join(s.tmp, "app")
    os.makedirs(app)
    shutil.copy(os.path.join(s.build, "varnel.exe"), app)
    exe = os.path.join(app, "varnel.exe")
    cfg = os.path.join(app, "Varnel.cfg")
    urls = os.path.join(s.tmp, "urls.txt")
    recorder = os.path.join(s.tmp, "record-url")
    with open(recorder, "w") as f:
        f.write(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{urls}'\n")
    os.chmod(recorder, 0o755)
    s.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/d", recorder, "/f"])
    s.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Mailers", "/d", recorder, "/f"])

    first = s.spawn(["wine", exe], cwd=app)
    up = wait_for(lambda: s.xdo("search", "--onlyvisible", "--name", f"^ ?{CAPTION}$") != "", 40)
    s.check("first start shows the search window", up)
    if not up:
        raise Failure("no search window")
    s.check("the running instance records its window", wait_for(lambda: "AppHwnd=" in read_cfg(cfg), 10),
            read_cfg(cfg))

    s.spawn(["wine", "notepad"], cwd=s.tmp)
    s.check("notepad comes up", wait_for(lambda: "Notepad" in s.active_name(), 30), s.active_name())

    s.key("ctrl+alt+slash")
    s.check("Ctrl+Alt+/ summons the window from notepad", wait_for(lambda: s.active_name() == CAPTION, 10),
            s.active_name())

    s.xdo("type", "--delay", "40", "wine test")
    s.chord("alt", "n")
    s.chord("alt", "4")
    time.sleep(0.5)
    s.key("Return")
    got = wait_for(lambda: os.path.exists(urls) and os.path.getsize(urls) > 0, 20)
    url = open(urls).read().strip() if got else ""
    s.check("Enter hands an address to the shell", got)
    s.check("the address carries terms, scope and date",
            ("q=wine+test" in url or "q=wine%20test" in url) and "tbm=nws" in url and "qdr:w" in url, url)
    s.check("the search hands the foreground back to notepad", s.came_back_to("Notepad"),
            s.active_name())
    s.check("the terms are kept as history", wait_for(lambda: "SearchHistory=wine test" in read_cfg(cfg), 5),
            read_cfg(cfg))

    s.key("ctrl+alt+slash")
    s.check("summoned again", wait_for(lambda: s.active_name() == CAPTION, 10), s.active_name())
    s.key("Escape")
    s.check("Escape hands the foreground back to notepad", s.came_back_to("Notepad"),
            s.active_name())

    # On a US layout the right Alt is a plain Alt (AltGr elsewhere): a right hand alone may
    # press the chord.
    s.key("ctrl+Alt_R+slash")
    s.check("Ctrl+right Alt+/ summons on a US layout", wait_for(lambda: s.active_name() == CAPTION, 10),
            s.active_name())
    s.key("Escape")
    s.came_back_to("Notepad")
    s.key("ctrl+Alt_L+slash")
    s.check("left Ctrl+Alt+/ still summons", wait_for(lambda: s.active_name() == CAPTION, 10),
            s.active_name())
    s.key("Escape")
    s.came_back_to("Notepad")

    second = s.run(["wine", exe], cwd=app, check=False, timeout=60)
    s.check("a second start hands off and ends", second.returncode == 0, f"rc {second.returncode}")
    s.check("the hand-off brings the first instance's window up",
            wait_for(lambda: s.active_name() == CAPTION, 10), s.active_name())
    s.check("only one instance keeps running", first.poll() is None)

    tool = os.path.join(s.build, "tests", "win", "profile_interop.exe")
    wincfg = s.run(["winepath", "-w", cfg]).stdout.strip()
    read = s.run(["wine", tool, "get", wincfg, "History", "SearchHistory"], check=False, timeout=60)
    s.check("the system's profile reader reads the history", read.stdout.strip() == "wine test",
            repr(read.stdout))

    # Non-ASCII history. The file holds the terms in the older single-byte form; the program
    # reads them, searches, and saves them back as UTF-8.
    set_history(cfg, b"caf\xe9")
    s.key("ctrl+alt+slash")
    s.check("summoned with accented history", wait_for(lambda: s.active_name() == CAPTION, 10),
            s.active_name())
    s.key("Return")
    got = wait_for(lambda: len(read_lines(urls)) >= 2, 20)
    url = read_lines(urls)[-1] if got else ""
    s.check("the accented terms go out as UTF-8 in the address", "q=caf%C3%A9" in url, url)
    # The history is written after the browser is on its way: wait for the file, not the address.
    saved = wait_for(lambda: b"SearchHistory=caf\xc3\xa9\r\n" in read_bytes(cfg), 10)
    s.check("the accented history is saved as UTF-8", saved, repr(read_bytes(cfg)))
    own = s.run(["wine", tool, "read", wincfg, "History", "SearchHistory"], check=False, timeout=60)
    s.check("the program reads the accented history back", own.stdout.strip() == "caf\u00e9",
            repr(own.stdout))
    s.check("the search hands the foreground back to notepad again", s.came_back_to("Notepad"),
            s.active_name())

    s.key("ctrl+alt+slash")
    wait_for(lambda: s.active_name() == CAPTION, 10)
    s.chord("alt", "F4")
    # The notification icon is there: closing only dismisses the window.
    s.check("closing the window with the tray icon hands the foreground back",
            s.came_back_to("Notepad"), s.active_name())
    s.check("and the program stays", first.poll() is None)
    # A close from another program (as the installer sends) still ends it.
    s.run(["wine", "taskkill", "/im", "varnel.exe"], check=False, timeout=60)
    s.check("a close sent by another program ends it", wait_for(lambda: first.poll() is not None, 15))


def instances(s):
    # Copies in two folders, each with its own settings file, started all at once.
    exes = []
    for name in ("one", "two"):
        folder = os.path.join(s.tmp, name)
        os.makedirs(folder)
        shutil.copy(os.path.join(s.build, "varnel.exe"), folder)
        exes.append(os.path.join(folder, "varnel.exe"))
    procs = [s.spawn(["wine", exe], cwd=os.path.dirname(exe)) for exe in (exes[0],) * 3 + (exes[1],) * 2]
    alive = lambda: [p for p in procs if p.poll() is None]  # noqa: E731
    settled = wait_for(lambda: len(alive()) <= 1, 60)
    time.sleep(2)  # a late second resident would show up here
    s.check("simultaneous starts from two folders leave one resident", settled and len(alive()) == 1,
            f"{len(alive())} of {len(procs)} still running")
    codes = [p.returncode for p in procs if p.poll() is not None]
    s.check("the other starts hand off and exit 0", codes and all(c == 0 for c in codes), str(codes))
    windows = s.xdo("search", "--onlyvisible", "--name", f"^ ?{CAPTION}$").split()
    s.check("one search window", len(windows) == 1, f"{len(windows)} windows")
    later = s.run(["wine", exes[1]], cwd=os.path.dirname(exes[1]), check=False, timeout=60)
    s.check("a later start from the other folder hands off", later.returncode == 0 and len(alive()) == 1,
            f"rc {later.returncode}, {len(alive())} running")
    s.check("the hand-off brings the window up", wait_for(lambda: s.active_name() == CAPTION, 10),
            s.active_name())
    # With the notification icon there, closing only dismisses; a close sent by another
    # program ends it.
    s.chord("alt", "F4")
    s.check("closing the window leaves the resident one", not wait_for(lambda: not alive(), 3))
    s.run(["wine", "taskkill", "/im", "varnel.exe"], check=False, timeout=60)
    s.check("a close sent by another program ends the resident one", wait_for(lambda: not alive(), 15))


# Key events the recorder logged: (sign, vk, flags, extra) for "ll" lines.
def hook_events(lines):
    out = []
    for line in lines:
        parts = line.split()
        if parts[0] != "ll":
            continue
        fields = dict(p.split("=") for p in parts[2:])
        out.append((parts[1][0], int(parts[1][1:]), int(fields["flags"]), int(fields["extra"])))
    return out


LLKHF_EXTENDED = 0x01
LLKHF_INJECTED = 0x10
VK_MENU, VK_LMENU, VK_LEFT, VK_F4 = 18, 164, 37, 115
ALT = "Alt"


def keys(s):
    app = os.path.join(s.tmp, "keys-app")
    os.makedirs(app)
    shutil.copy(os.path.join(s.build, "varnel.exe"), app)
    exe = os.path.join(app, "varnel.exe")
    recorder = os.path.join(s.build, "tests", "win", "key_recorder.exe")
    log = os.path.join(s.tmp, "keys.log")
    s.env["VARNEL_TEST_STALL"] = "1"
    varnel = s.spawn(["wine", exe], cwd=app)
    up = wait_for(lambda: s.xdo("search", "--onlyvisible", "--name", f"^ ?{CAPTION}$") != "", 40)
    s.check("the search window comes up", up)
    if not up:
        raise Failure("no search window")

    recorders = []

    def start_recorder():
        open(log, "w").close()
        recorders.append(s.spawn(["wine", recorder, log], cwd=s.tmp))
        return wait_for(lambda: s.active_name() == "KeyLog" and "ready" in read_lines(log), 30)

    s.check("the key recorder comes up in front", start_recorder(), s.active_name())

    def say(phrase, until):
        open(log, "w").close()
        r = s.run(["wine", exe, "--command", phrase], cwd=app, check=False, timeout=60)
        wait_for(lambda: until(read_lines(log)), 10)
        events = [e for e in hook_events(read_lines(log)) if e[2] & LLKHF_INJECTED]
        # Windows reports a plain Alt as the left one; Wine keeps the generic code.
        return r.returncode, [(e[0], ALT if e[1] in (VK_MENU, VK_LMENU) else e[1], e[2], e[3]) for e in events]

    def one_batch(events):
        return len({e[3] for e in events}) == 1 and events[0][3] != 0

    rc, back = say("Go Backward", lambda lines: sum(1 for x in lines if x.startswith("ll")) >= 4)
    plain = [(e[0], e[1], e[2] & LLKHF_EXTENDED) for e in back]
    s.check("'Go Backward' sends left Alt plain and Left extended",
            rc == 0 and plain == [("+", ALT, 0), ("+", VK_LEFT, 1), ("-", VK_LEFT, 1), ("-", ALT, 0)],
            f"rc {rc}, {back}")
    s.check("'Go Backward' goes out as one batch", bool(back) and one_batch(back), str(back))

    # Alt+F4 goes to whatever has the focus: the recorder must have it again.
    wait_for(lambda: s.active_name() == "KeyLog", 10)
    rc, close = say("Close It", lambda lines: "close" in lines
                    and sum(1 for x in lines if x.startswith("ll")) >= 4)
    plain = [(e[0], e[1], e[2] & LLKHF_EXTENDED) for e in close]
    s.check("'Close It' sends left Alt plain and F4 plain",
            rc == 0 and plain == [("+", ALT, 0), ("+", VK_F4, 0), ("-", VK_F4, 0), ("-", ALT, 0)],
            f"rc {rc}, {close}")
    s.check("'Close It' goes out as one batch, another than the last chord's",
            bool(close) and one_batch(close) and bool(back) and close[0][3] != back[0][3], str(close))
    s.check("'Close It' asks the window in front to close", "close" in read_lines(log))

    # The window thread busy for 2 s: keys typed meanwhile reach the application in front
    # before it is free again, and the shortcut works afterwards.
    # A fresh recorder, as after a real close.
    recorders[-1].terminate()
    recorders[-1].wait(10)
    s.check("the key recorder comes up again", start_recorder(), s.active_name())
    staller = s.spawn(["wine", recorder, "stall", "2000", log], cwd=s.tmp)
    wait_for(lambda: "stall begin" in read_lines(log), 20)
    s.xdo("type", "--delay", "40", "abcd")
    wait_for(lambda: "stall end" in read_lines(log), 30)
    staller.wait(10)
    lines = read_lines(log)
    typed = [x for x in lines if x.startswith("char ")]
    end = lines.index("stall end") if "stall end" in lines else len(lines)
    before = [x for x in lines[:end] if x.startswith("char ")]
    s.check("keys typed while Varnel's window thread is busy reach the application at once",
            "stall end" in lines and len(typed) == 4 and before == typed, str(lines))
    s.key("ctrl+alt+slash")
    s.check("Ctrl+Alt+/ summons the window after the stall", wait_for(lambda: s.active_name() == CAPTION, 10),
            s.active_name())

    s.key("Escape")
    s.check("Escape hands the foreground back", s.came_back_to("KeyLog"), s.active_name())
    open(log, "w").close()
    s.key("Tab")
    s.check("Tab elsewhere passes on",
            wait_for(lambda: any(e[1] == 9 and e[0] == "+" for e in hook_events(read_lines(log))), 5),
            str(read_lines(log)))

    # Tab in the window is Varnel's own: it never travels on to the next hook.
    s.key("ctrl+alt+slash")
    s.check("summoned again", wait_for(lambda: s.active_name() == CAPTION, 10), s.active_name())
    open(log, "w").close()
    s.key("Tab")
    time.sleep(0.5)
    tabs = [e for e in hook_events(read_lines(log)) if e[1] == 9]
    s.check("Tab in the search window is swallowed", any(e[0] == "-" for e in tabs)
            and not any(e[0] == "+" for e in tabs), str(tabs))
    # The notification icon is there: closing dismisses, another program's close ends it.
    s.chord("alt", "F4")
    s.check("closing the window leaves the program running", not wait_for(lambda: varnel.poll() is not None, 3))
    s.run(["wine", "taskkill", "/im", "varnel.exe"], check=False, timeout=60)
    s.check("a close sent by another program ends it, its hook with it",
            wait_for(lambda: varnel.poll() is not None, 15))
    del s.env["VARNEL_TEST_STALL"]


def profile(s):
    tool = os.path.join(s.build, "tests", "win", "profile_interop.exe")
    folder = os.path.join(s.tmp, "profiles")
    os.makedirs(folder)
    winpath = s.run(["winepath", "-w", folder]).stdout.strip()
    r = s.run(["wine", tool, "check", winpath], check=False, timeout=120)
    print(r.stdout, end="")
    s.check("settings files read the same through both readers", r.returncode == 0, r.stderr[:200])


def settings(s):
    """Saving while another program holds Varnel.cfg open, as indexers and backup tools do."""
    tool = os.path.join(s.build, "tests", "win", "profile_interop.exe")
    exe = os.path.join(s.build, "varnel.exe")
    folder = os.path.join(s.tmp, "held")
    os.makedirs(folder)
    cfg = os.path.join(folder, "Varnel.cfg")
    before = b"[History]\r\nSearchHistory=before\r\n"
    with open(cfg, "wb") as f:
        f.write(before)
    wincfg = s.run(["winepath", "-w", cfg]).stdout.strip()
    urls = os.path.join(s.tmp, "held-urls.txt")
    recorder = os.path.join(s.tmp, "held-record-url")
    with open(recorder, "w") as f:
        f.write(f"#!/bin/sh\nprintf '%s\\n' \"$@\" >> '{urls}'\n")
    os.chmod(recorder, 0o755)
    s.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/d", recorder, "/f"])

    def search(terms, hold_ms, after_temp):
        marker = os.path.join(folder, f"held-{terms}")
        args = ["wine", tool, "hold", wincfg, str(hold_ms),
                s.run(["winepath", "-w", marker]).stdout.strip()]
        holder = s.spawn(args + (["after-temp"] if after_temp else []))
        if not wait_for(lambda: os.path.exists(marker), 30):
            raise Failure("the helper did not take hold of the file")
        s.env["VARNEL_CFG"] = wincfg
        try:
            r = s.run(["wine", exe, "--search", terms], check=False, timeout=60)
        finally:
            del s.env["VARNEL_CFG"]
        holder.wait(30)
        return r

    r = search("locked", 8000, False)
    lines = [line for line in r.stderr.splitlines() if line.strip()]
    s.check("a save that stays refused fails the search", r.returncode == 1, f"rc {r.returncode}")
    s.check("and says why in one line", len(lines) == 1 and "in use" in lines[0], repr(r.stderr))
    s.check("the held file is unchanged", read_bytes(cfg) == before, repr(read_bytes(cfg)))
    s.check("no temporary file is left", not [n for n in os.listdir(folder) if n.endswith(".tmp")],
            repr(os.listdir(folder)))

    r = search("retried", 300, True)
    s.check("a file let go within a second is saved", r.returncode == 0,
            f"rc {r.returncode} {r.stderr.strip()[:200]}")
    s.check("with the new history", b"SearchHistory=retried\r\n" in read_bytes(cfg), repr(read_bytes(cfg)))


def platform(s):
    r = s.run(["wine", os.path.join(s.build, "tests", "win", "platform_checks.exe")], check=False, timeout=120)
    print(r.stdout, end="")
    s.check("the platform layer's checks pass", r.returncode == 0, r.stderr[:200])


def installer(s):
    import glob
    setups = glob.glob(os.path.join(s.build, "varnel-*-setup.exe"))
    if not setups:
        raise Failure("no installer in the build folder (makensis missing?)")
    drive = os.path.join(s.env["WINEPREFIX"], "drive_c")
    folder = os.path.join(drive, "Program Files", "Varnel")
    uninstall_key = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel"
    run_key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"

    def reg_value(key, name):
        r = s.run(["wine", "reg", "query", key, "/v", name], check=False, timeout=60)
        return r.stdout if r.returncode == 0 else ""

    s.run(["wine", setups[0], "/S"], timeout=120)
    s.check("silent install puts varnel.exe under Program Files",
            os.path.exists(os.path.join(folder, "varnel.exe")), str(os.listdir(os.path.dirname(folder))))
    s.check("the uninstaller is installed", os.path.exists(os.path.join(folder, "uninstall.exe")))
    version = reg_value(uninstall_key, "DisplayVersion")
    s.check("Apps & Features lists it with its version", "REG_SZ" in version, version)
    s.check("... its publisher", "Varnel" in reg_value(uninstall_key, "Publisher"))
    s.check("... and its icon", "varnel.exe" in reg_value(uninstall_key, "DisplayIcon"))
    s.check("a Start menu entry is made",
            bool(glob.glob(os.path.join(drive, "ProgramData", "Microsoft", "Windows", "Start Menu",
                                        "Programs", "Varnel.lnk"))))
    s.check("it starts Varnel at sign-in", "varnel.exe" in reg_value(run_key, "Varnel"))

    url = s.run(["wine", r"C:\Program Files\Varnel\varnel.exe", "--url", "--scope", "wikipedia",
                 "install", "test"], check=False, timeout=60)
    s.check("the installed program composes an address",
            "site%3Awikipedia.org" in url.stdout or "site:wikipedia.org" in url.stdout,
            url.stdout.strip() + url.stderr.strip()[:200])

    # The user's settings outlive the program.
    appdata = s.run(["wine", "cmd", "/c", "echo", "%APPDATA%"], timeout=60).stdout.strip()
    settings = s.run(["winepath", "-u", appdata + r"\Varnel"]).stdout.strip()
    os.makedirs(settings, exist_ok=True)
    with open(os.path.join(settings, "Varnel.cfg"), "w") as f:
        f.write("[History]\r\nSearchHistory=kept\r\n")

    s.run(["wine", os.path.join(folder, "uninstall.exe"), "/S"], timeout=120)
    # The uninstaller runs from a copy of itself and returns at once.
    s.check("silent uninstall leaves nothing under Program Files",
            wait_for(lambda: not os.path.exists(folder), 60),
            str(os.listdir(folder)) if os.path.exists(folder) else "")
    s.check("the Apps & Features entry is gone",
            wait_for(lambda: reg_value(uninstall_key, "DisplayVersion") == "", 20))
    s.check("the sign-in start is gone", reg_value(run_key, "Varnel") == "")
    s.check("the user's settings file stays", os.path.exists(os.path.join(settings, "Varnel.cfg")))
    shutil.rmtree(settings, ignore_errors=True)


CASES = {
    "platform": platform,
    "desktop": desktop,
    "profile": profile,
    "installer": installer,
    "settings": settings,
    "instances": instances,
    "keys": keys,
}


class Stopped(Exception):
    pass


def stop_on_signal(signum, _frame):
    raise Stopped(f"stopped by signal {signum}")


def run_cases(build, cases, default_deadline, session=None):
    """Runs (name, case) pairs in one session; the exit status for the whole run."""
    # A run that hangs ends here, with its processes stopped, before ctest's own timeout
    # would kill this script and leave Wine and Xvfb behind.
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGALRM):
        signal.signal(sig, stop_on_signal)
    signal.alarm(int(os.environ.get("VARNEL_WINE_DEADLINE", str(default_deadline))))
    s = (session or Session)(build)
    try:
        s.start()
        for name, case in cases:
            print(f"{name}:", flush=True)
            try:
                case(s)
            except (Failure, subprocess.TimeoutExpired) as e:
                s.check(f"{name} ran to the end", False, str(e))
    except (Failure, Stopped, subprocess.TimeoutExpired) as e:
        s.check("session ran to the end", False, str(e))
    finally:
        signal.alarm(0)
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGALRM):
            signal.signal(sig, signal.SIG_IGN)
        s.stop()
    failed = [r for r in s.results if not r[1]]
    print(f"{len(s.results) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed or not s.results else 0


def main():
    build, names = sys.argv[1], sys.argv[2:] or list(CASES)
    return run_cases(build, [(name, CASES[name]) for name in names], 170)


if __name__ == "__main__":
    sys.exit(main())
