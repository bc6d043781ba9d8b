"""The settings file in an odd environment, with the real program. A file
with a byte order mark and CRLF line ends, just under 1 MiB, is read, saved
with its mark and line ends, and read again at the next start although the
save made it larger than 1 MiB. Without an absolute HOME or XDG_CONFIG_HOME
the program says once that the settings will not be kept and writes nothing."""

import os
import subprocess
from pathlib import Path

from session import check, log, main

BOM = b"\xef\xbb\xbf"


def run_and_close(session, env, cwd=None):
    """Starts the program, closes its window as a user does; what it said."""
    session.app = subprocess.Popen([session.program], env=env, cwd=cwd,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    session.attach_main_window()
    status = session.close_window()
    output = session.app.stdout.read().decode(errors="replace")
    log("status %d; the program said %r" % (status, output))
    check(status == 0, "the program ended with status %d" % status)
    return output


def test(session):
    session.start_display()
    session.start_sound_server()
    path = session.settings_file()
    path.parent.mkdir(parents=True)
    text = BOM + b"; kept\r\n[Veltrano]\r\nCB6=1\r\n[Other]\r\nx="
    text += b"y" * (1024 * 1024 - 9 - len(text) - 2) + b"\r\n"
    path.write_bytes(text)
    for run in (1, 2):
        output = run_and_close(session, session.env())
        check("settings" not in output, "run %d said about the settings: %r" % (run, output))
        saved = path.read_bytes()
        log("run %d: the file has %d bytes" % (run, len(saved)))
        check(saved.startswith(BOM + b"; kept\r\n[Veltrano]\r\nCB6=1\r\n"),
              "the saved file begins %r" % saved[:40])
        check(saved.count(b"\n") == saved.count(b"\r\n"), "the saved file has bare line feeds")
        check(len(saved) > 1024 * 1024, "the save did not add the window's values")

    cwd = session.tmp / "cwd"
    cwd.mkdir()
    env = dict(session.env(), XDG_CONFIG_HOME="relative")
    del env["HOME"]
    stray = Path("/.config/Zenko/Veltrano.conf")
    existed = stray.exists()
    output = run_and_close(session, env, cwd)
    said = [line for line in output.splitlines() if "settings" in line]
    check(len(said) == 1 and "will not be kept" in said[0],
          "without a home the program said %r" % said)
    check(not any(cwd.iterdir()), "the program wrote %s" % list(cwd.iterdir()))
    check(stray.exists() == existed, "the program wrote %s" % stray)


if __name__ == "__main__":
    main(test)
