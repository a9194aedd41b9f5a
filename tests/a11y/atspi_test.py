#!/usr/bin/python3
"""Quellary as a screen reader meets it over AT-SPI, driven by the keyboard alone.

Two clients watch the whole trick: one that follows the program's events and keeps what it
has read (as Orca does), and a fresh one started for each look, which reads everything anew.
In every phase both must find exactly the picture on screen, visible and showing; the
calculating message and the reveal must reach the follower; and the reveal must leave the
focus on "One more time please" (F10 and the spoken words are the Orca walkthrough's).

Run on a desktop session (desktop_session.sh): atspi_test.py PROGRAM
"""

import json
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

SIX = ("Cards: King of hearts, Jack of clubs, King of spades, Queen of diamonds, "
       "Queen of clubs, Jack of diamonds")
FIVE = "Cards: Queen of hearts, King of clubs, Jack of hearts, Queen of spades, King of diamonds"
CALCULATING = "Calculating..... Please wait!"
DONE = "DONE! Your card is gone!"

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(condition, seconds=10):
    """Waits for `condition` while handing the client its events."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump()
        try:
            value = condition()
        except Exception:  # a window on its way may vanish under a look
            value = None
        if value:
            return value
        time.sleep(0.05)
    return None


def states(acc):
    state = acc.getState()
    return sorted(name for name, value in (("visible", pyatspi.STATE_VISIBLE),
                                           ("showing", pyatspi.STATE_SHOWING),
                                           ("focused", pyatspi.STATE_FOCUSED))
                  if state.contains(value))


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def main_frame(app):
    for window in app:
        if window.getRole() == pyatspi.ROLE_FRAME and window.name == "Quellary":
            return window
    return None


def walk(acc):
    yield acc
    for i in range(acc.childCount):
        child = acc[i]
        if child is not None:
            yield from walk(child)


def look(frame):
    """What a client finds in the window: each picture and push button with its states."""
    seen = {"images": [], "buttons": [], "focused": None}
    for acc in walk(frame):
        role = acc.getRole()
        if role == pyatspi.ROLE_IMAGE:
            seen["images"].append({"name": acc.name, "states": states(acc)})
        elif role == pyatspi.ROLE_PUSH_BUTTON:
            seen["buttons"].append({"name": acc.name, "states": states(acc)})
            if "focused" in states(acc):
                seen["focused"] = acc.name
    return seen


def fresh_look(pid):
    """A new client's view: a process of its own, which has cached nothing."""
    out = subprocess.run([sys.executable, __file__, "--look", str(pid)], capture_output=True,
                         text=True, timeout=60)
    return json.loads(out.stdout) if out.returncode == 0 else None


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "50", *keys], check=True)


class Follower:
    """A client that listens to the program's events and keeps what it reads."""

    def __init__(self):
        self.events = []
        for kind in ("object:state-changed:showing", "object:state-changed:focused",
                     "object:children-changed", "object:property-change:accessible-name",
                     "object:property-change:accessible-description", "object:announcement", "focus:"):
            pyatspi.Registry.registerEventListener(self.heard, kind)

    def heard(self, event):
        try:
            # An announcement carries its words; everything else is read off its source.
            said = event.any_data if event.type == "object:announcement" else event.source.name
            self.events.append((event.type, event.detail1, event.source.getRole(), said,
                                event.source.description))
        except Exception:
            pass

    def focused(self, name, role=pyatspi.ROLE_PUSH_BUTTON):
        return any(t.startswith("object:state-changed:focused") and d == 1 and r == role and n == name
                   for t, d, r, n, _ in self.events)

    def notified(self, text):
        """Told without the focus moving: as an announcement, or (where Qt has none) as a
        notification that appears."""
        return any((t == "object:announcement" or t.startswith("object:state-changed:showing") and d == 1
                    and r == pyatspi.ROLE_NOTIFICATION) and text in n for t, d, r, n, _ in self.events)


def pictures_check(phase, follower_view, fresh_view, expected):
    for who, view in (("follower", follower_view), ("fresh client", fresh_view)):
        if view is None:
            check(False, f"{phase}: the {who} could not read the window")
            continue
        names = [image["name"] for image in view["images"]]
        check(names == [expected], f"{phase}: the {who} finds only the picture shown: {names}")
        for image in view["images"]:
            check({"showing", "visible"} <= set(image["states"]),
                  f"{phase}: the {who} sees '{image['name'][:20]}...' visible and showing: {image['states']}")


def shown_frame(app):
    frame = main_frame(app)
    return frame if frame is not None and "showing" in states(frame) else None


def past_welcome(app):
    """Dismisses the welcome box once its OK button has the focus; a box mapped before the
    window manager gave it the focus may miss the first Return, so it is pressed again."""
    for _ in range(3):
        wait_for(lambda: any(acc.getRole() == pyatspi.ROLE_PUSH_BUTTON and "focused" in states(acc)
                             for window in app if window.getRole() != pyatspi.ROLE_FRAME
                             for acc in walk(window)), 30)
        key("Return")
        frame = wait_for(lambda: shown_frame(app), 10)
        if frame is not None:
            return frame
    return None


def run(program):
    # What an assistive technology does as it starts: toolkits then turn their side on.
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                    "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                    "string:IsEnabled", "variant:boolean:true"], check=True, capture_output=True)
    process = subprocess.Popen([program])
    follower = Follower()
    try:
        app = wait_for(lambda: application(process.pid), 30)
        check(app is not None, "the program is on the accessibility bus")
        if app is None:
            return
        frame = past_welcome(app)
        check(frame is not None, "the welcome box is dismissed with Return and the main window is shown")
        if frame is None:
            return
        wait_for(lambda: look(frame)["focused"] == "Calculate my thoughts")

        # Waiting: the six cards.
        before = look(frame)
        pictures_check("waiting", before, fresh_look(process.pid), SIX)
        check(before["focused"] == "Calculate my thoughts", "the focus starts on Calculate my thoughts")
        shown_picture = [acc for acc in walk(frame) if acc.getRole() == pyatspi.ROLE_IMAGE]

        # Calculating: the message reaches the follower as a notification.
        key("space")
        check(bool(wait_for(lambda: follower.notified(CALCULATING))),
              "Space on Calculate my thoughts is told 'Calculating..... Please wait!'")
        pictures_check("calculating", look(frame), fresh_look(process.pid), SIX)

        # Revealed: the five cards, the focus on One more time please, never on Exit.
        revealed = wait_for(lambda: follower.focused("One more time please"), 30)
        check(bool(revealed), "the reveal moves the focus to One more time please")
        wait_for(lambda: look(frame)["focused"] == "One more time please")
        after = look(frame)
        check(after["focused"] == "One more time please",
              f"after the reveal the focused button is One more time please: {after['focused']}")
        check(not follower.focused("Exit"), "the focus never lands on Exit")
        description = [d for t, dt, r, n, d in follower.events
                       if t.startswith("object:state-changed:focused") and dt == 1
                       and n == "One more time please"]
        check(bool(description) and DONE in description[-1] and FIVE in description[-1],
              f"the newly focused button says what happened: {description[-1:] }")
        pictures_check("revealed", after, fresh_look(process.pid), FIVE)
        names = [button["name"] for button in after["buttons"]]
        check(names == ["Exit", "The Answer to the problem", "One more time please"],
              f"after the reveal the three buttons are there: {names}")
        if shown_picture:
            check("showing" not in states(shown_picture[0]),
                  "the six-card picture the follower read before is no longer showing")

        # Again: the six cards once more, the focus stays.
        key("space")
        check(bool(wait_for(lambda: follower.notified(SIX))),
              "One more time please is told of the six cards")
        again = look(frame)
        pictures_check("again", again, fresh_look(process.pid), SIX)
        check(again["focused"] == "One more time please", "after One more time please the focus stays")

    finally:
        process.terminate()
        process.wait(timeout=30)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--look":
        app = application(int(sys.argv[2]))
        frame = main_frame(app) if app else None
        if frame is None:
            sys.exit(1)
        print(json.dumps(look(frame)))
        return
    run(sys.argv[1])
    if failures:
        print(f"{len(failures)} AT-SPI checks failed")
        sys.exit(1)
    print("AT-SPI checks passed")


if __name__ == "__main__":
    main()
