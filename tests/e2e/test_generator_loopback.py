# SPDX-License-Identifier: GPL-3.0-or-later
"""The generator's f1 at 1000 Hz and 25 %, routed left only, comes back
through the sink's monitor: the box turns the info colour, the left meter
shows about -12 dBFS, the recording holds the tone on the left and silence on
the right, and switching f1 off silences the output within half a second."""

import json
import math
import subprocess
import time

import layout
import screen
import sound
from session import check, log, main, project_value

FREQUENCY = 1000
LEVEL_PERCENT = 25
# The level in percent of the generator's full scale, 32767.
AMPLITUDE = 32767 * LEVEL_PERCENT // 100
# The level edit of a source that is sounding.
PALE_BLUE = (213, 234, 255)


def box_colour(image):
    return image.pixel(*layout.GENERATOR_CAPTION_STRIP)


def level_edit_colour(image):
    left, top, _, _ = layout.EDITS["FrqV1"]
    return image.pixel(left + 3, top + 3)


def wait_box(session, name, colour, timeout):
    """Screenshots until the generator box shows `colour`; the seconds it took."""
    started = time.monotonic()
    image = session.screenshot_until(name, lambda shot: box_colour(shot) == colour, timeout)
    check(box_colour(image) == colour, "the generator box is %s, not %s, after %.1f s"
          % (box_colour(image), colour, timeout))
    return time.monotonic() - started, image


def check_stream_properties(session):
    """What a mixer shows of the two streams, and the role that keeps the
    desktop from ducking or corking them."""
    app_id = project_value("VELTRANO_APP_ID")
    program = {"application.name": "Veltrano", "application.id": app_id,
               "application.icon_name": app_id, "application.version": project_value("VERSION"),
               "media.role": "production"}
    for kind, name in (("sink-inputs", "Generator to the sound card"),
                       ("source-outputs", "Input from the sound card")):
        listed = subprocess.run(["pactl", "-f", "json", "list", kind], env=session.env(),
                                capture_output=True, text=True, timeout=10).stdout
        ours = [stream["properties"] for stream in json.loads(listed)
                if stream["properties"].get("application.name") == "Veltrano"]
        want = dict(program, **{"media.name": name})
        check(len(ours) == 1 and all(ours[0].get(key) == want[key] for key in want),
              "%s: %r, expected one with %r" % (kind, ours, want))


def test(session):
    session.start_with_settings({"SE66": FREQUENCY, "SE67": LEVEL_PERCENT, "CB74": 1, "CB73": 0,
                                  "CB31": 1, "CB32": 1, "CB27": 1, "CB44": 1})
    time.sleep(0.3)
    image = session.screenshot("before")
    check(box_colour(image) == screen.BUTTON_FACE,
          "the generator box is %s before f1 is on" % (box_colour(image),))

    recorder = session.keep(sound.Recorder(session.env()))
    recorder.wait_frames(sound.RATE // 10, timeout=3)
    session.click(layout.indicator_centre("Frq1"))
    took, _ = wait_box(session, "playing", screen.INFO_BACKGROUND, timeout=2)
    log("f1 on: the generator box turned %s after %.2f s" % (screen.INFO_BACKGROUND, took))
    check_stream_properties(session)

    time.sleep(1.0)
    image = session.screenshot("meters")
    left = screen.Meter(image, layout.METER_LEFT)
    right = screen.Meter(image, layout.METER_RIGHT)
    want = screen.led_expected_lit(AMPLITUDE)
    log("left meter %s, right meter %s (expected %d and 0)"
        % (left.describe(), right.describe(), want))
    check(left.is_bar() and abs(left.lit - want) <= 1,
          "left meter %s, expected %d lit" % (left.describe(), want))
    check(right.states == ["dead"] * screen.LED_BLOCKS, "right meter %s" % right.describe())
    check(level_edit_colour(image) == PALE_BLUE,
          "f1's level edit is %s while it sounds, not pale blue" % (level_edit_colour(image),))

    # Half a second of steady output, measured on both channels.
    end = recorder.frames()
    left_samples, right_samples = recorder.channels(end - sound.RATE // 2, end)
    amplitude, residual = sound.sine_fit(left_samples, FREQUENCY)
    frequency = sound.zero_crossing_frequency(left_samples)
    log("recorded left: %.1f Hz, amplitude %.0f (peak %d, %.2f dBFS), residual RMS %.1f; "
        "right peak %d"
        % (frequency, amplitude, sound.peak(left_samples), 20 * math.log10(amplitude / 32767),
           residual, sound.peak(right_samples)))
    check(abs(frequency - FREQUENCY) < 1, "the left channel plays %.2f Hz" % frequency)
    check(abs(amplitude - AMPLITUDE) <= AMPLITUDE * 0.01,
          "the left channel's amplitude is %.0f, expected %d" % (amplitude, AMPLITUDE))
    check(residual < AMPLITUDE * 0.01,
          "the left channel is not a clean sine (residual %.1f)" % residual)
    check(sound.peak(right_samples) <= 1, "the right channel is not silent (peak %d)"
          % sound.peak(right_samples))

    # Taken before the click, so that the delay measured below is if anything too long.
    clicked = time.monotonic()
    session.click(layout.indicator_centre("Frq1"))
    took, image = wait_box(session, "stopped", screen.BUTTON_FACE, timeout=2)
    log("f1 off: the generator box returned to button face after %.2f s" % took)
    check(level_edit_colour(image) == screen.WHITE,
          "f1's level edit is %s after the output closed, not white" % (level_edit_colour(image),))
    recorder.wait_frames(recorder.frame_at(clicked) + sound.RATE, timeout=3)
    recorder.stop()

    left_samples, _ = recorder.channels()
    at_click = recorder.frame_at(clicked)
    check(sound.peak(left_samples[at_click - sound.RATE // 10 : at_click]) > AMPLITUDE // 2,
          "the tone was not playing when f1 was switched off")
    silent = sound.silent_from(left_samples)
    check(silent < len(left_samples) - sound.RATE // 2,
          "the output is not silent in the last half second of the recording")
    delay = recorder.arrival(silent) - clicked
    log("the output fell silent %.3f s after the click (recording frame %d of %d)"
        % (delay, silent, len(left_samples)))
    check(delay <= 0.5, "the output fell silent %.3f s after f1 was switched off" % delay)

    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)
    values = session.read_settings()
    for key, value in {"SE66": "1000", "SE67": "25", "CB74": "1", "CB73": "0"}.items():
        check(values.get(key) == value, "%s=%s saved, expected %s" % (key, values.get(key), value))


if __name__ == "__main__":
    main(test)
