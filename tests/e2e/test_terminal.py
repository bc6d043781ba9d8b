# SPDX-License-Identifier: GPL-3.0-or-later
"""The program started from a terminal on a machine without a sound server.
Without options it names --loopback on the terminal, and SIGTERM closes its
warning and window. With --loopback it brings up a private server whose output
comes back as its input: f1 moves the left meter. Ctrl+C, and the hang-up of a
closed terminal, close the window with the settings saved, and the server goes
with the program, as it does when the program is killed."""

import os
import re
import signal
import time
from pathlib import Path

import layout
import screen
from session import check, log, main

AMPLITUDE = 32767 * 25 // 100
ADDRESS = re.compile(r"--loopback: .* at unix:(\S+)/native;")


def servers_in(folder):
    """Pids of the sound servers started on the folder's script."""
    pids = []
    for entry in Path("/proc").glob("[0-9]*"):
        try:
            args = (entry / "cmdline").read_bytes().split(b"\0")
        except OSError:
            continue
        if args[0].endswith(b"pulseaudio") and str(folder).encode() in b" ".join(args):
            pids.append(int(entry.name))
    return pids


def start_loopback(session, name):
    """Starts the program with --loopback; the folder of its server."""
    session.start_program(args=["--loopback"], log_name=name + ".log")
    session.attach_main_window()
    found = ADDRESS.search((session.out / (name + ".log")).read_text())
    check(found, "the program did not say where its sound server runs")
    folder = Path(found.group(1))
    check(servers_in(folder), "no sound server runs on %s" % folder)
    return folder


def end(session, signum, folder=None):
    """Sends signum to the program's process group, as a terminal does, and
    waits for the program and then its server to be gone."""
    os.killpg(session.app.pid, signum)
    status = session.app.wait(timeout=10)
    check(status == -signum, "after signal %d the program ended with status %d" % (signum, status))
    deadline = time.monotonic() + 5
    while folder is not None and (servers_in(folder) or folder.exists()):
        check(time.monotonic() < deadline, "the server on %s outlived the program" % folder)
        time.sleep(0.1)


def test(session):
    session.write_settings({"SE66": 1000, "SE67": 25, "CB74": 1, "CB73": 0,
                            "CB31": 1, "CB32": 1, "CB27": 1, "CB6": 0})
    session.start_display()

    session.start_program(log_name="no-server.log")
    session.wait_window("^Warning", timeout=10)
    text = (session.out / "no-server.log").read_text()
    log("without a server the terminal says: %r" % text)
    check(len([line for line in text.splitlines() if "--loopback" in line]) == 1,
          "no single line on the terminal names --loopback")
    check("no sound server answered" in text and "out of range" not in text,
          "the terminal does not say in words that no server answered")
    end(session, signal.SIGTERM)

    folder = start_loopback(session, "loopback")
    session.click(layout.indicator_centre("Frq1"))
    want = screen.led_expected_lit(AMPLITUDE)
    image = session.screenshot_until(
        "loopback", lambda shot: abs(screen.Meter(shot, layout.METER_LEFT).lit - want) <= 1)
    left = screen.Meter(image, layout.METER_LEFT)
    right = screen.Meter(image, layout.METER_RIGHT)
    log("f1 on over the loop-back: left meter %s (expected %d), right %s"
        % (left.describe(), want, right.describe()))
    check(left.is_bar() and abs(left.lit - want) <= 1, "the left meter shows %s" % left.describe())
    check(right.lit == 0, "the right meter shows %s" % right.describe())
    # Settings changed in a run survive Ctrl+C and SIGHUP.
    for signum, control, key, value in ((signal.SIGINT, "ColorBox", "CB6", "1"),
                                        (signal.SIGHUP, "Led", "CB27", "0")):
        if signum == signal.SIGHUP:
            folder = start_loopback(session, "hangup")
        session.click(layout.indicator_centre(control))
        time.sleep(0.3)
        end(session, signum, folder)
        check(session.read_settings().get(key) == value,
              "the setting changed before signal %d was lost" % signum)

    folder = start_loopback(session, "killed")
    end(session, signal.SIGKILL, folder)


if __name__ == "__main__":
    main(test)
