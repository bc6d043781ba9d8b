# SPDX-License-Identifier: GPL-3.0-or-later
"""What a screen reader finds of the program on a real accessibility bus
(AT-SPI, a private session bus with the bus launcher): every control of the
main window with a role and a name, the values as the screen shows them with
their units, the Measurements window's figures, and the display's menu opened
from the keyboard. Exits 77 (skipped) where no bus or pyatspi is installed."""

import json
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

from session import check, log, main

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
WALKER = Path(__file__)
SKIPPED = 77


def python_with_pyatspi():
    for candidate in (sys.executable, "/usr/bin/python3"):
        if shutil.which(candidate) and subprocess.run(
                [candidate, "-c", "import pyatspi"], capture_output=True).returncode == 0:
            return candidate
    return None


def walk(python, env, *args):
    """What this script run as the walker finds."""
    result = subprocess.run([python, str(WALKER)] + list(args), env=env, capture_output=True,
                            text=True, timeout=60)
    check(result.returncode == 0, "the walk of the bus failed: " + result.stderr[-2000:])
    return json.loads(result.stdout)


def find(nodes, name, role=None):
    found = [n for n in nodes if n["window"] == "Veltrano" and n["name"] == name
             and role in (None, n["role"])]
    check(found, "no object %r (%s) in the main window" % (name, role))
    return found[0]


def test(session):
    import layout  # reads the command line: not in the walker's run
    import screen
    python = python_with_pyatspi()
    if python is None or not os.access(LAUNCHER, os.X_OK) or not shutil.which("dbus-daemon"):
        log("SKIP: no accessibility bus or pyatspi here")
        sys.exit(SKIPPED)
    # Tone f1 at 1 kHz and 25 % on both channels, both channels shown, the meters on.
    session.write_settings({"SE66": 1000, "SE67": 25, "CB74": 1, "CB73": 1,
                            "CB31": 1, "CB32": 1, "CB27": 1})
    session.start_display()
    session.start_sound_server()
    # A private session bus with the accessibility bus launcher on it.
    bus = session.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                        stdout=subprocess.PIPE)
    address = bus.process.stdout.readline().decode().strip()
    reach = {"DBUS_SESSION_BUS_ADDRESS": address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
    env = {**session.env(), **reach}
    session.spawn([LAUNCHER, "--launch-immediately"], env)
    session.start_program(env=reach)
    session.attach_main_window()
    time.sleep(0.5)

    nodes = walk(python, env, "--walk")
    log("%d objects on the bus" % len(nodes))
    check(any(n["role"] == "frame" and n["name"] == "Veltrano" for n in nodes),
          "the main window is not a frame named Veltrano")
    unnamed = [n["role"] for n in nodes if n["window"] == "Veltrano" and "focusable" in n["states"]
               and n["role"] != "text" and not n["name"]]
    check(not unnamed, "controls without a name: %s" % unnamed)

    # control -> role, and the value as the screen shows it.
    heard = (
        ("Stop", "push button", None),
        ("Y scale", "spin button", r"-?\d+[.,]\d+ dB"),
        ("X scale", "spin button", r"\d+"),
        ("Sensitivity", "spin button", r"\d+%"),
        ("Left level", "progress bar", r"-\d+\.\d dBFS"),
        ("Right level", "progress bar", r"-\d+\.\d dBFS"),
        ("Tone f1 frequency", "spin button", None),
    )
    for name, role, shown in heard:
        n = find(nodes, name)
        log("%s: %s %s" % (name, n["role"], n.get("text", n.get("value"))))
        check(n["role"] == role, "%s is a %s, not a %s" % (name, n["role"], role))
        if shown:
            check(re.fullmatch(shown, n.get("text", "")), "%s reads %r" % (name, n.get("text")))
    # STOP is pressed or not, as it is down or up (Qt 6.4's bus has no toggle
    # button role: a push button that is pressed).
    check("pressed" not in find(nodes, "Stop")["states"], "STOP is announced pressed while up")
    session.click(screen.centre(layout.BTN_STOP))
    time.sleep(0.3)
    stop = find(walk(python, env, "--walk"), "Stop")["states"]
    check("pressed" in stop and "checked" in stop, "STOP down is announced as %s" % stop)
    session.click(screen.centre(layout.BTN_STOP))
    f1 = find(nodes, "Tone f1 frequency", "spin button")
    typed = find(nodes, "Tone f1 frequency", "text")["text"]
    check((f1["minimum"], f1["maximum"], f1["value"]) == (1, 24000, int(typed)),
          "the f1 edit reads %s" % f1)

    # The Measurements window's figures read as shown, of the tone f1 looped back.
    session.click(layout.indicator_centre("Frq1"))
    session.key("F2")
    session.wait_window("^Measurements", timeout=5)
    time.sleep(2.5)
    figures = [n for n in walk(python, env, "--walk")
               if n["window"] == "Measurements" and re.match("(Left|Right|Between) ", n["name"])]
    log("Measurements: %s" % ["%s = %s" % (n["name"], n.get("text")) for n in figures[:4]])
    check(len(figures) >= 20 and all(n.get("text") for n in figures),
          "of %d figures some read nothing" % len(figures))
    check(any(re.fullmatch(r"-?\d+[.,]\d+", n["text"]) for n in figures),
          "no figure reads a number while a tone comes in")
    session.key("Escape")
    time.sleep(0.5)
    check(not session.find_windows("^Measurements"), "Escape left the Measurements window open")

    # A level that follows every block is told at most once a second.
    told = walk(python, env, "--changes")
    log("value changes told in 3 s: %s" % {name: told.count(name) for name in set(told)})
    check(1 <= told.count("Left level") <= 4, "the left level was told %d times in 3 s"
          % told.count("Left level"))

    # The display's menu from the keyboard: the screen reader hears its first item.
    session.focus(session.window)
    focused = [(n["role"], n["name"]) for n in walk(python, env, "--focus", "shift+F10")]
    log("Shift+F10: the focus goes to %s" % focused)
    check(("menu item", "Measurements") in focused, "Shift+F10 gave no menu item the focus")
    session.key("Escape")

    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)


def described(obj, window):
    import pyatspi
    entry = {"window": window, "role": obj.getRoleName(), "name": obj.name,
             "states": [pyatspi.stateToString(s) for s in obj.getState().getStates()]}
    try:
        text = obj.queryText()
        entry["text"] = text.getText(0, text.characterCount)
    except NotImplementedError:
        pass
    try:
        value = obj.queryValue()
        entry.update(value=value.currentValue, minimum=value.minimumValue,
                     maximum=value.maximumValue)
    except NotImplementedError:
        pass
    return entry


def walker(mode, keys=None):
    import pyatspi
    from gi.repository import GLib
    found = []

    def listen(handler, event, milliseconds):
        pyatspi.Registry.registerEventListener(handler, event)
        GLib.timeout_add(milliseconds, pyatspi.Registry.stop)
        pyatspi.Registry.start()
    if mode == "--focus":
        GLib.timeout_add(300, lambda: subprocess.run(["xdotool", "key", keys]) and False)
        listen(lambda e: e.detail1 and found.append(described(e.source, "")),
               "object:state-changed:focused", 2000)
    elif mode == "--changes":  # the value changes told in three seconds
        listen(lambda e: found.append(e.source.name), "object:property-change:accessible-value",
               3000)
    else:
        def add(obj, window, depth=0):
            found.append(described(obj, window))
            for child in (c for c in obj if c is not None and depth < 10):
                add(child, window, depth + 1)
        deadline = time.monotonic() + 10
        apps = []
        while not apps and time.monotonic() < deadline:
            apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Veltrano"]
            time.sleep(0.2)
        for window in (w for app in apps for w in app if w is not None):
            add(window, window.name)
    json.dump(found, sys.stdout)


if __name__ == "__main__":
    if sys.argv[1] in ("--walk", "--focus", "--changes"):
        walker(*sys.argv[1:])
    else:
        main(test)
