# SPDX-License-Identifier: GPL-3.0-or-later
"""What the program leaves on the system besides its settings: Qt's file dialog
keeps its state beside them, or nowhere without a folder for them; --loopback
uses only a runtime folder that is the user's alone, and runs under a file-size
limit or says why not; no session bus started for the display (none is given)
outlives the program."""

import re
import subprocess
from pathlib import Path

import layout
import screen
from session import check, main
from test_hostile_environment import private_server, run


def cancel_file_dialog(session):
    dialog = session.menu_dialog(screen.centre(layout.DISPLAY_AREA), "p", "^Save Picture$")
    session.key("Escape")
    session.wait_window_gone(dialog)


def autolaunched(session):
    """dbus-launch and its dbus-daemon, started for our programs and still running."""
    found = []
    for proc in Path("/proc").glob("[0-9]*"):
        try:
            command, environment = (proc / "cmdline").read_bytes(), (proc / "environ").read_bytes()
        except OSError:
            continue
        if re.search(rb"--autolaunch|--print-address", command) and \
                str(session.tmp).encode() in environment:
            found.append(command)
    return found


def test(session):
    session.start_display()
    session.start_sound_server()
    run(session, [session.program], act=lambda: cancel_file_dialog(session))
    check((session.settings_file().parent / "QtProject.conf").exists(), "no dialog state kept")
    homeless = dict(session.env(), XDG_CONFIG_HOME="relative")
    del homeless["HOME"]
    (session.tmp / "cwd").mkdir()
    root_state = Path("/.config/QtProject.conf")
    before = root_state.exists()
    run(session, [session.program], homeless, session.tmp / "cwd",
        lambda: cancel_file_dialog(session))
    check(not any((session.tmp / "cwd").iterdir()) and root_state.exists() == before,
          "the dialog's state written without a folder for the settings")

    # Others could swap the private folder made in a runtime folder they can
    # write into: /tmp instead.
    (session.tmp / "open").mkdir(mode=0o777)
    (session.tmp / "open").chmod(0o777)
    folders = []
    run(session, [session.program, "--loopback"],
        dict(session.env(), XDG_RUNTIME_DIR=str(session.tmp / "open")), session.tmp,
        lambda: private_server(session, folders))
    check(folders and not folders[0].exists(), "a folder stays")

    def limited(size):
        return subprocess.run(["prlimit", "--fsize=%d" % size, session.program, "--loopback",
                               "--measure", "0.5", "--tone", "1000"], env=session.env(),
                              capture_output=True, text=True, timeout=30)
    result = limited(1048576)
    check(result.returncode == 0 and re.search(r"frequency +Hz +1000\.00 +1000\.00", result.stdout),
          "--loopback under a limit of 1 MiB: %r" % result.stderr)
    result = limited(0)
    check(result.returncode == 1 and result.stderr.startswith(
        "veltrano: --loopback: the file-size limit (ulimit -f) of 0 bytes"), result.stderr)
    buses = autolaunched(session)
    check(not buses, "session buses outlive the program: %s" % buses)


if __name__ == "__main__":
    main(test)
