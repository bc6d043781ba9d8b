# SPDX-License-Identifier: GPL-3.0-or-later
"""Save Picture… from the display's menu writes the window as shown: it equals a screenshot,
taken after a second of a moving tone on both oscilloscope traces, at the scale PICTURE_SCALE
names (1 unless set). Traces left behind by an earlier block, or drawn a pixel off, differ, as
does a display whose own window missed a change: the picture paints everything afresh."""

import os
import time

import layout
import picture
import screen
import sound
import x11
from session import check, main

SCALE = int(os.environ.get("PICTURE_SCALE", "1"))


def scaled(point):
    return (point[0] * SCALE, point[1] * SCALE)


def test(session):
    session.start_with_settings({"CB31": 1, "CB32": 1, "CB33": 1, "CB29": 1, "CB44": 1, "CB45": 1,
                                 "CB20": 1},
                                (1280 * SCALE, 1024 * SCALE), env={"QT_SCALE_FACTOR": str(SCALE)})
    # 2048 samples are not a whole number of its periods: the traces move with every block;
    # the automatic Y scale keeps them on the screen.
    tone = session.tmp / "tone.raw"
    sound.write_tone(tone, 1000, 30000, 9000, 30)
    session.keep(sound.Player(tone, session.env()))
    time.sleep(1.5)
    session.click(scaled(screen.centre(layout.BTN_STOP)))  # the views hold still
    time.sleep(0.3)
    # Taken before the dialog takes the focus: activation changes a label.
    shot = session.screenshot("screen")
    left, top, width, height = (v * SCALE for v in layout.SCOPE_AREA)
    traces = {shot.pixel(x, y) for y in range(top, top + height) for x in range(left, left + width)}
    check({screen.AQUA, screen.FUCHSIA} <= traces, "the oscilloscope shows no traces")
    # The display shows in a window of its own, which the picture must match as well.
    with x11.Connection(session.display) as x:
        own = len(x.children(int(session.window)))
    check(own >= 1, "no window of its own in the program's window")
    path = session.out / "saved.png"  # kept for a look when the test fails
    picture.check_same(shot, picture.save_picture(session, path, SCALE), SCALE)


if __name__ == "__main__":
    main(test)
