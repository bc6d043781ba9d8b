# SPDX-License-Identifier: GPL-3.0-or-later
"""A whole session with everything on, the scenario the sanitizer build runs
too: the generator's f1, noise and sweep looped back into the views (the
colour spectrogram, the FFT bars, the spectral amplitude trace, the
oscilloscope, the levels, the ruler), STOP, START, and the close. The input
comes back after START, the program ends with status 0, and nothing on its
terminal reports a memory or undefined-behaviour error."""

import re
import time

import layout
import screen
from session import check, log, main

SANITIZER_REPORT = re.compile(r"Sanitizer|runtime error:")


def distinct_colours(image, area, step=7):
    left, top, width, height = area
    return {image.pixel(x, y) for y in range(top, top + height, step)
            for x in range(left, left + width, step)}


def wait_meter(session, name, lit, timeout=3):
    """Screenshots until the left meter's lighting satisfies `lit`."""
    image = session.screenshot_until(
        name, lambda shot: lit(screen.Meter(shot, layout.METER_LEFT).lit), timeout)
    return image, screen.Meter(image, layout.METER_LEFT)


def test(session):
    # Every view on; f1 at 1 kHz routed left, noise and sweep right.
    session.start_with_settings({"CB31": 1, "CB32": 1, "CB27": 1, "CB6": 1, "CB18": 1, "CB19": 0,
                                  "CB20": 1, "CB29": 1, "CB30": 0, "CB33": 1, "CB43": 1, "CB44": 1,
                                  "SE66": 1000, "SE67": 25, "CB74": 1, "CB73": 0, "CB78": 0,
                                  "CB77": 1, "CB81": 0, "CB80": 1})

    for name in ("Frq1", "Noise", "AutoG"):
        session.click(layout.indicator_centre(name))
    image, meter = wait_meter(session, "generator-on", lambda lit: lit > 0)
    log("generator on: left meter %s" % meter.describe())
    check(meter.lit > 0, "the generator's output does not reach the left meter")
    time.sleep(0.5)
    image = session.screenshot("spectrogram")
    for area, name in ((layout.DISPLAY_AREA, "display"), (layout.SCOPE_AREA, "oscilloscope")):
        colours = len(distinct_colours(image, area))
        log("%s: %d distinct colours" % (name, colours))
        check(colours > 1, "the %s shows a single colour" % name)

    # The other two views of the large display, each for a moment.
    session.click(layout.indicator_centre("FFTMode"))
    time.sleep(0.7)
    session.screenshot("fft")
    session.click(layout.indicator_centre("FFTMode"))
    session.click(layout.indicator_centre("SpectralAmp"))
    time.sleep(0.7)
    session.screenshot("spectral-amplitude")

    session.click(screen.centre(layout.BTN_STOP))
    time.sleep(0.5)
    image = session.screenshot("stopped")
    check(screen.looks_pressed(image, layout.BTN_STOP), "STOP is not down after the click")
    session.click(screen.centre(layout.BTN_STOP))
    image, meter = wait_meter(session, "started", lambda lit: lit > 0)
    log("after STOP and START: left meter %s" % meter.describe())
    check(not screen.looks_pressed(image, layout.BTN_STOP), "STOP is still down after START")
    check(meter.lit > 0, "the input did not come back after START")

    status = session.close_window(timeout=20)
    output = (session.out / "veltrano.log").read_text(errors="replace")
    reports = [line for line in output.splitlines() if SANITIZER_REPORT.search(line)]
    check(not reports, "the program's terminal reports: %s" % reports[:5])
    check(status == 0, "the program ended with status %d" % status)


if __name__ == "__main__":
    main(test)
