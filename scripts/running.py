# SPDX-License-Identifier: GPL-3.0-or-later
"""What the measuring scripts share: the end-to-end helpers on the path, the
program's component table for placing the controls, and the program started
under Xvfb with a private sound server and the given settings."""

import argparse
import contextlib
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
# The end-to-end helpers place the controls from the program's component
# table, which the build prints as JSON.
if not any(arg.startswith("--layout") for arg in sys.argv):
    sys.argv += ["--layout", str(ROOT / "build" / "tests" / "e2e" / "layout.json")]

import session as e2e  # noqa: E402


# What every script shows: both channels, the colour spectrogram with the
# automatic frequency counter, the ruler, the oscilloscope with Sync and
# automatic Y scale, the meters and the level readouts.
VIEWS_ON = {"CB31": 1, "CB32": 1, "CB6": 1, "CB20": 1, "CB29": 1, "CB33": 1, "CB43": 1,
            "CB45": 1, "CB27": 1, "CB44": 1}


def status_field(pid, key):
    """A number from /proc/<pid>/status (or a thread's task/<tid>/status path)."""
    path = pid if isinstance(pid, Path) else Path("/proc/%d/status" % pid)
    for line in path.read_text().splitlines():
        if line.startswith(key + ":"):
            return int(line.split()[1])
    raise RuntimeError("no %s in %s" % (key, path))


def parser(description):
    """The options every script takes: the program and the component table."""
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--program", default=str(ROOT / "build" / "veltrano"))
    p.add_argument("--layout", help="the component table as JSON (default: the build's)")
    return p


@contextlib.contextmanager
def program(options, settings, work, before_program=None, screen_size=None, env=None):
    """The program's session, its window attached; everything it started stops
    when the block ends. `before_program(session)` runs on the servers first;
    `env` adds to the program's environment."""
    args = argparse.Namespace(program=options.program, out=str(work),
                              pulse_script=str(ROOT / "tests" / "pulse" / "pulse-server.sh"))
    with e2e.Session(args) as s:
        s.start_with_settings(settings, screen_size, env, before_program)
        yield s
