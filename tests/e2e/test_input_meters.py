# SPDX-License-Identifier: GPL-3.0-or-later
"""The input meters follow a tone played into the sound server: each channel
on its own meter. STOP darkens both and keeps them dark while the tone goes
on; START brings them back."""

import time

import layout
import screen
import sound
from session import check, log, main

LEFT_DBFS, RIGHT_DBFS = -3, -20
FREQUENCY = 1000


def meters_in(image):
    return screen.Meter(image, layout.METER_LEFT), screen.Meter(image, layout.METER_RIGHT), image


def meters(session, name):
    return meters_in(session.screenshot(name))


def check_running_look(image, when):
    """STOP up and the channel letters white, as with both channels ticked."""
    check(not screen.looks_pressed(image, layout.BTN_STOP), "STOP looks down %s" % when)
    for rect, name in ((layout.LABEL_L, "L"), (layout.LABEL_R, "R")):
        white = screen.letter_pixels(image, rect, screen.WHITE)
        check(white >= 3, "the letter %s is not white %s (%d white pixels)" % (name, when, white))


def check_stopped_look(image):
    """STOP down and the channel letters grey."""
    check(screen.looks_pressed(image, layout.BTN_STOP), "STOP does not look down after STOP")
    for rect, name in ((layout.LABEL_L, "L"), (layout.LABEL_R, "R")):
        white = screen.letter_pixels(image, rect, screen.WHITE)
        grey = screen.letter_pixels(image, rect, screen.BUTTON_SHADOW)
        check(white == 0 and grey >= 3,
              "the letter %s is not grey after STOP (%d white, %d grey)" % (name, white, grey))


def wait_meters(session, name, want_left, timeout=3):
    """Screenshots until the left meter shows `want_left` lit blocks."""
    image = session.screenshot_until(
        name, lambda shot: screen.Meter(shot, layout.METER_LEFT).lit == want_left, timeout)
    return meters_in(image)


def test(session):
    session.start_with_settings({"CB31": 1, "CB32": 1, "CB27": 1, "CB44": 1})

    time.sleep(0.5)
    left, right, _ = meters(session, "silence")
    check(left.lit == 0 and right.lit == 0,
          "meters lit in silence: left %s, right %s" % (left.describe(), right.describe()))

    left_amplitude = sound.dbfs_amplitude(LEFT_DBFS)
    right_amplitude = sound.dbfs_amplitude(RIGHT_DBFS)
    want_left = screen.led_expected_lit(left_amplitude)
    want_right = screen.led_expected_lit(right_amplitude)
    tone = session.tmp / "tone.raw"
    sound.write_tone(tone, FREQUENCY, left_amplitude, right_amplitude, 30)
    player = session.keep(sound.Player(tone, session.env()))

    left, right, image = wait_meters(session, "tone", want_left)
    check_running_look(image, "while running")
    log("tone L %d (%d dBFS), R %d (%d dBFS): left meter %s, right meter %s (expected %d and %d)"
        % (left_amplitude, LEFT_DBFS, right_amplitude, RIGHT_DBFS, left.describe(),
           right.describe(), want_left, want_right))
    check(left.is_bar() and right.is_bar(),
          "the meters do not show bars: left %s, right %s" % (left.states, right.states))
    check(left.lit == want_left, "left meter %d lit, expected %d" % (left.lit, want_left))
    check(right.lit == want_right, "right meter %d lit, expected %d" % (right.lit, want_right))
    check(left.lit > right.lit, "the louder left channel does not show more blocks")

    session.click(screen.centre(layout.BTN_STOP))
    time.sleep(0.3)
    before = None
    for i in range(4):
        left, right, image = meters(session, "stopped-%d" % i)
        check(left.lit == 0 and right.lit == 0 and not left.unexpected and not right.unexpected,
              "meters not dark %.1f s after STOP: left %s, right %s"
              % (0.3 + 0.3 * i, left.describe(), right.describe()))
        frozen = image.region(*layout.DISPLAY_AREA) + image.region(*layout.SCOPE_AREA) \
            + image.region(*layout.LEVEL_READOUTS) + image.region(*layout.LED_PANEL_RECT)
        check(before is None or frozen == before, "the input side changed while stopped")
        check_stopped_look(image)
        before = frozen
        time.sleep(0.3)
    check(player.playing(), "the tone stopped playing")
    recorder = session.keep(sound.Recorder(session.env()))
    recorder.wait_frames(sound.RATE // 4, timeout=3)
    recorded_left, _ = recorder.channels()
    recorder.stop()
    check(sound.peak(recorded_left) == left_amplitude,
          "the tone is not going on while stopped (left peak %d)" % sound.peak(recorded_left))
    log("stopped: both meters dark for 1.2 s while the tone plays on (left peak %d)"
        % sound.peak(recorded_left))

    session.click(screen.centre(layout.BTN_STOP))
    left, right, image = wait_meters(session, "restarted", want_left)
    check_running_look(image, "after START")
    check(left.lit == want_left and right.lit == want_right,
          "after START: left %s, right %s" % (left.describe(), right.describe()))
    log("after START the meters show %d and %d blocks again" % (left.lit, right.lit))

    player.stop()
    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)


if __name__ == "__main__":
    main(test)
