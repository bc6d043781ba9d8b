"""The program started from a terminal on a machine without a sound server.
Without options it names --loopback on the terminal, and SIGTERM closes its
warning and window. With --loopback it brings up a private server whose output
comes back as its input: f1 moves the left meter. Ctrl+C, and the hang-up of a
closed terminal, close the window with the settings saved, and the server goes
with the program, as it does when the program is killed."""

import os
import re
import signal
import subprocess
import time
from pathlib import Path

import layout
import screen
from session import Failure, check, log, main

LEVEL_PERCENT = 25
AMPLITUDE = 32767 * LEVEL_PERCENT // 100
WARNING_TITLE = "^Warning"
ADDRESS = re.compile(r"--loopback: .* at unix:(\S+)/native;")


def output(session, name):
    return (session.out / name).read_text(errors="replace")


def server_folder(session, name):
    """The private server's folder, as the program announced it."""
    found = ADDRESS.search(output(session, name))
    check(found, "the program did not say where its server runs: %r" % output(session, name))
    return Path(found.group(1))


def servers_in(folder):
    """Pids of sound servers started on the folder's script."""
    pids = []
    for entry in Path("/proc").iterdir():
        try:
            args = (entry / "cmdline").read_bytes().split(b"\0")
        except OSError:
            continue
        if args and args[0].endswith(b"pulseaudio") and str(folder).encode() in b" ".join(args):
            pids.append(int(entry.name))
    return pids


def wait_gone(folder, timeout=5):
    deadline = time.monotonic() + timeout
    while servers_in(folder) or folder.exists():
        check(time.monotonic() < deadline,
              "%.0f s after the program ended, server %s and folder %s (exists: %s) remain"
              % (timeout, servers_in(folder), folder, folder.exists()))
        time.sleep(0.1)


def wait_status(session, timeout=10):
    try:
        return session.app.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end within %d s of the signal" % timeout)


def test(session):
    session.write_settings({"SE66": 1000, "SE67": LEVEL_PERCENT, "CB74": 1, "CB73": 0,
                            "CB31": 1, "CB32": 1, "CB27": 1, "CB6": 0})
    session.start_display()

    # No server anywhere: the warning box has a twin on the terminal, and a
    # SIGTERM closes the box and then the window.
    session.start_program(log_name="no-server.log")
    session.wait_window(WARNING_TITLE, timeout=10)
    hint = [line for line in output(session, "no-server.log").splitlines() if "--loopback" in line]
    log("without a server the terminal says: %s" % hint)
    check(len(hint) == 1, "no single line on the terminal names --loopback")
    os.kill(session.app.pid, signal.SIGTERM)
    status = wait_status(session)
    check(status == -signal.SIGTERM, "after SIGTERM the program ended with status %d" % status)

    # --loopback: f1 comes back on the left meter.
    session.start_program(args=["--loopback"], log_name="loopback.log")
    session.attach_main_window()
    folder = server_folder(session, "loopback.log")
    check(servers_in(folder), "no sound server runs on %s" % folder)
    check(not session.find_windows(WARNING_TITLE), "a warning is shown with --loopback")
    session.click(layout.indicator_centre("Frq1"))
    want = screen.led_expected_lit(AMPLITUDE)
    deadline = time.monotonic() + 3
    while True:
        image = session.screenshot("loopback")
        left = screen.Meter(image, layout.METER_LEFT)
        if abs(left.lit - want) <= 1 or time.monotonic() > deadline:
            break
        time.sleep(0.1)
    right = screen.Meter(image, layout.METER_RIGHT)
    log("f1 on over the loop-back: left meter %s (expected %d), right %s"
        % (left.describe(), want, right.describe()))
    check(left.is_bar() and abs(left.lit - want) <= 1, "the left meter shows %s" % left.describe())
    check(right.lit == 0, "the right meter shows %s" % right.describe())

    # A setting changed in this run: the colour spectrogram.
    session.click(layout.indicator_centre("ColorBox"))
    time.sleep(0.3)
    # Ctrl+C on the terminal reaches the program's whole process group.
    os.killpg(session.app.pid, signal.SIGINT)
    status = wait_status(session)
    check(status == -signal.SIGINT, "after Ctrl+C the program ended with status %d" % status)
    check(session.read_settings().get("CB6") == "1", "the setting changed before Ctrl+C was lost")
    wait_gone(folder)
    log("after Ctrl+C the server and its folder are gone")

    # The terminal goes away: SIGHUP.
    session.start_program(args=["--loopback"], log_name="hangup.log")
    session.attach_main_window()
    folder = server_folder(session, "hangup.log")
    session.click(layout.indicator_centre("Led"))
    time.sleep(0.3)
    os.killpg(session.app.pid, signal.SIGHUP)
    status = wait_status(session)
    check(status == -signal.SIGHUP, "after SIGHUP the program ended with status %d" % status)
    check(session.read_settings().get("CB27") == "0", "the setting changed before SIGHUP was lost")
    wait_gone(folder)

    # A program that is killed takes its server along too.
    session.start_program(args=["--loopback"], log_name="killed.log")
    session.attach_main_window()
    folder = server_folder(session, "killed.log")
    check(servers_in(folder), "no sound server runs on %s" % folder)
    session.app.kill()
    session.app.wait()
    wait_gone(folder)
    log("after a kill of the program the server and its folder are gone")


if __name__ == "__main__":
    main(test)
