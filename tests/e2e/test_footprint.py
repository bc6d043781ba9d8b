"""What the program leaves on the system besides its settings: Qt's file
dialog keeps its state beside them, or nowhere without a folder for them;
--loopback makes its private folder only in a runtime folder that is the
user's alone, and runs under a file-size limit or says why it cannot; no
session bus started for a display without one (none is given here) outlives
the program."""

import json
import os
import re
import shutil
import subprocess
from pathlib import Path

import layout
import screen
from session import check, log, main
from test_hostile_environment import private_server, run


def cancel_file_dialog(session):
    """Opens Save Picture from the display's menu and cancels it: Qt's dialog
    writes its state as it goes."""
    dialog = session.menu_dialog(screen.centre(layout.DISPLAY_AREA), "p", "^Save Picture$")
    session.xdotool("key", "Escape")
    session.wait_window_gone(dialog)


def autolaunched(session):
    """The session buses the D-Bus library started for our programs, still running."""
    found = []
    for proc in Path("/proc").iterdir():
        try:
            command = (proc / "cmdline").read_bytes()
            environment = (proc / "environ").read_bytes()
        except OSError:
            continue
        if (b"--autolaunch" in command or b"--print-address" in command) and \
                str(session.tmp).encode() in environment:
            found.append(command.replace(b"\0", b" ").decode(errors="replace"))
    return found


def test(session):
    session.start_display()
    session.start_sound_server()
    run(session, [session.program], act=lambda: cancel_file_dialog(session))
    check((session.settings_file().parent / "QtProject.conf").exists() and
          not (session.config / "QtProject.conf").exists(),
          "Qt's file dialog keeps its state elsewhere than beside the settings")
    env = dict(session.env(), XDG_CONFIG_HOME="relative")
    del env["HOME"]
    (session.tmp / "cwd").mkdir()
    root_state = Path("/.config/QtProject.conf")
    before = root_state.exists()
    run(session, [session.program], env, session.tmp / "cwd", lambda: cancel_file_dialog(session))
    check(not any((session.tmp / "cwd").iterdir()) and root_state.exists() == before,
          "Qt's file dialog wrote its state without a folder for the settings")

    # A runtime folder that others can write into, or that is not the user's,
    # is not used: someone else could swap the private folder made there.
    open_to_all = session.tmp / "open"
    open_to_all.mkdir()
    open_to_all.chmod(0o777)
    runtimes = [open_to_all]
    if os.getuid() == 0:
        foreign = session.tmp / "foreign"
        foreign.mkdir(mode=0o700)
        os.chown(foreign, 65534, 65534)
        runtimes.append(foreign)
    folders = []
    for runtime in runtimes:
        run(session, [session.program, "--loopback"],
            dict(session.env(), XDG_RUNTIME_DIR=str(runtime)), session.tmp,
            lambda: private_server(session, folders))
    check(len(folders) == len(runtimes) and not any(f.exists() for f in folders),
          "a folder stays")

    # Under a file-size limit --loopback runs (the server's pool is no file),
    # or says why it cannot.
    limited = [session.program, "--loopback", "--measure", "0.5", "--tone", "1000", "--json"]
    result = subprocess.run(["prlimit", "--fsize=1048576"] + limited, env=session.env(),
                            capture_output=True, text=True, timeout=30)
    log("under 1 MiB: %d %s" % (result.returncode, result.stderr))
    check(result.returncode == 0 and json.loads(result.stdout)["left"]["valid"],
          "--loopback under a 1 MiB limit: %s" % result.stderr)
    result = subprocess.run(["prlimit", "--fsize=0"] + limited, env=session.env(),
                            capture_output=True, text=True, timeout=30)
    check(result.returncode == 1 and re.search(r"^veltrano: --loopback: the file-size limit "
                                               r"\(ulimit -f\) of 0 bytes .*$", result.stderr),
          "--loopback under a limit of 0: %s" % result.stderr)

    if not shutil.which("dbus-launch"):
        log("no dbus-launch here: nothing could start a session bus")
    buses = autolaunched(session)
    check(not buses, "session buses outlive the program: %s" % buses)


if __name__ == "__main__":
    main(test)
