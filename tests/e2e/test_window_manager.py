# SPDX-License-Identifier: GPL-3.0-or-later
"""Under a real window manager (openbox) the window looks as the program drew
it after it was minimised and restored, and after another window covered part
of it and went: with a steady tone the meters stay lit, and once STOP holds the
views still the screen equals the picture Save Picture… paints afresh from the
program's own pictures. A view whose own window keeps a record of what it put
across an unmap, or misses an exposure, leaves pixels that differ."""

import time

import cover
import layout
import picture
import screen
import sound
from session import check, log, main

# Both channels, colour spectrogram at speed 9, oscilloscope with Sync, meters
# and levels.
SETTINGS = {"CB31": 1, "CB32": 1, "CB6": 1, "CB20": 1, "CB33": 1, "CB43": 1, "CB27": 1, "CB44": 1,
            "UD28": 9}


def test(session):
    session.start_display()
    openbox = session.spawn(["openbox", "--sm-disable"])
    time.sleep(1)  # managing the screen
    check(openbox.process.poll() is None, "openbox ended at once")
    session.write_settings(SETTINGS)
    session.start_sound_server()
    tone = session.tmp / "tone.raw"
    sound.write_tone(tone, 1000, 30000, 9000, 60)
    session.keep(sound.Player(tone, session.env()))
    session.start_program()
    session.attach_main_window()
    time.sleep(1.5)
    window = str(session.window)
    for round_ in range(2):
        session.xdotool("windowminimize", "--sync", window)
        time.sleep(0.5)
        session.xdotool("windowactivate", "--sync", window)
        time.sleep(1)
        # Over the meters, part of the display and the oscilloscope.
        left, top, _, _ = session.geometry(session.window)
        cover.covered(session.display, (left + 400, top + 300, 500, 400), 1, session)
        time.sleep(1)
        log("round %d: minimised, restored, covered and uncovered" % round_)
    running = session.screenshot("running")
    left, right = (screen.Meter(running, m) for m in (layout.METER_LEFT, layout.METER_RIGHT))
    check(left.lit > 0 and right.lit > 0, "a meter is dark with a steady tone: left %s, right %s"
          % (left.describe(), right.describe()))
    # The views hold still. Clicked in the window's own coordinates: under a
    # window manager its frame's place is not the window's.
    x, y = screen.centre(layout.BTN_STOP)
    session.xdotool("mousemove", "--window", window, str(x), str(y), "click", "1")
    time.sleep(0.5)
    shot = session.screenshot("screen")
    picture.check_same(shot, picture.save_picture(session, session.out / "saved.png"))


if __name__ == "__main__":
    main(test)
