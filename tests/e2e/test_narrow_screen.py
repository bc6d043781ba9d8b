# SPDX-License-Identifier: GPL-3.0-or-later
"""On a screen narrower than 1024 pixels the program warns and ends once its
creation is over, even when a second box opens during the creation: with no
sound server, "Wrong Format. Try Again." follows the screen warning. Both are
the real message boxes, dismissed as a user does. A SIGTERM at the first box
closes it and the one that follows, and ends the program as a close would."""

import signal
import subprocess

from session import MAIN_TITLE, Failure, check, log, main

WARNING_TITLE = "^Warning"


def dismiss(session, name):
    box = session.wait_window(WARNING_TITLE, timeout=10)
    session.screenshot(name, box)
    session.focus(box)
    session.key("Return")
    session.wait_window_gone(box, timeout=5)


def test(session):
    session.start_display(size=(1000, 800))
    session.start_program(pulse_dir=session.tmp / "no-server")
    dismiss(session, "screen-warning")
    dismiss(session, "format-warning")
    try:
        status = session.app.wait(timeout=5)
    except subprocess.TimeoutExpired:
        raise Failure("the program still runs 5 s after the warnings (main window shown: %s)"
                      % bool(session.find_windows(MAIN_TITLE)))
    log("the program ended with status %d after the two warnings" % status)
    check(status == 0, "the program ended with status %d" % status)

    session.start_program(pulse_dir=session.tmp / "no-server", log_name="veltrano-term.log")
    session.wait_window(WARNING_TITLE, timeout=10)
    session.app.send_signal(signal.SIGTERM)
    check(session.app.wait(timeout=5) == -signal.SIGTERM, "SIGTERM at the first warning")

if __name__ == "__main__":
    main(test)
