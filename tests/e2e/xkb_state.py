"""Sets the X keyboard's state as the desktop does, which XTEST's keys cannot: latched or
locked modifiers (sticky keys) and the locked layout group (a layout switch among the groups
of one keyboard map); and presses keys by their key codes in whatever group is in force,
where xdotool would switch to the first group that has the character.

usage: xkb_state.py latch MASK | lock MASK | group N | press KEYSYM...
       (MASK: Shift 1, Control 4, Mod1 8; the keys of the first group's KEYSYMs go down in
       order and up in reverse)
"""
import ctypes
import sys

USE_CORE_KBD = 0x100
ALL_MODIFIERS = 0xFF

x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
display = ctypes.c_void_p(x.XOpenDisplay(None))
if not display:
    sys.exit("cannot open the display")
what = sys.argv[1]
if what == "press":
    xtst = ctypes.CDLL("libXtst.so.6")
    x.XStringToKeysym.restype = ctypes.c_ulong
    codes = [x.XKeysymToKeycode(display, ctypes.c_ulong(x.XStringToKeysym(name.encode())))
             for name in sys.argv[2:]]
    if 0 in codes:
        sys.exit(f"no key for one of {sys.argv[2:]}")
    for down, order in ((1, codes), (0, list(reversed(codes)))):
        for code in order:
            xtst.XTestFakeKeyEvent(display, code, down, 0)
            x.XSync(display, 0)
    sys.exit(0)
value = int(sys.argv[2])
if what == "latch":
    ok = x.XkbLatchModifiers(display, USE_CORE_KBD, ALL_MODIFIERS, value)
elif what == "lock":
    ok = x.XkbLockModifiers(display, USE_CORE_KBD, ALL_MODIFIERS, value)
elif what == "group":
    ok = x.XkbLockGroup(display, USE_CORE_KBD, value)
else:
    sys.exit(__doc__)
x.XSync(display, 0)
sys.exit(0 if ok else 1)
