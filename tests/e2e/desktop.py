"""The X side of the end-to-end test: windows, captions, keys and screenshots,
through the same tools a person's desktop offers (xdotool, xprop, import).
Every wait polls with a deadline, so a game that hangs fails the test instead
of hanging it."""

import os
import re
import subprocess
import time


class Failure(Exception):
    """A check of the game did not hold."""


# The tools print captions in UTF-8 only under a UTF-8 locale.
_TOOL_ENV = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")


def run(*cmd, check=True, timeout=15):
    """Runs a tool and gives its standard output."""
    try:
        done = subprocess.run(cmd, env=_TOOL_ENV, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"{' '.join(cmd)} did not finish within {timeout} s")
    if check and done.returncode != 0:
        raise Failure(f"{' '.join(cmd)} failed ({done.returncode}): {done.stderr.strip()}")
    return done.stdout


# How many times longer than usual the game may take to answer: more for a
# game run under an emulator (run_e2e.sh --patience).
PATIENCE = 1.0


def wait_for(what, probe, timeout=8.0, interval=0.1):
    """Polls probe until it gives something true and returns that; fails
    naming what was awaited, and what was last seen, once timeout (times
    PATIENCE) has passed."""
    timeout *= PATIENCE
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            value = probe()
            if value:
                return value
            last = value
        except Failure as error:
            last = error
        if time.monotonic() > deadline:
            seen = str(last) if isinstance(last, Failure) else repr(last)
            raise Failure(f"waited {timeout:g} s for {what}; last seen: {seen}")
        time.sleep(interval)


def wait_equal(what, read, expected, timeout=8.0):
    """Polls read() until it gives expected; the failure tells what it gave last."""
    def probe():
        value = read()
        if value != expected:
            raise Failure(repr(value))
        return True
    wait_for(f"{what} to be {expected!r}", probe, timeout=timeout)


def visible_windows(pid):
    """The mapped top-level windows of a process (by _NET_WM_PID)."""
    out = run("xdotool", "search", "--onlyvisible", "--pid", str(pid), check=False)
    return [int(line) for line in out.split()]


def _unquote(value):
    if len(value) >= 2 and value[0] == '"' and value[-1] == '"':
        return re.sub(r'\\(.)', r'\1', value[1:-1])
    return value


def window_property(wid, name):
    """A window property as xprop prints it, quotes removed; None when unset."""
    out = run("xprop", "-id", str(wid), "-notype", name, check=False).strip()
    prefix = name + " = "
    if not out.startswith(prefix):
        return None
    return _unquote(out[len(prefix):])


def title(wid):
    """The caption the window manager shows: _NET_WM_NAME, else WM_NAME."""
    value = window_property(wid, "_NET_WM_NAME")
    return value if value is not None else window_property(wid, "WM_NAME")


def wm_state(wid):
    """The _NET_WM_STATE atoms of a window, as a set of names."""
    value = window_property(wid, "_NET_WM_STATE") or ""
    return {atom.strip() for atom in value.split(",") if atom.strip()}


def window_geometry(wid):
    """(x, y, width, height) of a window on the screen, in device pixels, its
    frame left out. (xdotool counts the frame's offset twice under openbox.)"""
    out = run("xwininfo", "-id", str(wid))
    values = {}
    for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                       ("width", "Width"), ("height", "Height")):
        match = re.search(rf"^\s*{label}:\s*(-?\d+)", out, re.MULTILINE)
        if not match:
            raise Failure(f"xwininfo gives no {label} for window {wid}")
        values[key] = int(match.group(1))
    return values["x"], values["y"], values["width"], values["height"]


def screen_size():
    out = run("xdotool", "getdisplaygeometry")
    width, height = out.split()
    return int(width), int(height)


def active_window():
    out = run("xdotool", "getactivewindow", check=False).strip()
    return int(out) if out.isdigit() else None


def activate(wid, what):
    """Brings a window to the front and waits until the window manager says it has the focus."""
    def probe():
        if active_window() == wid:
            return True
        run("xdotool", "windowactivate", str(wid), check=False)
        return False
    wait_for(f"{what} to get the keyboard focus", probe, timeout=5, interval=0.2)


def minimize(wid):
    run("xdotool", "windowminimize", str(wid))


def type_text(text):
    """Types as a person would: real key presses to the focused window."""
    run("xdotool", "type", "--delay", "25", "--", text)


def press(*keys):
    run("xdotool", "key", "--delay", "40", *keys)


def press_until(key, what, done, timeout=15.0):
    """Presses a key and holds it down until done() holds (autorepeat off).
    With a screen reader listening to keys, Qt keeps each key event until the
    reader has answered, and never frees one whose control has gone by then:
    the release of a key that closed a box, which the sanitizer reports as a
    leak. Released once the box is gone, the key goes to what is left."""
    run("xset", "r", "off")
    run("xdotool", "keydown", key)
    try:
        wait_for(what, done, timeout=timeout)
    finally:
        run("xdotool", "keyup", key)


def screenshot(wid, path):
    """Saves a window (an X id, or "root" for the whole screen) as a PNG."""
    run("import", "-window", str(wid), path, timeout=30)
