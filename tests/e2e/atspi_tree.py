"""Prints, as JSON, what a screen reader finds of the application named in
the first argument on the accessibility bus (AT-SPI): every object down from
its windows, with its role, name, text, value, range and states. With
"--focus KEYS" instead: the objects that take the focus after xdotool
presses KEYS, as a screen reader hears of a menu opened from the keyboard
(a popup is no window of the application's). Run with a Python that has
pyatspi, on the bus of DBUS_SESSION_BUS_ADDRESS."""

import json
import subprocess
import sys
import time

from gi.repository import GLib

import pyatspi


def node(obj, window):
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


def walk(obj, window, found, depth=0):
    found.append(node(obj, window))
    if depth < 10:
        for child in obj:
            if child is not None:
                walk(child, window, found, depth + 1)


def main(name, timeout=10):
    deadline = time.monotonic() + timeout
    while True:
        apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == name]
        if apps or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    found = []
    for app in apps:
        for window in app:
            if window is not None:
                walk(window, window.name, found)
    json.dump(found, sys.stdout)


def focused_after(keys, seconds=2):
    found = []

    def heard(event):
        if event.detail1 == 1:
            found.append(node(event.source, ""))

    pyatspi.Registry.registerEventListener(heard, "object:state-changed:focused")
    GLib.timeout_add(300, lambda: subprocess.run(["xdotool", "key", keys]) and False)
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    pyatspi.Registry.start()
    json.dump(found, sys.stdout)


if __name__ == "__main__":
    if sys.argv[1] == "--focus":
        focused_after(sys.argv[2])
    else:
        main(sys.argv[1])
