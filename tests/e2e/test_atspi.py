"""What a screen reader finds of the program on a real accessibility bus
(AT-SPI, a private session bus with the bus launcher): every control of the
main window with a role and a name, the values as the screen shows them with
their units, the Measurements window's figures, and the display's menu opened
from the keyboard. Exits 77 (skipped) where no bus or pyatspi is installed."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

import layout
import screen
from session import check, log, main

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
WALKER = Path(__file__).with_name("atspi_tree.py")
SKIPPED = 77


def python_with_pyatspi():
    for candidate in (sys.executable, "/usr/bin/python3"):
        if shutil.which(candidate) and subprocess.run(
                [candidate, "-c", "import pyatspi"], capture_output=True).returncode == 0:
            return candidate
    return None


class Process:
    """A helper in a process group of its own, stopped with its children."""

    def __init__(self, args, env):
        self.process = subprocess.Popen(args, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, start_new_session=True)

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            self.process.wait(timeout=5)


def start_bus(session):
    """A private session bus with the accessibility bus launcher on it; the
    environment that reaches both."""
    bus = session.keep(Process(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               session.env()))
    address = bus.process.stdout.readline().decode().strip()
    check(address, "the session bus gave no address")
    env = {**session.env(), "DBUS_SESSION_BUS_ADDRESS": address,
           "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
    session.keep(Process([LAUNCHER, "--launch-immediately"], env))
    return env


def tree(python, env):
    result = subprocess.run([python, str(WALKER), "Veltrano"], env=env, capture_output=True,
                            text=True, timeout=60)
    check(result.returncode == 0, "the walk of the bus failed: " + result.stderr[-2000:])
    return json.loads(result.stdout)


def find(nodes, name, window="Veltrano"):
    found = [n for n in nodes if n["window"] == window and n["name"] == name]
    check(len(found) >= 1, "no object %r in the window %r" % (name, window))
    return found[0]


def test(session):
    python = python_with_pyatspi()
    if python is None or not os.access(LAUNCHER, os.X_OK) or not shutil.which("dbus-daemon"):
        log("SKIP: no accessibility bus or pyatspi here")
        sys.exit(SKIPPED)
    # Tone f1 at 1 kHz and 25 % on both channels, both channels shown, the meters on.
    session.write_settings({"SE66": 1000, "SE67": 25, "CB74": 1, "CB73": 1,
                            "CB31": 1, "CB32": 1, "CB27": 1})
    session.start_display()
    session.start_sound_server()
    env = start_bus(session)
    session.start_program(env={k: env[k] for k in ("DBUS_SESSION_BUS_ADDRESS",
                                                    "QT_LINUX_ACCESSIBILITY_ALWAYS_ON")})
    session.attach_main_window()
    time.sleep(0.5)

    nodes = tree(python, env)
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
    stop = find(tree(python, env), "Stop")["states"]
    check("pressed" in stop and "checked" in stop, "STOP down is announced as %s" % stop)
    session.click(screen.centre(layout.BTN_STOP))
    f1 = find(nodes, "Tone f1 frequency")
    typed = [n for n in nodes if n["name"] == "Tone f1 frequency" and n["role"] == "text"][0]
    check((f1["minimum"], f1["maximum"]) == (1, 24000) and f1["value"] == int(typed["text"]),
          "the f1 edit's range and value are %s..%s, %s" % (f1["minimum"], f1["maximum"],
                                                           f1["value"]))

    # The Measurements window's figures read as shown, of the tone f1 looped back.
    session.click(layout.indicator_centre("Frq1"))
    session.key("F2")
    session.wait_window("^Measurements", timeout=5)
    time.sleep(2.5)
    figures = [n for n in tree(python, env)
               if n["window"] == "Measurements" and re.match("(Left|Right|Between) ", n["name"])]
    log("Measurements: %s" % ["%s = %s" % (n["name"], n.get("text")) for n in figures[:4]])
    check(len(figures) >= 20 and all(n.get("text") for n in figures),
          "of %d figures some read nothing" % len(figures))
    check(any(re.fullmatch(r"-?\d+[.,]\d+", n["text"]) for n in figures),
          "no figure reads a number while a tone comes in")
    session.key("Escape")
    time.sleep(0.5)
    check(not session.find_windows("^Measurements"), "Escape left the Measurements window open")

    # The display's menu from the keyboard: the screen reader hears its first item.
    session.focus(session.window)
    result = subprocess.run([python, str(WALKER), "--focus", "shift+F10"], env=env,
                            capture_output=True, text=True, timeout=30)
    heard_items = [(n["role"], n["name"]) for n in json.loads(result.stdout or "[]")]
    log("Shift+F10: the focus goes to %s" % heard_items)
    check(("menu item", "Measurements") in heard_items,
          "Shift+F10 gave no menu item the focus: %s" % result.stderr[-500:])
    session.key("Escape")

    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)


if __name__ == "__main__":
    main(test)
