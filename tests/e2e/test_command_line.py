# SPDX-License-Identifier: GPL-3.0-or-later
"""The command line: --version prints the project's version and --help the
options; without a display, or with one that does not answer, the program
says in one line what is missing and ends with status 1 instead of Qt's
abort; an unknown option, with or without a display and before anything
starts, or --loopback without the pulseaudio program, is one
line and a failure status too, with nothing left behind; a device name the
server does not have is refused with the names it has, their descriptions
printed literally."""

import re
import subprocess
from pathlib import Path

from session import check, log, main, project_value


def run(session, args, env):
    result = subprocess.run([session.program] + args, env=env, capture_output=True, text=True,
                            timeout=20)
    log("veltrano %s -> status %d, stdout %r, stderr %r"
        % (" ".join(args), result.returncode, result.stdout[:60], result.stderr))
    return result


def one_line(result, status, pattern):
    lines = result.stderr.splitlines()
    check(result.returncode == status, "status %d, expected %d" % (result.returncode, status))
    check(len(lines) == 1 and re.search(pattern, lines[0]),
          "stderr is %r, expected one line matching %r" % (result.stderr, pattern))


def test(session):
    env = session.env()
    result = run(session, ["--version"], env)
    check(result.returncode == 0 and result.stdout == "veltrano %s\n" % project_value("VERSION"),
          "--version printed %r" % result.stdout)

    result = run(session, ["--help"], env)
    check(result.returncode == 0, "--help ended with status %d" % result.returncode)
    for option in ("--loopback", "--help", "--version"):
        check(option in result.stdout, "--help does not list %s" % option)

    # Checked before a display or a server is needed: one line, no server.
    for args in (["--bogus"], ["--loopback", "--bogus"], ["-platform", "offscreen", "x"]):
        one_line(run(session, args, env), 2, r"^veltrano: (unknown option|unexpected argument)")

    # A measurement's options without it, --measure without a value worth one
    # (a span longer than a minute would be held whole in memory).
    for args, pattern in ((["--tone", "1000"], "'--tone' works only with --measure"),
                          (["--json"], "'--json' works only with --measure"),
                          (["--measure", ""], "--measure: '' is not"),
                          (["--measure", "61"], "--measure: '61' is not .* 0.05 to 60")):
        one_line(run(session, args, env), 2, pattern)

    # No display at all, and one that does not answer.
    one_line(run(session, [], env), 1, r"^veltrano: .*DISPLAY is not set")
    silent = next(n for n in range(90, 200) if not Path("/tmp/.X11-unix/X%d" % n).exists())
    one_line(run(session, [], dict(env, DISPLAY=":%d" % silent)), 1,
             r'^veltrano: .*":%d" does not answer' % silent)

    session.start_display()
    env = session.env()
    one_line(run(session, ["--bogus"], env), 2, r"unknown option '--bogus'")
    check(run(session, ["-platform", "offscreen", "-style=fusion", "--version"], env).returncode
          == 0, "Qt's own options are refused")

    # --loopback where no pulseaudio can be found.
    lonely = dict(env, PATH=str(session.tmp / "empty"))
    one_line(run(session, ["--loopback"], lonely), 1, r"--loopback: .*pulseaudio was not found")
    leftovers = list(session.runtime.glob("veltrano-loopback-*"))
    check(not leftovers, "--loopback left %s behind" % leftovers)

    # A device name the server does not have: the names it has, status 2, a
    # description that holds escape sequences printed as its characters.
    session.start_sound_server()
    hostile = "\x1b[2J\x1b]0;owned\x07R&D"
    subprocess.run(["pactl", "load-module", "module-null-sink", "sink_name=hostile",
                    'sink_properties=device.description="%s"' % hostile], env=env, check=True,
                   capture_output=True)
    result = run(session, ["--output", "nope\x1b[5m"], env)
    check("'nope\\x1b[5m'" in result.stderr and
          "hostile  (\\x1b[2J\\x1b]0;owned\\x07R&D)" in result.stderr and
          "\x1b" not in result.stderr, "printed as it came: %r" % result.stderr)
    for option, names in (("--input", "veltrano_test.monitor"), ("--output", "veltrano_drain")):
        result = run(session, [option, "nope"], env)
        check(result.returncode == 2 and "'nope'" in result.stderr and names in result.stderr,
              "%s nope: status %d, stderr %r" % (option, result.returncode, result.stderr))
    one_line(run(session, ["--input"], env), 2, r"'--input' needs a value")


if __name__ == "__main__":
    main(test)
