#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the program for a long time with every view drawing and the
generator's sweep looped back, under Xvfb with a private sound server, and
reports its resident size over time and the blocks it captured and lost.

    scripts/soak.py [--program build/veltrano] [--seconds 600] [--interval 10]

The display changes every --cycle seconds between the spectrogram, the FFT
bars and the spectral amplitude trace, so each of them draws; the
oscilloscope, the meters, the level readouts and the frequency counter draw
all the time. It passes when the resident size grows by no more than 1 MB
after the first minute, no input was lost (the program reports lost input on
stderr when its input closes) and the program ended normally.

Nothing of the user's desktop, sound server or settings is touched.
"""

import re
import sys
import time
from pathlib import Path

from running import VIEWS_ON, parser, program, status_field

import layout  # noqa: E402
import screen  # noqa: E402
import session as e2e  # noqa: E402

BLOCK_FRAMES = 2048
RATE = 48000
WARM_UP = 60  # seconds before the resident size counts as settled
ALLOWED_GROWTH_KB = 1024

# Both channels; colour spectrogram at speed 9 over 0..24 kHz with the grid,
# the window and the automatic frequency counter; the ruler; the oscilloscope
# with Sync and automatic Y scale; meters and level readouts. The sweep from
# 100 Hz to 20 kHz in steps of 50 Hz at 50 %, into both channels.
EVERY_VIEW = {**VIEWS_ON, "RB7": 1, "CB18": 1, "CB23": 1, "UD28": 9, "CB19": 0, "CB30": 0,
              "CB71": 0, "SE82": 100, "SE83": 20000, "SE72": 50, "SE79": 50, "CB80": 1, "CB81": 1}
# The clicks that lead from one display to the next, in turn: spectrogram ->
# FFT bars -> spectral amplitude trace -> spectrogram.
NEXT_DISPLAY = (["FFTMode"], ["FFTMode", "SpectralAmp"], ["SpectralAmp"])
DISPLAY_NAMES = ("spectrogram", "FFT bars", "spectral amplitude")
LOST = re.compile(rb"veltrano: (\d+) frames of sound input were lost")


def click(s, name):
    s.click(layout.indicator_centre(name))


def soak(s, options):
    """Samples the resident size while the views draw; returns the samples as
    (seconds, kB) and the seconds the input ran."""
    pid = s.app.pid
    started = time.monotonic()
    samples = [(0.0, status_field(pid, "VmRSS"))]
    display = 0
    next_sample, next_switch = options.interval, options.cycle or float("inf")
    print("%8s %10s  %s" % ("seconds", "VmRSS kB", "display"), flush=True)
    print("%8.0f %10d  %s" % (0, samples[0][1], DISPLAY_NAMES[display]), flush=True)
    while True:
        now = time.monotonic() - started
        if now >= options.seconds:
            return samples, now
        e2e.check(s.program_running(), "the program ended after %.0f s" % now)
        if now >= next_switch:
            for name in NEXT_DISPLAY[display]:
                click(s, name)
            display = (display + 1) % len(NEXT_DISPLAY)
            next_switch += options.cycle
        if now >= next_sample:
            samples.append((now, status_field(pid, "VmRSS")))
            print("%8.0f %10d  %s" % (now, samples[-1][1], DISPLAY_NAMES[display]), flush=True)
            next_sample += options.interval
        time.sleep(0.2)


def main():
    options_parser = parser(__doc__.splitlines()[0])
    options_parser.add_argument("--seconds", type=float, default=600)
    options_parser.add_argument("--interval", type=float, default=10, help="seconds between samples")
    options_parser.add_argument("--cycle", type=float, default=20,
                        help="seconds on each display (0: the spectrogram only)")
    options_parser.add_argument("--out", default="/tmp/veltrano-soak", help="logs and last screenshot")
    options = options_parser.parse_args()
    with program(options, EVERY_VIEW, options.out) as s:
        click(s, "AutoG")  # the sweep starts; its output loops back to the input
        samples, seconds = soak(s, options)
        meters = [screen.Meter(s.screenshot("last"), origin).lit
                  for origin in (layout.METER_LEFT, layout.METER_RIGHT)]
        status = s.close_window(timeout=20)
        log = (Path(options.out) / "veltrano.log").read_bytes()

    settled = [kb for t, kb in samples if t >= WARM_UP]
    growth = max(settled) - settled[0] if settled else 0
    lost = sum(int(m.group(1)) for m in LOST.finditer(log))
    print("\nresident size: %d kB at the start, %d kB after %d s, %d kB at the end; "
          "largest growth after the first minute %d kB"
          % (samples[0][1], settled[0] if settled else 0, WARM_UP, samples[-1][1], growth))
    # The input runs at the sample rate, so the blocks follow from the time;
    # what was lost the program counts itself.
    print("blocks: %d in %.0f s (%d frames per second, %d frames per block); lost: %d frames"
          % (round(seconds * RATE / BLOCK_FRAMES), seconds, RATE, BLOCK_FRAMES, lost))
    print("meters at the end: %d and %d blocks lit; exit status %d"
          % (meters[0], meters[1], status))
    failures = []
    if min(meters) == 0:
        failures.append("the sweep did not reach the input")
    if not settled:
        failures.append("the run was shorter than the first minute")
    if growth > ALLOWED_GROWTH_KB:
        failures.append("the resident size grew by %d kB after the first minute" % growth)
    if lost:
        failures.append("%d frames of input were lost" % lost)
    if status != 0:
        failures.append("the program ended with status %d" % status)
    print("FAIL: " + "; ".join(failures) if failures else "PASS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
