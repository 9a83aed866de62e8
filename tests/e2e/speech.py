"""The screen reader a blind pupil has on the desktop, Orca, speaking through
speech-dispatcher and espeak-ng, started in this session only. What Orca
says is read back from its own debug log, the SPEECH OUTPUT lines; a
machine without a sound card makes the speech all the same, through
libao's null driver."""

import fcntl
import os
import re
import shutil
import signal
import subprocess

from desktop import Failure, wait_for

# Orca writes each utterance it hands to the speech server as
#   HH:MM:SS.ffffff - SPEECH OUTPUT: 'text'{voice}
_SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'(?:\s*(?:\{.*\}|None))?\s*$")

SPEECHD_CONF = """\
# This session's own speech server: espeak-ng into libao, whose driver
# (~/.libao) is the null one, so the speech is made and not played.
AudioOutputMethod "libao"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
DefaultLanguage "it"
LogLevel 4
"""

# Loaded by Orca at start from its preferences folder. Orca writes its log
# through a buffered file, 8 KiB at a time; the test reads it as it goes.
# Orca times a double press from when it gets to each key, and on a loaded
# machine, still speaking after the first, it got to the second too late and
# took it for a press of its own: the double-press time is lengthened, as a
# pupil on a slow computer would in Orca's preferences.
CUSTOMIZATIONS = """\
from orca import debug, settings
if debug.debugFile:
    debug.debugFile.reconfigure(line_buffering=True)
settings.doubleClickTimeout = 3.0
"""


class Wording:
    """What differs between the versions of Orca the tests meet (43 in
    Debian 12, 48 in Debian 13): the line of its log that says it listens to
    the desktop, whether it says a window's role after its title, and what
    it calls a push button. Each version is held to its own wording."""

    def __init__(self, started, window_role, button_role):
        self.started = started
        self.window_role = window_role
        self.button_role = button_role

    def window(self, title):
        return f"{title}{self.window_role}"

    def button(self, name):
        return f"{name} {self.button_role}"


WORDING_BEFORE_48 = Wording("ORCA: Starting ATSPI registry.", " frame", "push button")
WORDING_FROM_48 = Wording("Starting Atspi main event loop", "", "button")


def _tool(name, package):
    path = shutil.which(name)
    if not path:
        raise Failure(f"{name} is missing: install the Debian package {package}")
    return path


def _open_lock(path):
    """Opens the lock file PATH for flock, made if missing. An existing one is
    opened without O_CREAT: in the sticky /tmp, the system refuses even root
    that on another user's file (fs.protected_regular)."""
    while True:
        try:
            return os.fdopen(os.open(path, os.O_RDONLY | os.O_NOFOLLOW), "r")
        except FileNotFoundError:
            pass
        try:
            return os.fdopen(os.open(path, os.O_RDONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW, 0o644), "r")
        except FileExistsError:
            pass  # made meanwhile by another run: opened as it is


class Orca:
    """One Orca with its speech server; stop() ends both."""

    def __init__(self, harness, name):
        self.harness = harness
        self.folder = os.path.join(harness.out, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.log_path = os.path.join(self.folder, "orca-debug.log")
        self.procs = []
        self.read_upto = 0
        self.lock = None
        self.wording = None

    def _spawn(self, cmd, log_name, env):
        log = open(os.path.join(self.folder, log_name), "w")
        proc = subprocess.Popen(cmd, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        log.close()
        self.harness.track(proc.pid)
        self.procs.append(proc)
        return proc

    def start(self, timeout=60):
        orca = _tool("orca", "orca")
        version = subprocess.run([orca, "--version"], capture_output=True, text=True, check=True).stdout
        major = re.search(r"\d+", version)
        if not major:
            raise Failure(f"orca --version says no version: {version!r}")
        self.wording = WORDING_FROM_48 if int(major.group()) >= 48 else WORDING_BEFORE_48
        speechd = _tool("speech-dispatcher", "speech-dispatcher")
        if not os.path.exists("/usr/lib/speech-dispatcher-modules/sd_espeak-ng"):
            raise Failure("the espeak-ng voice is missing: install the Debian package speech-dispatcher-espeak-ng")
        home = os.environ["HOME"]
        with open(os.path.join(home, ".libao"), "w") as f:
            f.write("default_driver=null\n")
        conf = os.path.join(os.environ["XDG_CONFIG_HOME"], "speech-dispatcher")
        shutil.rmtree(conf, ignore_errors=True)
        os.makedirs(os.path.join(conf, "modules"))
        with open(os.path.join(conf, "speechd.conf"), "w") as f:
            f.write(SPEECHD_CONF)
        shutil.copy("/etc/speech-dispatcher/modules/espeak-ng.conf", os.path.join(conf, "modules"))
        prefs = os.path.join(self.folder, "orca-prefs")
        os.makedirs(prefs)

        env = dict(os.environ, GSETTINGS_BACKEND="memory")
        # The speech server first, on this session's socket (in XDG_RUNTIME_DIR),
        # so that Orca finds it instead of starting one of its own.
        self.speechd = self._spawn([speechd, "--run-single", "--timeout", "0", "--config-dir", conf,
                                    "--log-dir", self.folder, "--communication-method", "unix_socket",
                                    "--socket-path", "default"], "speech-dispatcher.out", env)
        socket = os.path.join(os.environ["XDG_RUNTIME_DIR"], "speech-dispatcher", "speechd.sock")
        wait_for("speech-dispatcher to listen", lambda: self._alive(self.speechd) and os.path.exists(socket),
                 timeout=timeout)

        with open(os.path.join(prefs, "orca-customizations.py"), "w") as f:
            f.write(CUSTOMIZATIONS)
        # Orca does not start while another Orca of the same user runs (and
        # would end it if told to replace it): runs of this test by one user
        # take turns, through a lock of that user's own.
        self.lock = _open_lock(f"/tmp/ponderine-orca-test-{os.getuid()}.lock")
        wait_for("another run of this test to end", self._take_lock, timeout=240, interval=1)
        self.orca = self._spawn([orca, "--user-prefs", prefs, "--disable", "braille",
                                 "--debug-file", self.log_path], "orca.out", env)
        wait_for("Orca to start", lambda: self._alive(self.orca) and self.wording.started in self._log(),
                 timeout=timeout)

    def _take_lock(self):
        try:
            fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return True
        except BlockingIOError:
            return False

    def _alive(self, proc):
        if proc.poll() is not None:
            with open(os.path.join(self.folder, os.path.basename(proc.args[0]) + ".out"), errors="replace") as f:
                said = f.read().strip()[-500:]
            raise Failure(f"{proc.args[0]} ended with status {proc.returncode}: {said!r}; see {self.folder}")
        return True

    def _log(self):
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def spoken(self):
        """Everything said since the last mark(), one utterance each."""
        return [m.group(1) for m in map(_SPOKEN.search, self._log()[self.read_upto:].splitlines()) if m]

    def mark(self):
        """What was said so far is not looked at by later waits."""
        self.read_upto = len(self._log())

    def wait_said(self, what, check, timeout=30):
        """Polls what was said since the last mark until check(utterances)
        holds; fails showing what was said."""
        def probe():
            self._alive(self.orca)
            said = self.spoken()
            return said if check(said) else None
        try:
            return wait_for(what, probe, timeout=timeout, interval=0.25)
        except Failure as error:
            raise Failure(f"{error}; Orca said: {self.spoken()}")

    def speech_made(self):
        """Whether the speech server turned text into sound for the audio output."""
        with open(os.path.join(self.folder, "speech-dispatcher.log"), errors="replace") as f:
            return "Sent to audio." in f.read()

    def stop(self):
        # Only the processes started here, each by its own id.
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait(timeout=5)
            self.harness.untrack(proc.pid)
        self.procs = []
        if self.lock:
            self.lock.close()  # which lets the next run go
            self.lock = None
