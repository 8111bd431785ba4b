#!/usr/bin/python3
"""A real click made while a chime plays takes effect as soon as the chime has been heard.

Run by run.sh with a private PulseAudio whose null sink ("velmora") is recorded here. An answer is
clicked through the X server (xdotool), and some 50 ms into its chime a tab: the tab must change
after the chime's last sample reached the sink, and at once after it, not at the next tick of a
timer.
"""
import array
import os
import subprocess
import sys
import threading
import time

import pyatspi

from walk import find_all, find_app, press, pump

RATE = 8000  # mono, enough to tell sound from silence
# Past the chime's end by more than this is the fault: a held click waiting for the next timer
# tick, up to a second. Earlier than its end by more than the recorder's jitter: a click handled
# inside the chime.
LATE_MS, EARLY_MS = 150, 40


def places(program):
    """Where the controls are: read through AT-SPI from a first run. Without a window manager the
    window opens at the same place every time."""
    process = subprocess.Popen(program)
    try:
        window = find_app(process)
        if window is None:
            return None
        pump(1.5)
        tab_list = find_all(window, lambda a: a.getRole() == pyatspi.ROLE_PAGE_TAB_LIST)[0]
        tabs = {tab.name: tab for tab in tab_list}
        found = {"Intervals": centre(tabs["Intervals"]), "Chords": centre(tabs["Chords"])}
        press(tabs["Intervals"])
        pump(0.5)

        def shown(name):
            return [a for a in find_all(window, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name.lower() == name)
                    if a.getState().contains(pyatspi.STATE_SHOWING)][-1]
        found["Go!"] = centre(shown("go!"))
        found["C"] = centre(shown("c"))
        return found
    finally:
        process.terminate()
        process.wait(10)


def centre(accessible):
    x, y, width, height = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return f"{x + width // 2}", f"{y + height // 2}"


class Recorder:
    """The null sink's monitor, each piece with the time it arrived."""

    def __init__(self):
        self.pieces = []
        self.process = subprocess.Popen(["parec", "-d", "velmora.monitor", "--raw", "--format=s16le", "--channels=1",
                                         f"--rate={RATE}", "--latency-msec=20"], stdout=subprocess.PIPE)
        self.thread = threading.Thread(target=self.read, daemon=True)
        self.thread.start()

    def read(self):
        while chunk := self.process.stdout.read1(4096):
            self.pieces.append((time.monotonic(), chunk))

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.thread.join(5)

    def last_sound_at(self, after):
        """When the last sample louder than the floor reached the sink, on the monotonic clock."""
        end = None
        for arrived, chunk in self.pieces:
            if arrived < after:
                continue
            samples = array.array("h", chunk[: len(chunk) // 2 * 2])
            for i in range(len(samples) - 1, -1, -1):
                if abs(samples[i]) > 300:
                    end = arrived - (len(samples) - 1 - i) / RATE
                    break
        return end


def click(place):
    subprocess.run(["xdotool", "mousemove", *place, "click", "1"], check=True)


class Shown:
    """The program's own word of each change of tab, with the time it arrived."""

    def __init__(self, process):
        self.changes = []
        self.thread = threading.Thread(target=self.read, args=(process,), daemon=True)
        self.thread.start()

    def read(self, process):
        for line in process.stderr:
            if b"tab shown" in line:
                self.changes.append(time.monotonic())


def main():
    program = sys.argv[1:]
    at = places(program)
    if at is None:
        print("FAIL the program's window never reached the accessibility bus")
        return 1
    # The second run clicks with no accessibility bridge: a bridge's own traffic wakes the
    # program and would hide a held click that waits for the next thing to wake it.
    environment = dict(os.environ, QT_LOGGING_RULES="velmora.window.debug=true")
    for name in ("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "DBUS_SESSION_BUS_ADDRESS"):
        environment.pop(name, None)
    # parec can take a second or more to come up: it runs throughout.
    recorder = Recorder()
    process = subprocess.Popen(program, env=environment, stderr=subprocess.PIPE)
    shown = Shown(process)
    failures = 0
    try:
        time.sleep(3)  # the window is up, and the start sound has been heard
        end = time.monotonic() + 10
        while not recorder.pieces and time.monotonic() < end:
            time.sleep(0.1)
        for attempt in range(3):
            click(at["Intervals"])
            time.sleep(0.3)
            click(at["Go!"])
            time.sleep(0.3 + 0.237 * attempt)  # each attempt at another phase of the window's timers
            before = len(shown.changes)
            clicked = time.monotonic()
            click(at["C"])
            time.sleep(0.12)  # some 50 ms into the chime
            click(at["Chords"])
            end = time.monotonic() + 3
            while len(shown.changes) == before and time.monotonic() < end:
                time.sleep(0.01)
            time.sleep(0.3)
            heard = recorder.last_sound_at(clicked)
            if len(shown.changes) == before or heard is None:
                print(f"FAIL attempt {attempt + 1}: " + ("no tab change seen" if heard else "no chime heard"))
                failures += 1
                continue
            delay = (shown.changes[before] - heard) * 1000
            ok = -EARLY_MS <= delay <= LATE_MS
            print(("ok   " if ok else "FAIL ") + f"attempt {attempt + 1}: the held click took effect {delay:+.0f} ms "
                  f"after the chime's end ({(heard - clicked) * 1000:.0f} ms after the first click)")
            failures += not ok
    finally:
        process.terminate()
        process.wait(10)
        recorder.stop()
    print(f"{failures} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
