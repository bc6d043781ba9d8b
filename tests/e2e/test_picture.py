"""Save Picture… (Ctrl+S) through the file dialog writes the window as the
screen shows it: every pixel of the PNG equals a screenshot of the window
taken when the keys were pressed.
F2 opens the "Measurements" window, and the settings file keeps that it was
open."""

import time

import layout
import screen
from session import check, log, main


def differing(a, b):
    """The pixels (x, y) in which two images of the same size differ."""
    return [(i % a.width, i // a.width) for i in range(a.width * a.height)
            if a.data[3 * i : 3 * i + 3] != b.data[3 * i : 3 * i + 3]]


def test(session):
    session.start_with_settings({"CB31": 1, "CB32": 1, "CB33": 1, "CB29": 1, "CB27": 1,
                                 "CB44": 1})
    time.sleep(0.5)
    # STOP freezes the views: the picture and the screenshot show the same block.
    session.click(screen.centre(layout.BTN_STOP))
    time.sleep(0.3)

    # The window as the screen shows it when the command is given: the dialog
    # then takes the focus, and the window's activation changes its labels.
    shot = session.screenshot("screen")
    # Kept beside the screenshots for a look when the test fails.
    path = session.out / "saved.png"
    session.key("ctrl+s")
    dialog = session.wait_window("^Save Picture$")
    session.focus(dialog)
    session.xdotool("key", "ctrl+a")
    session.xdotool("type", "--delay", "5", str(path))
    session.xdotool("key", "Return")
    session.wait_window_gone(dialog)
    deadline = time.monotonic() + 5
    while not path.exists():
        check(time.monotonic() < deadline, "no picture at %s after the dialog closed" % path)
        time.sleep(0.05)
    saved = screen.Image(path)
    check((saved.width, saved.height) == (shot.width, shot.height),
          "the picture is %dx%d, the window on the screen %dx%d"
          % (saved.width, saved.height, shot.width, shot.height))
    # The text cursor of the focused edit blinks: a one-pixel column inside an
    # edit may be caught on in one picture and off in the other.
    different = differing(saved, shot)
    columns = {x for x, _ in different}
    if len(columns) == 1 and any(
        all(left <= x < left + width and top <= y < top + height for x, y in different)
        for left, top, width, height in layout.EDITS.values()
    ):
        log("the text cursor blinked between the two: %d pixels of one column" % len(different))
        different = []
    log("saved picture %dx%d, %d pixels differ from the screenshot"
        % (saved.width, saved.height, len(different)))
    if different:
        check(False, "%d pixels of the picture differ from the screenshot, within %s..%s"
              % (len(different), min(different), max(different)))

    session.focus(session.window)
    session.key("F2")
    measurements = session.wait_window("^Measurements$")
    x, y, width, height = session.geometry(measurements)
    log("the Measurements window is at %d,%d, %dx%d" % (x, y, width, height))
    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)
    values = session.read_settings()
    check(values.get("MWO") == "1", "MWO=%s saved, expected 1" % values.get("MWO"))


if __name__ == "__main__":
    main(test)
