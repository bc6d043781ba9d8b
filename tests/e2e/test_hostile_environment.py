# SPDX-License-Identifier: GPL-3.0-or-later
"""The real program where an outside tester's probes broke it: a file-size
limit of 0, an overloaded generator, a server that stands still, a settings
file with a byte order mark and CRLF just under 1 MiB, no absolute home, and
--loopback under an odd XDG_RUNTIME_DIR."""

import math
import os
import re
import signal
import subprocess
import time
from pathlib import Path

import layout
import sound
from session import check, log, main

F1, F2 = 1000, 1500
BOM = b"\xef\xbb\xbf"
PORT = 20000 + os.getpid() % 40000


def run(session, args, env=None, cwd=None, act=lambda: None):
    """The program until its window is closed; what it said."""
    session.app = subprocess.Popen(args, env=env or session.env(), cwd=cwd, text=True,
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    session.attach_main_window()
    act()
    check(session.close_window() == 0, "the program failed")
    said = session.app.stdout.read()
    log("%r said %r" % (args[-1], said))
    return said


def overload_and_stall(session):
    recorder = session.keep(sound.Recorder(session.env()))
    session.click(layout.indicator_centre("Frq1"))
    session.click(layout.indicator_centre("Frq2"))
    start = recorder.frames() + sound.RATE // 2
    recorder.wait_frames(start + sound.RATE, timeout=5)
    left, right = recorder.channels(start, start + sound.RATE)
    step = max(abs(b - a) for a, b in zip(left, left[1:]))
    check((min(left), max(left), max(map(abs, right))) == (-32768, 32767, 0),
          "left %d..%d, right %d" % (min(left), max(left), max(right)))
    check(step <= 2 * math.pi * 32767 * (F1 + F2) / sound.RATE + 2, "a step of %d" % step)
    server = int((session.tmp / "srv" / "pid").read_text())
    os.kill(server, signal.SIGSTOP)
    time.sleep(2)
    os.kill(server, signal.SIGCONT)
    time.sleep(1)


def private_server(session, folders):
    said = next(line for line in session.app.stdout if "--loopback:" in line)
    folder = Path(re.search(r"unix:(/tmp/veltrano-loopback-\w+)/native;", said).group(1))
    check(folder.stat().st_mode & 0o777 == 0o700 and (folder / "native").is_socket(), said)
    ports = [line.split()[1] for table in ("tcp", "tcp6") for line in open("/proc/net/" + table)]
    check(not any(port.endswith(":%04X" % PORT) for port in ports), "TCP port %d" % PORT)
    folders.append(folder)


def test(session):
    session.write_settings({"SE66": F1, "SE67": 100, "SE69": F2, "SE70": 100, "CB74": 1,
                            "CB76": 1, "CB31": 1, "CB32": 1})
    path = session.settings_file()
    text = BOM + path.read_bytes().replace(b"\n", b"\r\n") + b";"
    path.write_bytes(text + b"x" * (1024 * 1024 - 9 - len(text) - 2) + b"\r\n")
    earlier = path.read_bytes()
    session.start_display()
    session.start_sound_server()
    said = run(session, ["prlimit", "--fsize=0", session.program],
               act=lambda: overload_and_stall(session))
    check("could not save the settings" in said and path.read_bytes() == earlier, "saved")
    # The server catches up after its stall and the input it then sends at
    # once waits in it until the window takes it: nothing is lost.
    check("were lost" not in said, "input lost after the server's stall")
    for _ in range(2):  # the saved file grew past 1 MiB and is read again
        check("settings" not in run(session, [session.program]), "the settings were refused")
        saved = path.read_bytes()
        check(saved.startswith(BOM + b"[Veltrano]\r\n") and len(saved) > 1024 * 1024 and
              saved.count(b"\n") == saved.count(b"\r\n"), "saved as %r" % saved[:30])

    env = dict(session.env(), XDG_CONFIG_HOME="relative")
    del env["HOME"]
    (session.tmp / "cwd").mkdir()
    said = run(session, [session.program], env, session.tmp / "cwd")
    check(said.count("settings will not be kept") == 1 and not any((session.tmp / "cwd").iterdir()),
          "without a home")

    folders = []
    for runtime in (str(session.runtime / "a b"), "relative", str(session.runtime) +
                    "\nload-module module-native-protocol-tcp port=%d auth-anonymous=1\n" % PORT):
        (session.tmp / runtime).mkdir()
        run(session, [session.program, "--loopback"], dict(session.env(), XDG_RUNTIME_DIR=runtime),
            session.tmp, lambda: private_server(session, folders))
    check(len(folders) == 3 and not any(f.exists() for f in folders), "a folder stays")


if __name__ == "__main__":
    main(test)
