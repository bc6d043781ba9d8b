#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the README's picture of the window in use: the real program under
Xvfb with a private sound server whose output loops back to the input. The
generator sweeps the right channel and plays a steady tone on the left; the
colour spectrogram, both oscilloscope traces, the meters and the readouts
show them.

    scripts/screenshot.py [--program build/veltrano] [--out docs/veltrano.png]

Nothing of the user's desktop, sound server or settings is touched.
"""

import shutil
import sys
import time
from pathlib import Path

from running import ROOT, VIEWS_ON, parser, program

import layout  # noqa: E402
import session as e2e  # noqa: E402

# Both channels; colour spectrogram over 0..6 kHz on the Log scale at 20 %,
# with the window, the automatic frequency counter and the ruler, at speed 3;
# the oscilloscope with Sync and automatic Y scale; meters and level readouts.
# The sweep from 100 Hz to 5.5 kHz in steps of 150 Hz at 70 % into the right
# channel; f1 at 1 kHz and 40 % into the left one.
SETTINGS = {**VIEWS_ON, "RB7": 0, "RB8": 0, "RB9": 1, "RB12": 1, "RB13": 0, "RB14": 0, "SLG": 20,
            "CB23": 1, "UD28": 3, "CB19": 0, "CB30": 0, "CB71": 0, "SE82": 100, "SE83": 5500,
            "SE72": 150, "SE79": 70, "CB80": 1, "CB81": 0, "CB65": 0, "SE66": 1000, "SE67": 40,
            "CB73": 0, "CB74": 1}


def main():
    options_parser = parser(__doc__.splitlines()[0])
    options_parser.add_argument("--out", default=str(ROOT / "docs" / "veltrano.png"))
    options_parser.add_argument("--seconds", type=float, default=16,
                        help="how long the views run before the picture is taken")
    options = options_parser.parse_args()
    work = Path("/tmp/veltrano-screenshot")
    with program(options, SETTINGS, work) as s:
        s.click(layout.indicator_centre("AutoG"))
        s.click(layout.indicator_centre("Frq1"))
        time.sleep(options.seconds)
        e2e.check(s.program_running(), "the program ended early")
        s.screenshot("window")
        s.close_window(timeout=20)
    Path(options.out).parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(work / "window.png", options.out)
    print("wrote %s" % options.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
