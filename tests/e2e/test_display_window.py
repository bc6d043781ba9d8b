# SPDX-License-Identifier: GPL-3.0-or-later
"""The scrolling display on the screen is the picture the program drew, at
scale 1 and 2: the sweep and a tone scroll the colour spectrogram past the
ruler while another window covers part of it for a while; stopped, a
screenshot of the display must equal the one taken after the window was
unmapped and mapped again, when everything is drawn afresh from the
program's pictures. A stale or misplaced column from a scroll shows as a
difference."""

import time

import cover
import layout
from session import check, log, main

SCREEN = (2560, 1600)
# Both channels, colour spectrogram on the Log scale at speed 9 with the ruler
# in the middle;
# f1 at 1 kHz and the sweep from 100 Hz to 20 kHz in steps of 1 kHz.
SETTINGS = {"CB31": 1, "CB32": 1, "CB6": 1, "RB12": 1, "RB13": 0, "RB14": 0, "SLG": 20,
            "CB29": 1, "RP": 800, "UD28": 9, "SE66": 1000, "SE67": 30, "CB73": 1, "CB74": 1, "SE79": 30, "CB80": 1, "CB81": 1, "SE82": 100,
            "SE83": 20000, "SE72": 1000}


def check_scale(session, scale):
    session.start_program(env={"QT_SCALE_FACTOR": str(scale)})
    session.attach_main_window()
    for box in ("Frq1", "AutoG"):
        x, y = layout.indicator_centre(box)
        session.xdotool("mousemove", "--sync", str(session.origin[0] + x * scale),
                        str(session.origin[1] + y * scale), "click", "1")
    # The sweep's steps reach the covered part, between x 300 and 500.
    time.sleep(3.5)
    left, top, width, height = (v * scale for v in layout.DISPLAY_AREA)
    cover.covered(session.display, (session.origin[0] + left + 300 * scale, session.origin[1] + top +
                              200 * scale, 200 * scale, 300 * scale), 1)
    # Uncovered, a few hundred columns come in by scrolling alone before STOP.
    time.sleep(1.5)
    stop_x, stop_y = (v * scale for v in (layout.BTN_STOP[0] + 5, layout.BTN_STOP[1] + 5))
    session.xdotool("mousemove", "--sync", str(session.origin[0] + stop_x),
                    str(session.origin[1] + stop_y), "click", "1")
    time.sleep(0.5)
    scrolled = session.screenshot("scrolled_%d" % scale).region(left, top, width, height)
    for action in ("windowunmap", "windowmap"):
        session.xdotool(action, "--sync", str(session.window))
    time.sleep(0.5)
    redrawn = session.screenshot("redrawn_%d" % scale).region(left, top, width, height)
    differing = [i // 3 for i in range(0, len(redrawn), 3) if scrolled[i:i + 3] != redrawn[i:i + 3]]
    log("scale %d: %d of %d display pixels differ after a fresh drawing"
        % (scale, len(differing), width * height))
    check(len(set(scrolled[i:i + 3] for i in range(0, len(scrolled), 3))) > 50,
          "the spectrogram shows no picture to compare at scale %d" % scale)
    check(not differing, "at scale %d the scrolled display differs from its fresh drawing at "
          "screen columns %s" % (scale, sorted({left + i % width for i in differing})[:12]))
    check(session.close_window() == 0, "the program did not end cleanly")


def test(session):
    session.write_settings(SETTINGS)
    # Without backing store, as a desktop's X server without a compositor: what
    # another window covers is gone, and a copy cannot bring it back.
    session.start_display(SCREEN, ["-bs"])
    session.start_sound_server()
    for scale in (1, 2):
        check_scale(session, scale)
        session.write_settings(SETTINGS)


if __name__ == "__main__":
    main(test)
