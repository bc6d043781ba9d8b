# SPDX-License-Identifier: GPL-3.0-or-later
"""Started with no sound server, the program warns "Wrong Format. Try Again."
in a box of its own, then shows the window stopped and usable. Once a server
is there, START brings the input up; the close request ends it cleanly."""

import re
import time

import layout
import screen
import sound
from session import MAIN_TITLE, check, log, main

WARNING_TITLE = "^Warning"
# X11 titles get the application's display name appended after a dash.
WARNING_CAPTION = re.compile(r"Warning( \u2014 Veltrano)?")


def dismiss_warning(session, name):
    """Waits for the warning box, checks it, and presses Return on it."""
    box = session.wait_window(WARNING_TITLE, timeout=10)
    title = session.window_title(box)
    _, _, width, height = session.geometry(box)
    log("warning box %r, %d x %d" % (title, width, height))
    check(WARNING_CAPTION.fullmatch(title), "the box's caption is %r, not \"Warning\"" % title)
    check(width < 600 and height < 300, "the warning box is %d x %d" % (width, height))
    image = session.screenshot(name, box)
    dark = sum(1 for y in range(image.height) for x in range(image.width)
               if screen.luminance(image.pixel(x, y)) < 100)
    check(dark > 50, "the warning box shows no text (%d dark pixels)" % dark)
    session.focus(box)
    session.key("Return")
    session.wait_window_gone(box, timeout=5)
    check(session.program_running(), "the program ended when the warning was dismissed")


def test(session):
    session.write_settings({"CB31": 1, "CB32": 1, "CB27": 1})
    session.start_display()
    # The server the program is pointed at starts only later.
    later = session.tmp / "later"
    session.start_program(pulse_dir=later)

    session.wait_window(WARNING_TITLE, timeout=10)
    check(not session.find_windows(MAIN_TITLE),
          "the main window is shown before the start-up warning is dismissed")
    dismiss_warning(session, "warning")
    session.attach_main_window(timeout=5)
    image = session.screenshot("stopped")
    check(screen.looks_pressed(image, layout.BTN_STOP), "STOP is not down without a server")
    for name in ("LCnl", "RCnl", "Led"):
        mark = screen.luminance(image.pixel(*layout.indicator_centre(name)))
        check(mark < 215, "%s lost its stored tick" % name)

    # Stopped, the generator's switches still work: route f1 to the left.
    box = layout.indicator_centre("LcBox0")
    before = screen.luminance(image.pixel(*box))
    session.click(box)
    time.sleep(0.3)
    image = session.screenshot("routed")
    after = screen.luminance(image.pixel(*box))
    log("LcBox0 clicked while stopped: centre %d -> %d" % (before, after))
    check(before >= 230 and after < 200, "the click on LcBox0 did not tick it")

    # Still no server: START warns again and leaves the window stopped.
    session.click(screen.centre(layout.BTN_STOP))
    dismiss_warning(session, "warning-again")
    image = session.screenshot("stopped-again")
    check(screen.looks_pressed(image, layout.BTN_STOP), "STOP is not down after a failed START")

    session.start_sound_server(later)
    amplitude = sound.dbfs_amplitude(-6)
    tone = session.tmp / "tone.raw"
    sound.write_tone(tone, 1000, amplitude, 0, 10)
    session.keep(sound.Player(tone, session.env(later)))
    session.click(screen.centre(layout.BTN_STOP))
    want = screen.led_expected_lit(amplitude)
    image = session.screenshot_until(
        "started", lambda shot: screen.Meter(shot, layout.METER_LEFT).lit == want)
    left = screen.Meter(image, layout.METER_LEFT)
    log("with the server up, START: left meter %s (expected %d)" % (left.describe(), want))
    check(not screen.looks_pressed(image, layout.BTN_STOP), "STOP is still down after START")
    check(left.lit == want, "the left meter shows %d blocks, expected %d" % (left.lit, want))
    check(not session.find_windows(WARNING_TITLE), "a warning is shown after START with a server")

    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)
    values = session.read_settings()
    check(values.get("CB74") == "1", "the routing clicked while stopped was not saved")


if __name__ == "__main__":
    main(test)
