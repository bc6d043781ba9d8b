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


def parser(description):
    """The options every script takes: the program and the component table."""
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--program", default=str(ROOT / "build" / "veltrano"))
    p.add_argument("--layout", help="the component table as JSON (default: the build's)")
    return p


@contextlib.contextmanager
def program(options, settings, work):
    """The program's session, its window attached; everything it started stops
    when the block ends."""
    args = argparse.Namespace(program=options.program, out=str(work),
                              pulse_script=str(ROOT / "tests" / "pulse" / "pulse-server.sh"))
    with e2e.Session(args) as s:
        s.write_settings(settings)
        s.start_display()
        s.start_sound_server()
        s.start_program()
        s.attach_main_window()
        yield s
