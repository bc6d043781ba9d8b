# SPDX-License-Identifier: GPL-3.0-or-later
"""Save Picture… against the screen: the picture the program saves of its
window must equal a screenshot taken just before, pixel for pixel."""

import time

import layout
import screen
from session import check, log


def save_picture(session, path, scale=1):
    """Saves the window's picture to `path` through the display's menu and its
    command's key, and returns it."""
    x, y = screen.centre(layout.DISPLAY_AREA)
    session.xdotool("mousemove", "--window", str(session.window), str(x * scale), str(y * scale),
                    "click", "3")
    time.sleep(0.3)
    session.key("p")
    save_as(session, session.wait_window("^Save Picture$"), path)
    return screen.Image(path)


def save_as(session, dialog, path):
    """Types `path` into a save dialog and waits for the file."""
    session.focus(dialog)
    session.xdotool("key", "ctrl+a")
    session.xdotool("type", "--delay", "5", str(path))
    session.xdotool("key", "Return")
    session.wait_window_gone(dialog)
    time.sleep(0.5)
    check(path.exists(), "nothing saved at %s" % path)


def check_same(shot, saved, scale=1):
    """Fails unless the saved picture equals the screenshot; only the blinking
    text cursor of an edit, one logical column inside it, may differ."""
    check((saved.width, saved.height) == (shot.width, shot.height),
          "the picture is %dx%d" % (saved.width, saved.height))
    different = [(i % shot.width, i // shot.width) for i in range(shot.width * shot.height)
                 if saved.data[3 * i : 3 * i + 3] != shot.data[3 * i : 3 * i + 3]]
    caret = len({x // scale for x, _ in different}) == 1 and any(
        all(l * scale <= x < (l + w) * scale and t * scale <= y < (t + h) * scale
            for x, y in different)
        for l, t, w, h in layout.EDITS.values())
    log("%d pixels differ from the screenshot%s" % (len(different), " (caret)" * caret))
    check(caret or not different, "pixels differ: %s" % different[:10])
