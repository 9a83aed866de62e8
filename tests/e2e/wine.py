"""The Windows side of the end-to-end test: a fresh Wine prefix standing in
for a school's PC, its registry and folders, and the game's windows found by
the class Wine gives a program's windows. Wine shows no accessibility tree
on the X side, so what a box says is read the way a Windows user copies it:
Ctrl+C in a Qt message box, Ctrl+A Ctrl+C in a text box, then the X
clipboard, which Wine keeps in step with its own."""

import os
import subprocess
import time

import desktop
from desktop import Failure, wait_for


class Prefix:
    """One Wine prefix, made anew: a PC fresh from the box."""

    def __init__(self, folder, log_path, lang, dpi=96):
        self.folder = folder
        self.log = open(log_path, "a")
        self.user = os.environ.get("USER") or "root"
        # No .NET or browser engine: nothing the game needs, and their setup asks questions.
        self.env = dict(os.environ, WINEPREFIX=folder, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        LANG=lang, LC_ALL=lang)
        for key in [k for k in self.env if k.startswith("QT_")]:
            del self.env[key]
        self.run("wineboot", "--init", timeout=240)
        self.set_dpi(dpi)

    def run(self, *args, timeout=60, status=0):
        """Runs a Windows program (or wine's own: wineboot, reg, msiexec) to
        its end, which must come with this exit status (its low byte: Linux
        keeps no more of a Windows exit code)."""
        self.log.write(f"$ wine {' '.join(args)}\n")
        self.log.flush()
        try:
            done = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=self.log, text=True, errors="replace", timeout=timeout * desktop.PATIENCE)
        except subprocess.TimeoutExpired:
            raise Failure(f"wine {' '.join(args)} did not finish within {timeout} s")
        self.log.write(done.stdout)
        if done.returncode != status % 256:
            raise Failure(f"wine {' '.join(args)} ended with status {done.returncode}, not {status % 256}")
        return done.stdout

    def start(self, *args):
        """Starts a Windows program without waiting for it."""
        self.log.write(f"$ wine {' '.join(args)} &\n")
        self.log.flush()
        return subprocess.Popen(["wine", *args], env=self.env, stdin=subprocess.DEVNULL, stdout=self.log,
                                stderr=subprocess.STDOUT)

    def stop(self):
        """Ends every program of this prefix, and Wine's own server for it."""
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, check=False)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60, check=False)

    def set_dpi(self, dpi):
        """Windows' display scale: 96 is 100 %, 120 is 125 %. Programs read
        it as they start, so it is set with none running."""
        self.stop()
        self.run("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                 "/d", str(dpi), "/f")

    def path(self, windows_path):
        """The folder or file on this machine for a C: path."""
        assert windows_path[:3].upper() == "C:\\"
        return os.path.join(self.folder, "drive_c", *windows_path[3:].split("\\"))

    def registry_key(self, key):
        """The values of a registry key as name -> data, or None when the key is not there."""
        try:
            out = self.run("reg", "query", key)
        except Failure:
            return None
        values = {}
        for line in out.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2] if len(parts) == 3 else ""
        return values

    def entries(self, root, name):
        """The version of each installed-apps entry under HKLM or HKCU whose
        DisplayName is name: one program installed twice shows two."""
        try:
            out = self.run("reg", "query", rf"{root}\Software\Microsoft\Windows\CurrentVersion\Uninstall", "/s")
        except Failure:
            return []
        found, key = [], {}
        for line in out.splitlines() + [""]:
            parts = line.strip().split(None, 2)
            if not line.startswith(" ") and key:
                if key.get("DisplayName") == name:
                    found.append(key.get("DisplayVersion", ""))
                key = {}
            elif len(parts) == 3 and parts[1].startswith("REG_"):
                key[parts[0]] = parts[2]
        return sorted(found)

    # Folders as Windows names them for the prefix's one user.
    @property
    def appdata(self):
        return f"C:\\users\\{self.user}\\AppData\\Roaming"

    @property
    def local_appdata(self):
        return f"C:\\users\\{self.user}\\AppData\\Local"


class Game:
    """The game's windows under Wine, whichever way it was started; Wine names
    their class after the exe."""

    def __init__(self, prefix):
        self.prefix = prefix
        self.seen = set()
        self.pid = None

    def windows(self):
        out = desktop.run("xdotool", "search", "--onlyvisible", "--class", "ponderine.exe", check=False)
        return [int(line) for line in out.split()]

    def wait_window(self, what, caption_ok, timeout=20):
        def probe():
            for wid in self.windows():
                if wid not in self.seen and caption_ok(desktop.title(wid) or ""):
                    return wid
            return None
        wid = wait_for(what, probe, timeout=timeout)
        self.seen.add(wid)
        # The process behind it, which Wine names on each window.
        pid = desktop.window_property(wid, "_NET_WM_PID")
        if pid and pid.isdigit():
            self.pid = int(pid)
        return wid

    def running(self):
        if self.pid is None:
            return bool(self.windows())
        try:
            os.kill(self.pid, 0)
            return True
        except ProcessLookupError:
            return False

    def wait_exit(self, timeout=20):
        wait_for("the game to end", lambda: not self.running(), timeout=timeout)


def clipboard():
    """The X clipboard's text, as Wine hands it over ("" when there is none)."""
    done = subprocess.run(["xclip", "-o", "-selection", "clipboard"], stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=10)
    return done.stdout.decode("utf-8", "replace").replace("\r\n", "\n") if done.returncode == 0 else ""


def copy(keys, what, accept, before):
    """Presses the keys that copy, then waits for a clipboard text that
    accept() takes and that differs from before (the last one read)."""
    desktop.press(*keys)

    def probe():
        text = clipboard()
        return text if text != before and accept(text) else None
    return wait_for(what, probe, timeout=8)


def message_box_text(before):
    """The text of the focused Qt message box, as Ctrl+C copies it:
    caption, text and buttons between lines of dashes."""
    copied = copy(["ctrl+c"], "the box's text on the clipboard", lambda t: t.startswith("---"), before)
    parts = [part.strip("\n") for part in copied.split("---------------------------")]
    parts = [part for part in parts if part]
    if len(parts) < 2:
        raise Failure(f"a message box copied as {copied!r}")
    return parts[0], parts[1], copied


def pause(seconds):
    time.sleep(seconds * desktop.PATIENCE)


def pixel(wid, x, y):
    """The colour (red, green, blue) of one pixel of a window, as the X server shows it."""
    done = subprocess.run(["import", "-window", str(wid), "-crop", f"1x1+{x}+{y}", "-depth", "8", "rgb:-"],
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
    if done.returncode != 0 or len(done.stdout) != 3:
        raise Failure(f"cannot read the pixel {x},{y} of window {wid}: {done.stderr.decode(errors='replace')}")
    return tuple(done.stdout)
