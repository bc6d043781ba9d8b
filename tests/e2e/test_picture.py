"""Save Picture… from the display's menu writes the window as shown: it equals a screenshot."""

import time

import layout
import screen
from session import check, log, main


def test(session):
    session.start_with_settings({"CB31": 1, "CB32": 1, "CB33": 1, "CB29": 1, "CB44": 1})
    time.sleep(0.5)
    session.click(screen.centre(layout.BTN_STOP))  # the views hold still
    time.sleep(0.3)
    # Taken before the dialog takes the focus: activation changes a label.
    shot = session.screenshot("screen")
    path = session.out / "saved.png"  # kept for a look when the test fails
    # The display's menu, and its command by its key.
    display = screen.centre(layout.DISPLAY_AREA)
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
    # Only the blinking text cursor of an edit may differ: one column inside it.
    caret = len({x for x, _ in different}) == 1 and any(
        all(l <= x < l + w and t <= y < t + h for x, y in different)
        for l, t, w, h in layout.EDITS.values())
    log("%d pixels differ from the screenshot%s" % (len(different), " (caret)" * caret))
    check(caret or not different, "pixels differ: %s" % different[:10])


if __name__ == "__main__":
    main(test)
