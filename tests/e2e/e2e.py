#!/usr/bin/python3
"""Plays the real game binary, three times, as pupils would:

- flow: a whole game in an Italian locale, on a desktop that offers a
  global menu: "NUOVO GIOCO" from the window's own menu bar, answered No
  (nothing changes) and Yes (a fresh name prompt, greeting and clock, for a
  name typed as markup and shown as typed); then from the keyboard one
  right and one wrong answer, the countdown in the minimised window's
  caption, the goodbye box and a new record written to the record files;
- screenreader: the same as a blind pupil would play it, every question
  read off the accessibility tree and every answer checked there, in the C
  locale, beating a record held by someone else with a name outside ASCII;
- scaled: the game at twice the size, screenshots and no control cut off,
  quit without an answer, which is no record;
- orca (only when named with --only): a game heard through the real screen
  reader, each step checked in what Orca's log says it spoke;
- web (only when named with --only, with the site's index.html as the
  binary): the web build in Chromium, not headless, heard through Orca from
  the keyboard alone, the same steps as orca;
- windows (only when named with --only, with --wine): the Windows setup
  program under Wine, from a silent install through a game at 100 % and
  125 % display scaling to the uninstaller, and the MSI installed and
  removed.

Run by run_e2e.sh, which provides the X server, the window manager and the
session bus; this only needs Debian's python3 with pyatspi (and, for orca,
Debian's orca and speech-dispatcher, started by speech.py; for windows,
Wine, xclip, setxkbmap and the it_IT.UTF-8 locale).
"""

import argparse
import datetime
import functools
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import threading
import time
import traceback

import desktop
from desktop import Failure, wait_equal, wait_for
import screenreader
import speech
import wine
from screenreader import Reader

import pyatspi
from gi.repository import Gio, GLib

CAPTION = "Giocare con le ponderine"
UNITS = ["mg", "cg", "dg", "g", "dag", "hg", "Kg"]
RIGHT = "Esatto, è incredibile!!!"
RECORD_TEXT = 'Ok ho registrato il tuo record, C A M P I O N E"'
GAME_SECONDS = 15 * 60

# A start under the sanitizers on a busy two-core machine is slow.
START_TIMEOUT = 20


def answer_text(quantity, source, target, separator):
    """What the pupil must type: quantity x 10^(source - target) in the general
    number format with 15 significant digits (exponent form below 0.0001 and
    from 10^15 up), with the locale's decimal separator."""
    value = quantity * 10.0 ** (UNITS.index(source) - UNITS.index(target))
    return ("%.15G" % value).replace(".", separator)


# The short date the goodbye box is titled with, four-digit year, as the game
# writes it in the locales the scenarios run in.
def italian_date(day):
    return f"{day.day:02}/{day.month:02}/{day.year}"


def c_locale_date(day):
    month = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()[day.month - 1]
    return f"{day.day} {month} {day.year}"


def record_bytes(text):
    """A record file's content: one line of Windows-1252 text ending in CR LF."""
    return text.encode("cp1252") + b"\r\n"


class Game:
    """One run of the game binary, stopped for sure when done."""

    def __init__(self, harness, scenario, env):
        self.harness = harness
        self.scenario = scenario
        self.env = env
        self.log_path = os.path.join(harness.out, f"{scenario}-game.log")
        self.log = open(self.log_path, "w")
        self.proc = subprocess.Popen([*harness.emulator, harness.binary], env=env, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        harness.track(self.proc.pid)
        self.pid = self.proc.pid
        self.reader = Reader(self.pid)
        self.seen = set()

    def check_running(self):
        if self.proc.poll() is not None:
            raise Failure(f"the game ended early with status {self.proc.returncode}")

    def wait_window(self, what, caption_ok, timeout=8):
        """A newly shown top-level window of the game whose caption passes caption_ok."""
        def probe():
            self.check_running()
            for wid in desktop.visible_windows(self.pid):
                if wid not in self.seen and caption_ok(desktop.title(wid) or ""):
                    return wid
            return None
        wid = wait_for(what, probe, timeout=timeout)
        self.seen.add(wid)
        return wid

    def wait_exit(self, timeout=15):
        timeout *= desktop.PATIENCE
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            windows = [desktop.title(w) for w in desktop.visible_windows(self.pid)]
            raise Failure(f"the game did not end within {timeout} s; its windows: {windows}")

    def __enter__(self):
        return self

    def __exit__(self, kind, error, trace):
        if error is not None:
            # The screen as it was when the check failed, the game still on it.
            path = os.path.join(self.harness.out, f"{self.scenario}-failure-screen.png")
            try:
                desktop.screenshot("root", path)
                self.harness.failure_shot = path
            except Failure as shot_error:
                self.harness.failure_shot = f"none: {shot_error}"
        self.stop()
        return False

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=5)
        self.log.close()
        self.harness.untrack(self.pid)


class Harness:
    def __init__(self, args):
        self.binary = args.binary
        self.msi = args.msi
        self.next_version, self.next_setup, self.next_msi = args.next or (None, None, None)
        self.emulator = args.emulator.split() if args.emulator else []
        self.out = args.out
        self.pids_file = args.pids
        self.pids = set()
        self.failure_shot = None

    # The shell that started us stops what is listed here if we are cut short.
    def _write_pids(self):
        with open(self.pids_file, "w") as f:
            f.writelines(f"{pid}\n" for pid in sorted(self.pids))

    def track(self, pid):
        self.pids.add(pid)
        self._write_pids()

    def untrack(self, pid):
        self.pids.discard(pid)
        self._write_pids()

    def data_home(self, scenario):
        """A fresh XDG_DATA_HOME for one scenario; the record lives in its ponderine/."""
        path = os.path.join(os.environ["XDG_DATA_HOME"], scenario)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        return path

    def start(self, scenario, data_home, lang, **extra):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("LC_", "QT_")) and k not in ("LANGUAGE", "LANG")}
        env.update(LANG=lang, XDG_DATA_HOME=data_home, QT_QPA_PLATFORM="xcb")
        env.update(extra)
        return Game(self, scenario, env)

    def screenshot(self, wid, name):
        path = os.path.join(self.out, f"{name}.png")
        desktop.screenshot(wid, path)
        return path


# --- steps every scenario takes ----------------------------------------------

def press_to_close(game, wid, what, hold):
    """Enter in a box; hold: kept down until the box has gone (see desktop.press_until)."""
    if hold:
        desktop.press_until("Return", f"{what} to close", lambda: wid not in desktop.visible_windows(game.pid))
    else:
        desktop.press("Return")


def confirm(game, box, caption, what, hold=False):
    """Presses Enter in a message box, once it has the focus, down to its button."""
    desktop.activate(box, what)
    wait_for(f"a control of {what} to have the focus", lambda: game.reader.has_focus_in(caption))
    press_to_close(game, box, what, hold)


def name_prompt(h, game, scenario, name, hold=False):
    """The first thing the game shows: it asks the pupil's name."""
    wid = game.wait_window("the name prompt, a window called 'Ponderine'",
                           lambda t: t == "Ponderine", timeout=START_TIMEOUT)
    reader = game.reader
    reader.wait_application(timeout=START_TIMEOUT)
    wait_for("the prompt 'Come ti chiami?'", lambda: "Come ti chiami?" in reader.label_texts())
    field = wait_for("the name box", lambda: reader.dialog_field("Ponderine"))
    # Qt's own button texts follow the pupil's language.
    cancel = "Annulla" if game.env.get("LANG", "").startswith("it") else "Cancel"
    wait_equal("the name prompt's buttons", lambda: reader.buttons("Ponderine"), sorted([cancel, "OK"]))
    h.screenshot(wid, f"{scenario}-1-name")
    desktop.activate(wid, "the name prompt")
    wait_for("the name box to have the focus", lambda: Reader.focused(field))
    desktop.type_text(name)
    wait_equal("the name box", lambda: Reader.text_of(field), name)
    press_to_close(game, wid, "the name prompt", hold)


def welcome(h, game, scenario, name, hold=False):
    text = f" {name} vediamo se sei un vero campione  "
    wid = game.wait_window("the welcome box", lambda t: t == "Ponderine")
    reader = game.reader
    wait_for(f"the welcome text {text!r}", lambda: text in reader.label_texts())
    wait_equal("the welcome box's buttons", lambda: reader.buttons("Ponderine"), ["OK"])
    h.screenshot(wid, f"{scenario}-2-welcome")
    confirm(game, wid, "Ponderine", "the welcome box", hold)


def main_window(game):
    """The game's window, maximised, with the first question and the focus on the answer."""
    wid = game.wait_window(f"the main window, called {CAPTION!r}", lambda t: t == CAPTION)
    state = desktop.wm_state(wid)
    if not {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"} <= state:
        raise Failure(f"the main window is not maximised: _NET_WM_STATE is {sorted(state)}")
    desktop.activate(wid, "the main window")
    return wid


def read_question(reader, separator):
    """Reads the question as a screen reader would and works out the answer."""
    quantity = reader.box_text("Quantità").strip()
    source = reader.box_text("Unità di partenza").strip()
    target = reader.box_text("Unità di arrivo").strip()
    if not quantity.isdigit() or source not in UNITS or target not in UNITS or source == target:
        raise Failure(f"not a question: {quantity!r} {source!r} = ? {target!r}")
    return f"{quantity} {source} = ? {target}", answer_text(int(quantity), source, target, separator)


def answer(reader, typed):
    """Types an answer in the focused answer box and presses Enter."""
    wait_for("the answer box to have the focus", lambda: reader.is_focused(pyatspi.ROLE_TEXT, "Risposta"))
    if reader.box_text("Risposta") != "":
        raise Failure(f"the answer box is not empty at a new question: {reader.box_text('Risposta')!r}")
    desktop.type_text(typed)
    wait_equal("the answer box", lambda: reader.box_text("Risposta"), typed)
    desktop.press("Return")


def expect_feedback(reader, message, right, wrong):
    """The message and the three counters after an answer."""
    reader.wait_labelled({"Messaggio": message, "Risposte esatte": str(right),
                          "Risposte errate": str(wrong), "Risposte totali": str(right + wrong)})


def next_question(reader):
    """After an answer, Enter goes to the focused "Nuovo calcolo" and poses the next question."""
    wait_for("'Nuovo calcolo' to have the focus",
             lambda: reader.is_focused(pyatspi.ROLE_PUSH_BUTTON, "Nuovo calcolo"))
    desktop.press("Return")
    wait_for("the answer box to be empty and focused again",
             lambda: reader.is_focused(pyatspi.ROLE_TEXT, "Risposta") and reader.box_text("Risposta") == "")
    reader.wait_labelled({"Messaggio": ""})


def click(acc, what):
    """A mouse click in the middle of a control, where the game says it is."""
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if box.width <= 0 or box.height <= 0:
        raise Failure(f"{what} has no place on the screen")
    desktop.run("xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                "click", "1")


def new_game(game, wid, yes):
    """"NUOVO GIOCO" from the window's menu bar, and the answer to its question."""
    reader = game.reader
    desktop.activate(wid, "the main window")
    item = wait_for("'NUOVO GIOCO' in the window's menu bar",
                    lambda: reader.find(pyatspi.ROLE_MENU_ITEM, "NUOVO GIOCO"))
    click(item, "'NUOVO GIOCO'")
    box = game.wait_window("the new-game question, called 'INIZIARE NUOVA GARA'",
                           lambda t: t == "INIZIARE NUOVA GARA")
    wait_for("the text 'INIZIAMO UNA NUOVA GARA  ?'",
             lambda: "INIZIAMO UNA NUOVA GARA  ?" in reader.label_texts())
    wait_equal("the new-game question's buttons", lambda: reader.buttons("INIZIARE NUOVA GARA"), ["No", "Sì"])
    if yes:
        window = reader.top_level("INIZIARE NUOVA GARA")
        click(next(acc for acc in reader.nodes(window)
                   if acc.getRole() == pyatspi.ROLE_PUSH_BUTTON and acc.name == "Sì"), "the button 'Sì'")
    else:
        # No is the default: Enter answers it.
        confirm(game, box, "INIZIARE NUOVA GARA", "the new-game question")


def clock_seconds(reader):
    m = re.fullmatch(r"(\d\d):([0-5]\d):([0-5]\d)", reader.labelled("Tempo restante"))
    if not m:
        raise Failure(f"'Tempo restante' reads {reader.labelled('Tempo restante')!r}")
    return int(m[1]) * 3600 + int(m[2]) * 60 + int(m[3])


def say_goodbye(h, game, wid, scenario, date_text):
    """Alt+X: the goodbye box, dated today, telling the seconds left. Returns them."""
    before = datetime.date.today()
    desktop.activate(wid, "the main window")
    desktop.press("alt+x")
    box = game.wait_window("the goodbye box, called 'Data <date>'", lambda t: t.startswith("Data "))
    after = datetime.date.today()
    dates = {"Data " + date_text(day) for day in (before, after)}
    caption = desktop.title(box)
    if caption not in dates:
        raise Failure(f"the goodbye box is called {caption!r}, not {' or '.join(sorted(dates))!r}")
    reader = game.reader
    texts = wait_for("the text 'Ciao a presto. Ore <seconds>'",
                     lambda: [t for t in reader.label_texts() if t.startswith("Ciao a presto.")])
    match = re.fullmatch(r"Ciao a presto\. Ore (\d+)", texts[0])
    if not match:
        raise Failure(f"the goodbye text is {texts[0]!r}")
    seconds = int(match.group(1))
    if not 0 < seconds <= GAME_SECONDS:
        raise Failure(f"the goodbye box says {seconds} seconds are left of a {GAME_SECONDS} s game")
    h.screenshot(box, f"{scenario}-goodbye")
    confirm(game, box, caption, "the goodbye box")
    return seconds


def record_box(h, game, scenario):
    box = game.wait_window("the new-record box", lambda t: t == "Ponderine")
    reader = game.reader
    wait_for(f"the text {RECORD_TEXT!r}", lambda: RECORD_TEXT in reader.label_texts())
    h.screenshot(box, f"{scenario}-record")
    confirm(game, box, "Ponderine", "the new-record box")


def expect_clean_exit(game):
    status = game.wait_exit()
    if status != 0:
        raise Failure(f"the game ended with status {status}, see {game.log_path}")


def expect_files(data_home, score, name):
    folder = os.path.join(data_home, "ponderine")
    for file, text in (("tvk.txt", score), ("ntvk.txt", name)):
        path = os.path.join(folder, file)
        got = open(path, "rb").read() if os.path.exists(path) else None
        if got != text:
            raise Failure(f"{file} holds {got!r}, not {text!r}")


def write_record(data_home, score, name):
    folder = os.path.join(data_home, "ponderine")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "tvk.txt"), "wb") as f:
        f.write(record_bytes(score))
    with open(os.path.join(folder, "ntvk.txt"), "wb") as f:
        f.write(record_bytes(name))


def offer_global_menu(binary, emulator):
    """Takes the bus name that a desktop with a global menu owns, as Qt's own
    theme spells it (read out of the Qt library the game runs with). Qt looks
    for it as a program starts; with it there, a menu bar not kept in its
    window leaves the window, and so do actions that have no menu.
    Returns the connection, which holds the name while it lives."""
    # ldd, as the dynamic loader of the game's own architecture does it.
    libs = desktop.run(*emulator, "-E", "LD_TRACE_LOADED_OBJECTS=1", binary) if emulator \
        else desktop.run("ldd", binary)
    gui = re.search(r"libQt6Gui\S*\s+=>\s+(\S+)", libs)
    if not gui:
        raise Failure(f"{binary} does not use libQt6Gui")
    names = set(re.findall(rb"[A-Za-z.]+\.AppMenu\.Registrar", open(gui[1], "rb").read()))
    if len(names) != 1:
        raise Failure(f"{gui[1]} names no one global menu service: {names}")
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    reply = bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                          "RequestName", GLib.Variant("(su)", (names.pop().decode(), 4)),
                          GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, 10000, None)
    if reply.unpack()[0] != 1:
        raise Failure("could not own the global menu's bus name")
    return bus


# --- the scenarios -----------------------------------------------------------

def flow(h):
    """A whole game in an Italian locale, on a first run, after a new game."""
    data = h.data_home("flow")
    name = "<b>Ada</b>"
    with h.start("flow", data, "it_IT.UTF-8") as game:
        name_prompt(h, game, "flow", "Ugo")
        welcome(h, game, "flow", "Ugo")
        wid = main_window(game)
        reader = game.reader
        # On a first run the record files are made, empty, before anyone plays.
        expect_files(data, b"", b"")
        reader.wait_labelled({"Sfidante": "Ugo"})
        first, _ = read_question(reader, ",")

        # "NUOVO GIOCO", No: the same question waits, the clock goes on.
        wait_for("the clock to run a few seconds", lambda: clock_seconds(reader) <= GAME_SECONDS - 4, timeout=15)
        new_game(game, wid, yes=False)
        wait_for("the focus back in the main window", lambda: desktop.active_window() == wid, timeout=5)
        if read_question(reader, ",")[0] != first or reader.labelled("Sfidante") != "Ugo":
            raise Failure("answering No to the new-game question changed the game")
        old_clock = clock_seconds(reader)
        if old_clock > GAME_SECONDS - 4:
            raise Failure(f"the clock went back to {old_clock} s after No")

        # Yes: a fresh prompt, greeting and clock; the name is shown as typed.
        new_game(game, wid, yes=True)
        game.seen.discard(wid)
        name_prompt(h, game, "flow", name)
        welcome(h, game, "flow", name)
        wid = main_window(game)
        reader.wait_labelled({"Sfidante": name})
        if not old_clock < clock_seconds(reader):
            raise Failure(f"the new game's clock reads {reader.labelled('Tempo restante')}, not a fresh one")

        question, expected = read_question(reader, ",")
        h.screenshot(wid, "flow-3-question")
        answer(reader, expected)
        expect_feedback(reader, RIGHT, 1, 0)
        h.screenshot(wid, "flow-4-right")
        next_question(reader)

        question, expected = read_question(reader, ",")
        answer(reader, "9" + expected)
        expect_feedback(reader, "Sbagliato!! " + expected, 1, 1)
        h.screenshot(wid, "flow-5-wrong")

        # Minimised, the caption counts down the time left.
        desktop.minimize(wid)
        countdown = lambda: re.fullmatch(r"(\d\d):([0-5]\d):([0-5]\d)", desktop.title(wid) or "")
        first = wait_for("the minimised caption to show the countdown HH:MM:SS", countdown)
        left = lambda m: int(m[1]) * 3600 + int(m[2]) * 60 + int(m[3])
        if not GAME_SECONDS - 120 < left(first) <= GAME_SECONDS:
            raise Failure(f"the countdown shows {first[0]} a few seconds into a 15-minute game")
        later = wait_for("the countdown to go on", lambda: (m := countdown()) and m[0] != first[0] and m, timeout=4)
        if left(later) >= left(first):
            raise Failure(f"the countdown went from {first[0]} to {later[0]}")
        desktop.activate(wid, "the restored main window")
        wait_equal("the restored caption", lambda: desktop.title(wid), CAPTION, timeout=4)

        seconds = say_goodbye(h, game, wid, "flow-6", italian_date)
        if seconds > left(later):
            raise Failure(f"the goodbye box says {seconds} s are left, the countdown had shown {later[0]}")
        # One right answer beats the empty record.
        record_box(h, game, "flow-7")
        expect_clean_exit(game)
        expect_files(data, b"1\r\n", name.encode() + b"\r\n")


def screen_reader(h):
    """A game played through the accessibility tree alone, in the C locale."""
    data = h.data_home("screenreader")
    write_record(data, "1", "Ada")
    with h.start("screenreader", data, "C.UTF-8") as game:
        name_prompt(h, game, "screenreader", "Zoë")
        welcome(h, game, "screenreader", "Zoë")
        wid = main_window(game)
        reader = game.reader
        # What the pupil is up against, as a screen reader reads it out.
        reader.wait_labelled({"Nome del record": "Ada", "Punti del record": "1", "Sfidante": "Zoë"})
        clock = reader.labelled("Tempo restante")
        if not re.fullmatch(r"00:1[0-5]:[0-5]\d", clock):
            raise Failure(f"'Tempo restante' reads {clock!r} at the start of a 15-minute game")
        for right in (1, 2):
            if right > 1:
                next_question(reader)
            question, expected = read_question(reader, ".")
            answer(reader, expected)
            try:
                expect_feedback(reader, RIGHT, right, 0)
            except Failure as error:
                raise Failure(f"{question}: typed {expected!r}: {error}")
        h.screenshot(wid, "screenreader-3-two-right")
        say_goodbye(h, game, wid, "screenreader-4", c_locale_date)
        # Two beat Ada's one; the new holder's name is written in Windows-1252.
        record_box(h, game, "screenreader-5")
        expect_clean_exit(game)
        expect_files(data, b"2\r\n", b"Zo\xeb\r\n")


def scaled(h):
    """The game at twice the size: nothing cut off, screenshots to look at."""
    data = h.data_home("scaled")
    with h.start("scaled", data, "it_IT.UTF-8", QT_SCALE_FACTOR="2") as game:
        name_prompt(h, game, "scaled", "Ugo")
        welcome(h, game, "scaled", "Ugo")
        wid = main_window(game)
        reader = game.reader
        read_question(reader, ",")
        h.screenshot(wid, "scaled-3-question")

        screen_w, screen_h = desktop.screen_size()
        x, y, width, height = desktop.window_geometry(wid)
        if x < 0 or y < 0 or x + width > screen_w or y + height > screen_h:
            raise Failure(f"the window {width}x{height}+{x}+{y} does not fit the {screen_w}x{screen_h} screen")
        # Controls' places as the game reports them: each inside the window.
        shapes = reader.extents()
        frames = [box for role, name, box in shapes if role == "frame" and name == CAPTION]
        if len(frames) != 1:
            raise Failure(f"{len(frames)} frames called {CAPTION!r} on the accessibility bus")
        fx, fy, fw, fh = frames[0]
        if fw * 2 > width + 2 or fw * 2 < width - 2:
            raise Failure(f"the window is {width} px wide on screen, the game says {fw}: not scaled by 2")
        cut = [(role, name, box) for role, name, box in shapes
               if box[2] > 0 and box[3] > 0
               and not (fx <= box[0] and fy <= box[1] and box[0] + box[2] <= fx + fw and box[1] + box[3] <= fy + fh)]
        if cut:
            raise Failure(f"controls reach outside the window {frames[0]}: {cut}")

        say_goodbye(h, game, wid, "scaled-4", italian_date)
        # No right answer does not beat even the empty record of a first run:
        # no record box comes and the files stay empty.
        expect_clean_exit(game)
        expect_files(data, b"", b"")


# The unit words the game speaks, singular and plural, in UNITS' order.
UNIT_WORDS = [("milligrammo", "milligrammi"), ("centigrammo", "centigrammi"), ("decigrammo", "decigrammi"),
              ("grammo", "grammi"), ("decagrammo", "decagrammi"), ("ettogrammo", "ettogrammi"),
              ("chilogrammo", "chilogrammi")]

# Orca under the sanitizers on a busy two-core machine can take its time.
SPEECH_TIMEOUT = 60
# On a loaded machine Qt's hand-over of a key to the screen reader can time
# out (keyEventError NoReply in the game's log): Orca then only echoes the key
# and misses the command. A pupil presses it again; so does the test, this
# many times before the last wait.
KEY_AGAIN = 6


def spoken_question(reader):
    """What Orca must say for the question on the screen (read over AT-SPI,
    as what is shown), and the answer to type."""
    question, expected = read_question(reader, ",")
    quantity, source, _, _, target = question.split()
    words = lambda unit, plural: UNIT_WORDS[UNITS.index(unit)][1 if plural else 0]
    return f"{quantity} {words(source, quantity != '1')}, quanti {words(target, True)}?", expected


def said_in_order(*wanted):
    """A check that the utterances hold each of wanted (a text, or a compiled
    pattern that must match a whole utterance), in this order; Orca ends a
    description with a full stop of its own."""
    def check(said):
        at = 0
        for item in wanted:
            while at < len(said):
                text = said[at].removesuffix(".")
                at += 1
                if (text == item.removesuffix(".")) if isinstance(item, str) else item.fullmatch(text):
                    break
            else:
                return False
        return True
    return check


def said_each(*wanted):
    """A check that each pattern in wanted is found in some utterance, in any
    order: Orca's review reads the window's lines in an order of its own."""
    return lambda said: all(any(pattern.search(text) for text in said) for pattern in wanted)


def write_steps(path, steps):
    """What Orca said at each step, as its log has it."""
    with open(path, "w") as f:
        for name, said in steps:
            f.write(f"{name}:\n" + "".join(f"    SPEECH OUTPUT: '{text}'\n" for text in said))


def orca(h):
    """A whole game heard through Orca, the screen reader of the desktop,
    from the keyboard alone: what it says is read from its own log."""
    data = h.data_home("orca")
    write_record(data, "5", "Ada")
    voice = speech.Orca(h, "orca")
    steps = []

    def step(name, keys, *wanted, typed=None, check=said_in_order, again=None):
        """Presses keys (after typing), then waits for Orca to say what is
        wanted. With again, keys that leave what the keys began: when Orca
        says nothing wanted within a few seconds, they are pressed and the
        keys tried once more, as a pupil would; what is wanted stays the same."""
        voice.mark()
        if typed is not None:
            desktop.type_text(typed)
        for last in [False] * (KEY_AGAIN if again else 0) + [True]:
            desktop.press(*keys)
            try:
                said = voice.wait_said(f"Orca to say {wanted}", check(*wanted),
                                       timeout=SPEECH_TIMEOUT if last else 8 * desktop.PATIENCE)
                break
            except Failure:
                if last:
                    raise
                desktop.press(*again)
                voice.mark()
        steps.append((name, said))

    try:
        voice.start(timeout=SPEECH_TIMEOUT)
        with h.start("orca", data, "it_IT.UTF-8") as game:
            reader = game.reader
            # Enter in a box is held down until the box has gone: see desktop.press_until.
            name_prompt(h, game, "orca", "Bea", hold=True)
            voice.mark()
            welcome(h, game, "orca", "Bea", hold=True)
            main_window(game)
            question, expected = spoken_question(reader)
            said = voice.wait_said("Orca to say the first question", said_in_order(voice.wording.window(CAPTION), "Risposta text", question),
                                   timeout=SPEECH_TIMEOUT)
            steps.append(("first question", said))

            wait_for("the answer box to have the focus", lambda: reader.is_focused(pyatspi.ROLE_TEXT, "Risposta"))
            step("wrong answer", ["Return"], voice.wording.button("Nuovo calcolo"),
                 f"Sbagliato!! {expected}; risposte esatte 0, errate 1, totali 1", typed="9" + expected)

            voice.mark()
            next_question(reader)
            question, expected = spoken_question(reader)
            said = voice.wait_said("Orca to say the next question", said_in_order("Risposta text", question),
                                   timeout=SPEECH_TIMEOUT)
            steps.append(("next question", said))

            step("right answer", ["Return"], voice.wording.button("Nuovo calcolo"),
                 f"{RIGHT}; risposte esatte 1, errate 1, totali 2", typed=expected)

            # The time left and the record, on demand: the keypad's plus
            # twice reads the whole window in Orca's flat review. Under the
            # sanitizers the game is slow enough that Orca, a moment after
            # an answer, can still take the window for one not shown, and
            # its review finds nothing: then it is asked again.
            step("review of the window", ["KP_Add", "KP_Add"],
                 *map(re.compile, [r"Tempo restante: 00:1[0-4]:[0-5]\d", "Il record  è di", "Nome del record: Ada",
                                   "con punti", "Punti del record: 5"]), check=said_each, again=["KP_Subtract"])
            desktop.press("KP_Subtract")  # out of flat review

            step("farewell", ["alt+x"], re.compile(r"alert Data \d\d/\d\d/\d{4}"),
                 re.compile(r"Ciao a presto\. Ore \d+"))
            # One right answer does not beat Ada's five: no record box, and
            # the game ends on the press.
            desktop.press_until("Return", "the game to end", lambda: game.proc.poll() is not None, timeout=30)
            expect_clean_exit(game)
            if not voice.speech_made():
                raise Failure(f"speech-dispatcher made no speech; see {voice.folder}")
    finally:
        write_steps(os.path.join(h.out, "orca-speech.txt"), steps)
        voice.stop()


class _SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def log_message(self, *args):
        pass


def serve_site(site):
    """The site on 127.0.0.1, from a thread of this process; gives the server and its address."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(_SiteHandler, directory=site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def heard_question(said):
    """The question Orca said last, and the answer to type."""
    words = {word: UNITS[i] for i, pair in enumerate(UNIT_WORDS) for word in pair}
    for text in reversed(said):
        match = re.search(r"(\d+) (\w+), quanti (\w+)\?", text)
        if match and match[2] in words and match[3] in words:
            return match[0], answer_text(int(match[1]), words[match[2]], words[match[3]], ",")
    raise Failure(f"Orca said no question: {said}")


def web(h):
    """The web build heard through Orca, as orca above hears the desktop
    game: Chromium, not headless, shows the page on this X server and
    tells Orca of it over this session's accessibility bus; the pupil uses
    the keyboard alone. Orca hears the boxes, the questions and the
    verdicts from the page's live region, and the time when asked for (Alt+T)."""
    site = os.path.dirname(h.binary)
    # Told as a screen reader tells it when it starts; Chromium then makes
    # its accessibility tree, and Orca must be listening before it starts.
    desktop.run("dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:IsEnabled",
                "variant:boolean:true")
    voice = speech.Orca(h, "web")
    server, url = serve_site(site)
    profile = os.path.join(h.out, "web-profile")
    shutil.rmtree(profile, ignore_errors=True)
    os.makedirs(os.path.join(profile, "Default"))
    # Chromium would first ask, and Orca read, whether to translate the Italian page.
    with open(os.path.join(profile, "Default", "Preferences"), "w") as f:
        json.dump({"translate": {"enabled": False}}, f)
    steps = []
    browser = None

    def step(name, keys, *wanted, typed=None):
        voice.mark()
        if typed is not None:
            desktop.type_text(typed)
        if keys:
            desktop.press(*keys)
        # Orca says a page's texts with words of its own around them.
        patterns = [re.compile(".*" + (re.escape(item) if isinstance(item, str) else item.pattern) + ".*")
                    for item in wanted]
        said = voice.wait_said(f"Orca to say {wanted}", said_in_order(*patterns), timeout=SPEECH_TIMEOUT)
        steps.append((name, said))
        return said

    try:
        voice.start(timeout=SPEECH_TIMEOUT)
        voice.mark()
        env = dict(os.environ, LANG="it_IT.UTF-8", LANGUAGE="it")
        with open(os.path.join(h.out, "web-chromium.log"), "w") as log:
            browser = subprocess.Popen(
                ["chromium", "--no-sandbox", "--force-renderer-accessibility", "--no-first-run",
                 "--no-default-browser-check", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--password-store=basic", "--lang=it-IT",
                 "--accept-lang=it-IT", f"--user-data-dir={profile}", "--window-size=1366,768", url],
                env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        h.track(browser.pid)
        # Orca follows the active window only; the page opens in a second or more.
        wid = wait_for("Chromium's window", lambda: desktop.visible_windows(browser.pid) or None,
                       timeout=SPEECH_TIMEOUT)[-1]
        desktop.activate(wid, "Chromium's window")
        # The name is typed once Orca has said the box it goes to, as a pupil hears it.
        said = voice.wait_said("Orca to say the name prompt and its box",
                               said_each(re.compile(r"Come ti chiami\?"), re.compile(r"^entry\.?$")),
                               timeout=SPEECH_TIMEOUT)
        steps.append(("name prompt", said))
        step("welcome", ["Return"], "Bea vediamo se sei un vero campione", typed="Bea")
        _, expected = heard_question(step("first question", ["Return"], re.compile(r"\d+ \w+, quanti \w+\?")))
        step("wrong answer", ["Return"], f"Sbagliato!! {expected}; risposte esatte 0, errate 1, totali 1",
             typed="9" + expected)
        _, expected = heard_question(step("next question", ["Return"], re.compile(r"\d+ \w+, quanti \w+\?")))
        step("right answer", ["Return"], f"{RIGHT}; risposte esatte 1, errate 1, totali 2", typed=expected)
        # A page played this fast may ask before the countdown's first second.
        step("time left", ["alt+t"], re.compile(r"Tempo restante: 00:(15:00|1[0-4]:[0-5]\d)"))
        step("farewell", ["alt+x"], re.compile(r"Data .+\. Ciao a presto\. Ore \d+"))
        # No record yet in the new profile: one right answer is one.
        step("record box", ["Return"], RECORD_TEXT)
        step("next name prompt", ["Return"], "Come ti chiami?")
        if not voice.speech_made():
            raise Failure(f"speech-dispatcher made no speech; see {voice.folder}")
    finally:
        write_steps(os.path.join(h.out, "web-speech.txt"), steps)
        if browser:
            browser.terminate()
            try:
                browser.wait(timeout=10)
            except subprocess.TimeoutExpired:
                browser.kill()
                browser.wait()
            h.untrack(browser.pid)
        voice.stop()
        server.shutdown()


# --- Windows, under Wine -------------------------------------------------------

UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall"
START_MENU_ALL = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs"


def windows_question(before):
    """Reads the question as a Windows user can: from the answer box, back
    to the quantity, the target unit and the source unit, each copied, then
    forward to the answer box again (the new-question button is off)."""
    desktop.press("shift+Tab", "shift+Tab")
    quantity = wine.copy(["ctrl+a", "ctrl+c"], "the quantity on the clipboard", lambda t: t.strip().isdigit(), before)
    desktop.press("shift+Tab")
    target = wine.copy(["ctrl+a", "ctrl+c"], "the target unit on the clipboard", lambda t: t.strip() in UNITS, quantity)
    # A multi-line box shows its selection after it loses the focus: the cursor to its end drops it.
    desktop.press("ctrl+End", "shift+Tab")
    source = wine.copy(["ctrl+a", "ctrl+c"], "the source unit on the clipboard", lambda t: t.strip() in UNITS, target)
    desktop.press("Tab", "Tab", "Tab", "Tab")
    quantity, target, source = quantity.strip(), target.strip(), source.strip()
    return f"{quantity} {source} = ? {target}", answer_text(int(quantity), source, target, ","), source


def windows_box(h, game, caption_ok, what, shot, before, meanwhile=None):
    """A message box of the game: its caption and text as copied, a screenshot
    of the whole screen with it up, meanwhile() while it is, then Enter."""
    box = game.wait_window(what, caption_ok)
    desktop.activate(box, what)
    caption, text, copied = wine.message_box_text(before)
    h.screenshot("root", shot)
    if meanwhile:
        meanwhile()
    desktop.press("Return")
    return caption, text, copied


def backdrop(wid):
    """The backdrop's colour near the window's bottom-left corner, where no control lies."""
    _, _, width, height = desktop.window_geometry(wid)
    return wine.pixel(wid, 4, height - 4)


def windows_game(h, prefix, shortcut, scenario, name, play=0, loaded=None):
    """The game started from its Start-menu entry, as a pupil starts it; once
    its window is up, loaded() checks what it has read. With play, a wrong
    answer and that many right ones, the countdown checked in the caption.
    Ends with Exit and the farewell; returns the captions and texts of the boxes after it."""
    prefix.start("start", "/unix", shortcut)
    game = wine.Game(prefix)
    prompt = game.wait_window("the name prompt, a window called 'Ponderine'", lambda t: t == "Ponderine", timeout=60)
    desktop.activate(prompt, "the name prompt")
    wine.pause(1)
    h.screenshot("root", f"{scenario}-1-name")
    desktop.type_text(name)
    desktop.press("Return")

    _, text, copied = windows_box(h, game, lambda t: t == "Ponderine", "the welcome box", f"{scenario}-2-welcome", "")
    if text != f" {name} vediamo se sei un vero campione  ":
        raise Failure(f"the welcome box says {text!r}")
    wid = game.wait_window(f"the main window, called {CAPTION!r}", lambda t: t == CAPTION)
    state = desktop.wm_state(wid)
    if not {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"} <= state:
        raise Failure(f"the main window is not maximised: _NET_WM_STATE is {sorted(state)}")
    desktop.activate(wid, "the main window")
    if loaded:
        loaded()
    wine.pause(1)
    question, expected, copied = windows_question(copied)
    h.screenshot("root", f"{scenario}-3-question")

    if play:
        # A wrong answer turns the backdrop black until the next question.
        desktop.type_text("9" + expected)
        desktop.press("Return")
        wait_for("the black backdrop of a wrong answer", lambda: backdrop(wid) == (0, 0, 0))
        h.screenshot("root", f"{scenario}-4-wrong")
        for _ in range(play):
            desktop.press("Return")
            wait_for("the next question's gradient", lambda: backdrop(wid) != (0, 0, 0))
            question, expected, copied = windows_question(copied)
            desktop.type_text(expected)
            desktop.press("Return")
        wine.pause(1)
        h.screenshot("root", f"{scenario}-5-right")
        if backdrop(wid) == (0, 0, 0):
            raise Failure(f"{question}: {expected!r} was judged wrong")

        # Minimised, the caption counts down the time left.
        desktop.minimize(wid)
        countdown = lambda: re.fullmatch(r"(\d\d):([0-5]\d):([0-5]\d)", desktop.title(wid) or "")
        first = wait_for("the minimised caption to show the countdown HH:MM:SS", countdown)
        wait_for("the countdown to go on", lambda: (m := countdown()) and m[0] != first[0], timeout=4)
        desktop.activate(wid, "the restored main window")
        wait_equal("the restored caption", lambda: desktop.title(wid), CAPTION, timeout=4)

    # The window behind the boxes keeps its look.
    gradient = backdrop(wid)

    def same_backdrop():
        if backdrop(wid) != gradient:
            raise Failure(f"behind the goodbye box the backdrop went from {gradient} to {backdrop(wid)}")
    desktop.press("alt+x")
    caption, text, copied = windows_box(h, game, lambda t: t.startswith("Data "), "the goodbye box",
                                        f"{scenario}-6-goodbye", copied, same_backdrop)
    # Dated in Windows' short date of the Italian locale (Wine's has no leading zeros).
    day = re.fullmatch(r"Data (\d\d?)/(\d\d?)/(\d{4})", caption)
    if not day or datetime.date(int(day[3]), int(day[2]), int(day[1])) != datetime.date.today() \
            or not re.fullmatch(r"Ciao a presto\. Ore \d+", text):
        raise Failure(f"the goodbye box is {caption!r}: {text!r}")
    seconds = int(text.split()[-1])
    if not 0 < seconds < GAME_SECONDS:
        raise Failure(f"the goodbye box says {seconds} s are left: the countdown did not run")
    boxes = []
    if play:
        boxes.append(windows_box(h, game, lambda t: t == "Ponderine", "the new-record box", f"{scenario}-7-record",
                                 copied)[:2])
    game.wait_exit()
    return boxes


def windows_path(path):
    """A file of this machine as Wine's programs name it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def expect_record(prefix, score, name, folder=None):
    r"""The two record files, byte for byte, in %APPDATA%\ponderine\ or the folder named."""
    folder = folder or prefix.appdata + r"\ponderine"
    for file, text in (("tvk.txt", score), ("ntvk.txt", name)):
        path = prefix.path(folder + "\\" + file)
        got = open(path, "rb").read() if os.path.exists(path) else None
        if got != text:
            raise Failure(rf"{folder}\{file} holds {got!r}, not {text!r}")


# What the two installers end with when they refuse (see desktop/windows/):
# the setup program, under a newer copy or beside the MSI's; msiexec's
# ERROR_INSTALL_FAILURE, for a launch condition that does not hold.
SETUP_OLDER, SETUP_BESIDE_MSI, MSI_REFUSED = 3, 4, 1603


def windows(h):
    """The setup program on a fresh Wine prefix, a game, an update and its
    uninstaller; then the MSI, its update and its removal. The next version's
    setup program and MSI are the same build with a higher version number."""
    prefix = wine.Prefix(os.path.join(os.environ["HOME"], "wine-pc"), os.path.join(h.out, "windows-wine.log"),
                         "it_IT.UTF-8")
    try:
        # The pupil's keyboard has à and ò.
        desktop.run("setxkbmap", "it")
        # Into the folder the administrator names.
        folder = r"C:\Giochi\Ponderine"
        prefix.run(h.binary, "/S", "/D=" + folder, timeout=120)
        # Every user's copy under administrator rights (as Wine's user has), else the user's own.
        machine = prefix.registry_key(rf"HKLM\{UNINSTALL_KEY}\Ponderine")
        user = prefix.registry_key(rf"HKCU\{UNINSTALL_KEY}\Ponderine")
        if (machine is None) == (user is None):
            raise Failure(f"the installed-apps entry: for the machine {machine}, for the user {user}")
        entry = machine or user
        root = "HKLM" if machine else "HKCU"
        menu = START_MENU_ALL if machine else prefix.appdata + r"\Microsoft\Windows\Start Menu\Programs"
        expected = {"DisplayName": "Ponderine", "InstallLocation": folder,
                    "UninstallString": f'"{folder}\\uninstall.exe"', "QuietUninstallString": f'"{folder}\\uninstall.exe" /S'}
        if {key: entry.get(key) for key in expected} != expected:
            raise Failure(f"the installed-apps entry is {entry}")
        shortcut = prefix.path(menu + r"\Ponderine.lnk")
        for path in (prefix.path(folder + r"\ponderine.exe"), prefix.path(folder + r"\uninstall.exe"), shortcut):
            if not os.path.isfile(path):
                raise Failure(f"{path} is not there after the install")

        # A record the old program left is carried over on the first start:
        # the copy Windows kept for the pupil in the VirtualStore (where a
        # program without a manifest wrote "the Windows directory") before
        # the Windows directory's own; both are only read.
        old = (b"1\r\n", b"Ada\r\n")
        older = (b"5\r\n", b"Zeno\r\n")
        virtual_store = prefix.local_appdata + r"\VirtualStore\Windows"
        os.makedirs(prefix.path(virtual_store), exist_ok=True)
        for where, record in ((virtual_store, old), ("C:\\windows", older)):
            for file, text in zip(("tvk.txt", "ntvk.txt"), record):
                with open(prefix.path(where + "\\" + file), "wb") as f:
                    f.write(text)
        name = "Niccolò"
        new = (b"2\r\n", name.encode("cp1252") + b"\r\n")
        boxes = windows_game(h, prefix, shortcut, "windows-100", name, play=2,
                             loaded=lambda: wait_for("the record carried over", lambda: expect_record(prefix, *old) or True))
        if boxes != [("Ponderine", RECORD_TEXT)]:
            raise Failure(f"after the farewell: {boxes}, not the new-record box")
        expect_record(prefix, *new)
        expect_record(prefix, *old, folder=virtual_store)
        expect_record(prefix, *older, folder="C:\\windows")

        # The next version's setup program updates the copy in its folder,
        # under its one entry; this version's then refuses to go over it, and
        # so does the MSI over the setup program's copy.
        prefix.run(h.next_setup, "/S", timeout=120)
        versions, entry = prefix.entries(root, "Ponderine"), prefix.registry_key(rf"{root}\{UNINSTALL_KEY}\Ponderine")
        if versions != [h.next_version] or entry.get("InstallLocation") != folder:
            raise Failure(f"after the update: entries of versions {versions}, the entry {entry}")
        prefix.run(h.binary, "/S", timeout=120, status=SETUP_OLDER)
        prefix.run("msiexec", "/i", windows_path(h.msi), "/qn", timeout=120, status=MSI_REFUSED)
        if prefix.entries("HKLM", "Ponderine") + prefix.entries("HKCU", "Ponderine") != [h.next_version]:
            raise Failure(f"a refused install left entries {prefix.entries('HKLM', 'Ponderine')}")

        # At 125 %: the same window, larger; no answer, so no record.
        prefix.set_dpi(120)
        if windows_game(h, prefix, shortcut, "windows-125", "Giosuè"):
            raise Failure("a game with no answer offered a record")
        expect_record(prefix, *new)
        prefix.set_dpi(96)

        # The uninstaller runs from a copy of itself and returns at once.
        prefix.run(folder + r"\uninstall.exe", "/S")
        gone = lambda: not os.path.exists(prefix.path(folder)) and not os.path.exists(shortcut)
        wait_for("the program's folder and Start-menu entry to go", gone, timeout=30)
        if prefix.registry_key(rf"{'HKLM' if machine else 'HKCU'}\{UNINSTALL_KEY}\Ponderine") is not None:
            raise Failure("the installed-apps entry is still there after the uninstall")
        expect_record(prefix, *new)

        # The MSI, as Group Policy installs it: per machine, silent. Wine's
        # msiexec puts the Start-menu entry in the user's menu, not in every
        # user's as Windows does for a per-machine package: either counts.
        msi = windows_path(h.msi)
        prefix.run("msiexec", "/i", msi, "/qn", timeout=120)
        program = prefix.path(r"C:\Program Files\Ponderine\ponderine.exe")
        entries = [prefix.path(menu + r"\Ponderine.lnk")
                   for menu in (START_MENU_ALL, prefix.appdata + r"\Microsoft\Windows\Start Menu\Programs")]
        if not os.path.isfile(program) or not any(os.path.isfile(entry) for entry in entries):
            raise Failure(f"after msiexec /i /qn: the program there: {os.path.isfile(program)}, "
                          f"a Start-menu entry there: {[os.path.isfile(entry) for entry in entries]}")
        # The next MSI replaces it: one entry, the new version. This version's
        # MSI then does not install, nor does the setup program beside it.
        prefix.run("msiexec", "/i", windows_path(h.next_msi), "/qn", timeout=120)
        prefix.run("msiexec", "/i", msi, "/qn", timeout=120, status=MSI_REFUSED)
        prefix.run(h.next_setup, "/S", timeout=120, status=SETUP_BESIDE_MSI)
        if prefix.entries("HKLM", "Ponderine") + prefix.entries("HKCU", "Ponderine") != [h.next_version] \
                or not os.path.isfile(program):
            raise Failure(f"after the MSI update: entries {prefix.entries('HKLM', 'Ponderine')}, "
                          f"the program there: {os.path.isfile(program)}")
        prefix.run("msiexec", "/x", windows_path(h.next_msi), "/qn", timeout=120)
        left = [path for path in [program, os.path.dirname(program)] + entries if os.path.exists(path)]
        if left or prefix.entries("HKLM", "Ponderine"):
            raise Failure(f"left after msiexec /x /qn: {left}, entries {prefix.entries('HKLM', 'Ponderine')}")
        expect_record(prefix, *new)
    finally:
        prefix.stop()
        desktop.run("setxkbmap", "us", check=False)


SCENARIOS = [("flow", flow), ("screenreader", screen_reader), ("scaled", scaled), ("orca", orca), ("web", web),
             ("windows", windows)]
# Run only when named with --only: tests of their own, as they need Orca, or Wine.
ON_REQUEST = {"orca", "web", "windows"}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--out", required=True, help="folder for screenshots and logs")
    parser.add_argument("--pids", required=True, help="file listing the processes to stop if cut short")
    parser.add_argument("--only", action="append", help="run only this scenario (repeatable)")
    parser.add_argument("--emulator", help="runs the binary through this command (qemu-aarch64-static)")
    parser.add_argument("--msi", help="the Windows MSI, for the windows scenario (whose binary is the setup program)")
    parser.add_argument("--next", nargs=3, metavar=("VERSION", "SETUP", "MSI"),
                        help="the windows scenario's next version: its number, setup program and MSI")
    parser.add_argument("--patience", type=float, default=1.0,
                        help="waits this many times longer for the game (under an emulator)")
    args = parser.parse_args()
    desktop.PATIENCE = args.patience
    h = Harness(args)
    # Stopping the session's first process leaves this one running on its own.
    h.track(os.getpid())

    # The Windows program under Wine reaches neither bus.
    if args.only != ["windows"]:
        screenreader.announce_screen_reader()
        for pid in screenreader.session_helper_pids():
            h.track(pid)
        # A page has no global menu to meet.
        global_menu = offer_global_menu(h.binary, h.emulator) if args.only != ["web"] else None  # noqa: F841 - holds the name until the end

    passed = failed = 0
    for name, scenario in SCENARIOS:
        if (name not in args.only) if args.only else name in ON_REQUEST:
            continue
        started = time.monotonic()
        try:
            scenario(h)
        except Exception as error:  # noqa: BLE001 - any fault fails this scenario, and the others still run
            failed += 1
            detail = str(error) if isinstance(error, Failure) else traceback.format_exc()
            print(f"FAIL {name} ({time.monotonic() - started:.1f} s): {detail}", flush=True)
            if h.failure_shot:
                print(f"     screen at the failure: {h.failure_shot}")
                h.failure_shot = None
            log = os.path.join(args.out, f"{name}-game.log")
            if os.path.exists(log) and os.path.getsize(log):
                print(f"     {log}:\n" + "".join("       " + line for line in open(log, errors="replace").readlines()[-20:]))
        else:
            passed += 1
            print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
    print(f"screenshots in {args.out}")
    print(f"e2e: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
