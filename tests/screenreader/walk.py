#!/usr/bin/python3
"""Walks Velmora as a screen reader does, through AT-SPI, and prints what a reader gets.

Run by run.sh under a private display and D-Bus session. For each exercise tab: its go button is
focused and pressed twice, and each press must tell the question shown through the button's
description while the focus stays on it; an answer pressed twice must tell both verdicts through
the status bar, whose text must be readable at every moment of the blinking line. It also checks
the roles and stops a reader meets: the chord keys as radio buttons, "---" out of the Tab order.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

TABS = [  # tab caption, an answer to press (never one that answers with a message box)
    ("Chords", "Majeur 3"),
    ("Mineur / Majeur Relations ", "C maj"),
    ("Transpose", "C"),
    ("Intervals", "C"),
]
VERDICTS = ("Your Answer Was Correct!", "Your Answer Was Incorrect! Try Again!")

failures = []
events = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def states(accessible):
    return accessible.getState()


def find_all(root, predicate, found=None):
    found = [] if found is None else found
    for child in root:
        if child is None:
            continue
        if predicate(child):
            found.append(child)
        find_all(child, predicate, found)
    return found


def showing(accessible):
    return states(accessible).contains(pyatspi.STATE_SHOWING)


def text_of(accessible):
    text = accessible.queryText()
    return text.getText(0, text.characterCount)


def on_event(event):
    events.append((event.type, event.source, event.any_data))


def count_events(kind, source):
    return sum(1 for (type_, src, _) in events if type_.startswith(kind) and src == source)


def press(accessible):
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)


def pump(seconds):
    """Lets the events of the next `seconds` arrive."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


def pump_until(condition, seconds=5.0):
    """Lets events arrive until `condition` holds or `seconds` have passed (a busy machine)."""
    end = time.monotonic() + seconds
    while not condition() and time.monotonic() < end:
        pump(0.05)
    return condition()


def settle(count, quiet=0.5, seconds=5.0):
    """Lets events arrive until `count()` has not changed for `quiet` seconds."""
    end = time.monotonic() + seconds
    last, still = count(), time.monotonic()
    while time.monotonic() < end and time.monotonic() - still < quiet:
        pump(0.05)
        if count() != last:
            last, still = count(), time.monotonic()


def find_app(process):
    for _ in range(150):
        if process.poll() is not None:
            return None
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "velmora":
                frames = [w for w in app if w is not None and w.name == "Velmora" and w.getRole() == pyatspi.ROLE_FRAME]
                if frames:
                    return frames[0]
        time.sleep(0.2)
    return None


def give_focus():
    """Without a window manager nothing makes the window active; xdotool hands it the focus."""
    try:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Velmora$"], check=False, timeout=10,
                               capture_output=True, text=True).stdout.split()
        for window in found:
            subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False, timeout=10)
    except FileNotFoundError:
        pass


def walk(window):
    give_focus()
    tab_list = find_all(window, lambda a: a.getRole() == pyatspi.ROLE_PAGE_TAB_LIST)[0]
    tab_names = [tab.name for tab in tab_list]
    reader = find_all(window, lambda a: a.getRole() == pyatspi.ROLE_STATUS_BAR)
    check(len(reader) == 1, "one status bar reads the verdict")
    reader = reader[0]

    visited = []
    for caption, answer_name in TABS:
        press(tab_list[tab_names.index(caption)])

        def shown_page():
            pages = [a for a in find_all(window, lambda a: a.getRole() == pyatspi.ROLE_FILLER and showing(a))
                     if find_all(a, lambda b: b.getRole() == pyatspi.ROLE_PUSH_BUTTON and b.name.lower() == "go!")]
            return pages[-1] if pages else None

        def go_of(page):
            return find_all(page, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name.lower() == "go!")[0]

        pump_until(lambda: shown_page() is not None and go_of(shown_page()) not in visited)
        page = shown_page()
        go = go_of(page)
        visited.append(go)
        go.queryComponent().grabFocus()
        pump(0.2)
        focused = states(go).contains(pyatspi.STATE_FOCUSED)
        if not focused:
            print(f"     {caption.strip()}: the window has no focus here, so the focus is not followed")
        for n in (1, 2):
            press(go)
            pump_until(lambda: count_events("object:property-change:accessible-description", go) >= n)
            told = go.description
            boxes = [text_of(box) for box in find_all(page, lambda a: a.getRole() == pyatspi.ROLE_TEXT and showing(a))]
            words = [word for box in boxes for word in box.replace(",", " ").split()]
            print(f"     {caption.strip()}: press {n} tells \"{told}\" (shown: {' | '.join(boxes)})")
            check(told != "" and all(word in told for word in words), f"{caption.strip()}: the question told is the one shown")
            check(count_events("object:property-change:accessible-description", go) == n,
                  f"{caption.strip()}: press {n} is told by an event on the go button")
            if focused:
                check(states(go).contains(pyatspi.STATE_FOCUSED), f"{caption.strip()}: the focus stays on the go button")
        answer = find_all(page, lambda a: a.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_RADIO_BUTTON)
                          and a.name == answer_name and showing(a))[-1]
        # Whatever the go presses told has arrived before the answers are counted, and each answer
        # is pressed only once the one before it was told: an accessible press waits 100 ms before
        # it clicks, and a second press in that time makes one click of the two.
        settle(lambda: count_events("object:property-change:accessible-name", reader))
        before = count_events("object:property-change:accessible-name", reader)
        for n in (1, 2):
            press(answer)
            pump_until(lambda: count_events("object:property-change:accessible-name", reader) - before >= n)
            pump(0.2)
        settle(lambda: count_events("object:property-change:accessible-name", reader))
        told = count_events("object:property-change:accessible-name", reader) - before
        check(told == 2, f"{caption.strip()}: each verdict is told, the same one again included (told {told} times)")
        readings = []
        for _ in range(16):  # two blinks and more
            readings.append((text_of(reader), reader.name, showing(reader)))
            pump(0.15)
        print(f"     {caption.strip()}: the status bar reads \"{readings[0][0]}\" through the blinking")
        check(all(t in VERDICTS and t == n and shown for (t, n, shown) in readings),
              f"{caption.strip()}: the verdict is readable at every moment of the blink")

    chords = [a for a in find_all(window, lambda a: a.getRole() == pyatspi.ROLE_PANEL and a.name == "Answer")
              if find_all(a, lambda b: b.name == "---")][0]
    keys = find_all(chords, lambda a: a.getRole() == pyatspi.ROLE_RADIO_BUTTON)
    check(len(keys) == 15 and sum(states(k).contains(pyatspi.STATE_CHECKED) for k in keys) == 1,
          "the fifteen chord keys are radio buttons, one checked")
    idle = find_all(chords, lambda a: a.name == "---")[0]
    check(not states(idle).contains(pyatspi.STATE_FOCUSABLE), "\"---\" is no Tab stop")


def main():
    program = sys.argv[1:]
    # Listening before the program starts: a program asks which events are listened to as it
    # starts, and one registered meanwhile could reach it only as a signal it is not yet hearing,
    # leaving it never to send that kind of event.
    for kind in ("object:property-change:accessible-description", "object:property-change:accessible-name"):
        pyatspi.Registry.registerEventListener(on_event, kind)
    process = subprocess.Popen(program)
    try:
        window = find_app(process)
        if window is None:
            ended = process.poll()
            print("FAIL the program's window never reached the accessibility bus"
                  + (f" (the program ended with status {ended})" if ended is not None else ""))
            return 1
        pump(1.5)  # the splash gives way to the window
        walk(window)
    finally:
        process.terminate()
        process.wait(10)
    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
