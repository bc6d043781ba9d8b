"""Save Picture… from the display's menu writes the window as shown: it equals a screenshot,
taken after a second of a moving tone on both oscilloscope traces, at the scale PICTURE_SCALE
names (1 unless set). Traces left behind by an earlier block, or drawn a pixel off, differ, as
does a display whose own window missed a change: the picture paints everything afresh."""

import os
import time

import layout
import screen
import sound
import x11
from session import check, log, main

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
    # The display's menu, and its command by its key.
    display = scaled(screen.centre(layout.DISPLAY_AREA))
    session.xdotool("mousemove", "--sync", str(session.origin[0] + display[0]),
                    str(session.origin[1] + display[1]), "click", "3")
    time.sleep(0.3)
    session.key("p")
    dialog = session.wait_window("^Save Picture$")
    session.focus(dialog)
    session.xdotool("key", "ctrl+a")
    session.xdotool("type", "--delay", "5", str(path))
    session.xdotool("key", "Return")
    session.wait_window_gone(dialog)
    time.sleep(0.5)
    check(path.exists(), "no picture at %s" % path)
    saved = screen.Image(path)
    check((saved.width, saved.height) == (shot.width, shot.height),
          "the picture is %dx%d" % (saved.width, saved.height))
    different = [(i % shot.width, i // shot.width) for i in range(shot.width * shot.height)
                 if saved.data[3 * i : 3 * i + 3] != shot.data[3 * i : 3 * i + 3]]
    # Only the blinking text cursor of an edit may differ: one logical column inside it.
    caret = len({x // SCALE for x, _ in different}) == 1 and any(
        all(l * SCALE <= x < (l + w) * SCALE and t * SCALE <= y < (t + h) * SCALE
            for x, y in different)
        for l, t, w, h in layout.EDITS.values())
    log("%d pixels differ from the screenshot%s" % (len(different), " (caret)" * caret))
    check(caret or not different, "pixels differ: %s" % different[:10])


if __name__ == "__main__":
    main(test)
