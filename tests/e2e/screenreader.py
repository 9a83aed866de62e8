"""The AT-SPI side of the end-to-end test: reads the game's controls the way a
screen reader does, by accessible name, role, state and the Text interface,
never by anything only the program itself knows."""

import subprocess

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

import pyatspi  # noqa: E402

from desktop import Failure, wait_for  # noqa: E402


def announce_screen_reader():
    """Does on the session bus what a screen reader does when it starts:
    starts the accessibility bus and sets ScreenReaderEnabled. Qt publishes
    its controls only once that (or IsEnabled) is true; the bus address on
    the root window alone is not enough. QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    would force it, but then the test would not show that the game is read
    on a real desktop."""
    def bus_call(*args):
        done = subprocess.run(["dbus-send", "--session", "--print-reply", "--reply-timeout=10000",
                               "--dest=org.a11y.Bus", "/org/a11y/bus", *args],
                              capture_output=True, text=True, timeout=15)
        if done.returncode != 0:
            raise Failure(f"the accessibility bus does not answer: {done.stderr.strip()}")
        return done.stdout
    bus_call("org.a11y.Bus.GetAddress")
    bus_call("org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
             "string:ScreenReaderEnabled", "variant:boolean:true")


def session_helper_pids():
    """The process ids of the session bus and of the accessibility bus
    launcher, so that the caller can stop them should this session be cut short."""
    pids = []
    for name in ("org.freedesktop.DBus", "org.a11y.Bus"):
        done = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                               "/org/freedesktop/DBus", "org.freedesktop.DBus.GetConnectionUnixProcessID",
                               f"string:{name}"], capture_output=True, text=True, timeout=15)
        words = done.stdout.split()
        if done.returncode == 0 and words and words[-1].isdigit():
            pids.append(int(words[-1]))
    return pids


def _states(acc):
    return set(acc.getState().getStates())


def _text(acc):
    """What a screen reader reads out of a box: its Text interface, or None."""
    try:
        text = acc.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


class Reader:
    """Reads one running game, found by its process id."""

    def __init__(self, pid):
        self.pid = pid

    def application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            try:
                if app is not None and app.get_process_id() == self.pid:
                    # Names change as the game goes on; read them afresh every time.
                    app.set_cache_mask(Atspi.Cache.NONE)
                    return app
            except GLib.Error:
                continue
        return None

    def wait_application(self, timeout=15):
        return wait_for("the game to show up on the accessibility bus", self.application, timeout=timeout)

    def top_level(self, name):
        """The showing window or dialog with this accessible name (its caption)."""
        app = self.application()
        if app is None:
            raise Failure("the game is not on the accessibility bus")
        for acc in app:
            try:
                if acc is not None and acc.name == name and pyatspi.STATE_SHOWING in _states(acc):
                    return acc
            except GLib.Error:
                continue
        return None

    def nodes(self, root=None):
        """Every accessible the game shows now (a hidden one is not read out),
        in all its windows or under root."""
        app = self.application() if root is None else root
        if app is None:
            raise Failure("the game is not on the accessibility bus")
        found = []
        stack = [app]
        while stack:
            acc = stack.pop()
            try:
                if acc is not app and pyatspi.STATE_SHOWING not in _states(acc):
                    continue
                found.append(acc)
                stack.extend(child for child in acc if child is not None)
            except GLib.Error:
                continue  # it went away while being read: a closing dialog
        return found

    def roles_and_names(self, root=None):
        """(accessible, role, name) of every showing accessible, as nodes();
        one that goes away while being read (a control presented anew) is left out."""
        found = []
        for acc in self.nodes(root):
            try:
                found.append((acc, acc.getRole(), acc.name))
            except GLib.Error:
                continue
        return found

    def find(self, role, name):
        """The one showing control with this role and accessible name, or None."""
        matches = [acc for acc, r, n in self.roles_and_names() if r == role and n == name]
        if len(matches) > 1:
            raise Failure(f"{len(matches)} controls are called {name!r}")
        return matches[0] if matches else None

    def box(self, name):
        """The showing text box with this accessible name."""
        return wait_for(f"a text box called {name!r}", lambda: self.find(pyatspi.ROLE_TEXT, name))

    def box_text(self, name):
        text = _text(self.box(name))
        if text is None:
            raise Failure(f"the text box {name!r} has no Text interface")
        return text

    def is_focused(self, role, name):
        acc = self.find(role, name)
        return acc is not None and pyatspi.STATE_FOCUSED in _states(acc)

    def label_texts(self):
        """The names of every showing label: what a screen reader reads out of them."""
        return [n for _, r, n in self.roles_and_names() if r == pyatspi.ROLE_LABEL]

    def labelled(self, caption, blank_ok=False, names=None):
        """The text of the label whose accessible name is "<caption>: <text>",
        the way the game names a label whose text changes (a Qt label's
        accessible name takes the place of its text, which Qt 6 publishes in
        no other way). A blank label is named just "<caption>": blank_ok
        takes that as the empty text rather than as a label that tells nothing.
        names: the label names already read, to spare another walk of the tree."""
        prefix = caption + ": "
        names = self.label_texts() if names is None else names
        values = [name[len(prefix):] for name in names if name.startswith(prefix)]
        if len(values) == 1:
            return values[0]
        if not values and caption in names:
            if blank_ok:
                return ""
            raise Failure(f"the label {caption!r} publishes no text: its accessible name is just {caption!r}")
        raise Failure(f"{len(values)} labels are called {prefix!r}…")

    def wait_labelled(self, expected, timeout=8):
        """Waits until every label in expected, {caption: text}, reads its text."""
        def probe():
            names = self.label_texts()
            got = {caption: self.labelled(caption, blank_ok=text == "", names=names) for caption, text in expected.items()}
            if got != expected:
                raise Failure(", ".join(f"{caption}: {text!r}" for caption, text in got.items()))
            return True
        wanted = ", ".join(f"{caption}: {text!r}" for caption, text in expected.items())
        wait_for(wanted, probe, timeout=timeout)

    def has_focus_in(self, caption):
        """Whether a control of the window or dialog with this caption has the keyboard focus."""
        window = self.top_level(caption)
        return window is not None and any(pyatspi.STATE_FOCUSED in _states(acc) for acc in self.nodes(window))

    def buttons(self, caption):
        """The names of the buttons of the window or dialog with this caption."""
        window = self.top_level(caption)
        if window is None:
            raise Failure(f"no window called {caption!r} is showing")
        return sorted(n for _, r, n in self.roles_and_names(window) if r == pyatspi.ROLE_PUSH_BUTTON)

    def dialog_field(self, caption):
        """The one text box of the dialog with this caption (the name prompt
        gives it no name of its own)."""
        dialog = self.top_level(caption)
        if dialog is None:
            raise Failure(f"no dialog called {caption!r} is showing")
        boxes = [acc for acc, r, _ in self.roles_and_names(dialog) if r == pyatspi.ROLE_TEXT]
        if len(boxes) != 1:
            raise Failure(f"the dialog {caption!r} shows {len(boxes)} text boxes, one was expected")
        return boxes[0]

    @staticmethod
    def text_of(acc):
        text = _text(acc)
        if text is None:
            raise Failure(f"the {acc.getRoleName()} {acc.name!r} has no Text interface")
        return text

    @staticmethod
    def focused(acc):
        return pyatspi.STATE_FOCUSED in _states(acc)

    def extents(self):
        """(role, name, (x, y, width, height)) on the screen of every showing
        control and of the top-level window, in the game's own coordinates."""
        out = []
        for acc in self.nodes():
            try:
                box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            except NotImplementedError:
                continue
            out.append((acc.getRoleName(), acc.name, (box.x, box.y, box.width, box.height)))
        return out
