#!/usr/bin/env python3
"""End-to-end checks of varnel.exe under Wine on a virtual X display.

Usage: wine_desktop.py <build-dir> <case>...   cases: platform, desktop, profile
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

DISPLAY = ":56"
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
            "DISPLAY": DISPLAY,
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

    def start(self):
        if os.path.exists(f"/tmp/.X11-unix/X{DISPLAY[1:]}"):
            raise Failure(f"display {DISPLAY} is taken")
        self.spawn(["Xvfb", DISPLAY, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"])
        wait_for(lambda: os.path.exists(f"/tmp/.X11-unix/X{DISPLAY[1:]}"), 10, "Xvfb")
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
    notepad = s.focused()

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
    s.check("the search hands the foreground back to notepad",
            wait_for(lambda: s.focused() == notepad, 10), s.active_name())
    s.check("the terms are kept as history", wait_for(lambda: "SearchHistory=wine test" in read_cfg(cfg), 5),
            read_cfg(cfg))

    s.key("ctrl+alt+slash")
    s.check("summoned again", wait_for(lambda: s.active_name() == CAPTION, 10), s.active_name())
    s.key("Escape")
    s.check("Escape hands the foreground back to notepad",
            wait_for(lambda: s.focused() == notepad, 10), s.active_name())

    # The right Alt with Ctrl is AltGr, which types characters on many layouts: no summons.
    s.key("ctrl+Alt_R+slash")
    time.sleep(1.5)
    s.check("right Alt+Ctrl+/ (AltGr) does not summon", s.focused() == notepad, s.active_name())
    s.key("ctrl+Alt_L+slash")
    s.check("left Ctrl+Alt+/ still summons", wait_for(lambda: s.active_name() == CAPTION, 10),
            s.active_name())
    s.key("Escape")
    wait_for(lambda: s.focused() == notepad, 10)

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
    raw = read_bytes(cfg)
    s.check("the accented history is saved as UTF-8", b"SearchHistory=caf\xc3\xa9\r\n" in raw, repr(raw))
    own = s.run(["wine", tool, "read", wincfg, "History", "SearchHistory"], check=False, timeout=60)
    s.check("the program reads the accented history back", own.stdout.strip() == "caf\u00e9",
            repr(own.stdout))
    s.check("the search hands the foreground back to notepad again",
            wait_for(lambda: s.focused() == notepad, 10), s.active_name())

    s.key("ctrl+alt+slash")
    wait_for(lambda: s.active_name() == CAPTION, 10)
    s.chord("alt", "F4")
    s.check("closing the window ends the program", wait_for(lambda: first.poll() is not None, 15))


def profile(s):
    tool = os.path.join(s.build, "tests", "win", "profile_interop.exe")
    folder = os.path.join(s.tmp, "profiles")
    os.makedirs(folder)
    winpath = s.run(["winepath", "-w", folder]).stdout.strip()
    r = s.run(["wine", tool, "check", winpath], check=False, timeout=120)
    print(r.stdout, end="")
    s.check("settings files read the same through both readers", r.returncode == 0, r.stderr[:200])


def platform(s):
    r = s.run(["wine", os.path.join(s.build, "tests", "win", "platform_checks.exe")], check=False, timeout=120)
    print(r.stdout, end="")
    s.check("the platform layer's checks pass", r.returncode == 0, r.stderr[:200])


CASES = {"platform": platform, "desktop": desktop, "profile": profile}


class Stopped(Exception):
    pass


def stop_on_signal(signum, _frame):
    raise Stopped(f"stopped by signal {signum}")


def main():
    build, names = sys.argv[1], sys.argv[2:] or list(CASES)
    # A run that hangs ends here, with its processes stopped, before ctest's own timeout
    # would kill this script and leave Wine and Xvfb behind.
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGALRM):
        signal.signal(sig, stop_on_signal)
    signal.alarm(int(os.environ.get("VARNEL_WINE_DEADLINE", "170")))
    s = Session(build)
    try:
        s.start()
        for name in names:
            print(f"{name}:", flush=True)
            try:
                CASES[name](s)
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


if __name__ == "__main__":
    sys.exit(main())
