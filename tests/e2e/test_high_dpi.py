# SPDX-License-Identifier: GPL-3.0-or-later
"""On a screen scaled by 2 (QT_SCALE_FACTOR=2) the window is twice its size,
every pixel of the display and of the meters is a sharp 2 x 2 block, and the
pointer readout names the bar under the cross-hairs' hot spot: a tone on the
left channel draws an aqua FFT bar, and the LFrq readout turns aqua with the
pointer on either screen pixel of that bar's column, and grey one column off."""

import ctypes
import ctypes.util
import time

import layout
import screen
import sound
from session import check, log, main

SCALE = 2
# Wide enough for the window's screen check (1024 logical pixels) at scale 2.
SCREEN = (2560, 1600)
FREQUENCY = 1500  # bin 64 of the 2048-point transform at 48 kHz
LEFT_DBFS = -6
# FFT mode with both channels, meters on; no grid, no automatic counter, so
# the readout follows the pointer.
SETTINGS = {"CB19": 1, "CB31": 1, "CB32": 1, "CB27": 1, "CB18": 0, "CB20": 0}
# Inside the LFrq readout's frame: its caption is aqua while the pointer is on
# a left bar, grey elsewhere.
LFRQ = tuple(a + b for a, b in zip(layout.rect("LFrq"), (2, 2, -4, -4)))


class Logical:
    """The screenshot seen in the window's own (logical) pixels: each is the
    screen pixel at its top left corner."""

    def __init__(self, image):
        self.image = image

    def pixel(self, x, y):
        return self.image.pixel(x * SCALE, y * SCALE)

    def count_close(self, left, top, width, height, colour, tolerance=6):
        return sum(1 for y in range(top, top + height) for x in range(left, left + width)
                   if screen.close_to(self.pixel(x, y), colour, tolerance))


def blurred_rows(image, area):
    """Logical rows of `area` whose screen pixels are not whole SCALE x SCALE
    blocks of one colour: what smoothing or a misplaced copy would leave."""
    left, top, width, height = area
    bad = []
    for y in range(top, top + height):
        rows = [image.region(left * SCALE, y * SCALE + i, width * SCALE, 1) for i in range(SCALE)]
        blocks = b"".join(rows[0][3 * SCALE * i : 3 * SCALE * i + 3] * SCALE for i in range(width))
        if any(row != blocks for row in rows):
            bad.append(y)
    return bad


def cursor_image(display):
    """The X server's cursor: (hot spot x, hot spot y, width, pixels as ARGB)."""

    class CursorImage(ctypes.Structure):
        _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                    ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                    ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                    ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]

    names = {name: ctypes.util.find_library(name) for name in ("X11", "Xfixes")}
    check(all(names.values()), "X client libraries missing: %s" % names)
    xlib, xfixes = ctypes.CDLL(names["X11"]), ctypes.CDLL(names["Xfixes"])
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    connection = xlib.XOpenDisplay(display.encode())
    check(connection, "cannot open display %s" % display)
    try:
        found = xfixes.XFixesGetCursorImage(connection)
        check(found, "the X server gave no cursor image")
        c = found.contents
        cursor = (c.xhot, c.yhot, c.width,
                  [c.pixels[i] & 0xFFFFFFFF for i in range(c.width * c.height)])
        xlib.XFree(found)
        return cursor
    finally:
        xlib.XCloseDisplay(connection)


def tallest_bar(view, colour):
    """(column, top row) of the highest bar of `colour` in the display, in window
    pixels, with its neighbours lower, so that the top row tells them apart."""
    left, top, width, height = layout.DISPLAY_AREA
    tops = {}
    for x in range(left, left + width):
        for y in range(top, top + height):
            if view.pixel(x, y) == colour:
                tops[x] = y
                break
    check(tops, "no %s bar in the display" % (colour,))
    column = min(tops, key=tops.get)
    row = tops[column]
    for neighbour in (column - 1, column + 1):
        check(tops.get(neighbour, top + height) > row,
              "the bar in column %d is not higher than its neighbours: %s"
              % (column, {x: tops.get(x) for x in range(column - 2, column + 3)}))
    return column, row


def readout_colours(session, screen_point, on_bar, name):
    """Moves the pointer to a screen pixel of the window and returns how many
    pixels of the LFrq caption are aqua and grey, once they show what is
    expected there or after a few seconds."""
    x, y = session.origin[0] + screen_point[0], session.origin[1] + screen_point[1]
    session.xdotool("mousemove", "--sync", str(x), str(y))

    def colours(image):
        view = Logical(image)
        return (view.count_close(*LFRQ, screen.AQUA, 40),
                view.count_close(*LFRQ, screen.BUTTON_SHADOW, 40))

    def shows(image):
        aqua, grey = colours(image)
        return (aqua >= 20 and grey == 0) if on_bar else (aqua == 0 and grey >= 20)

    return colours(session.screenshot_until(name, shows))


def test(session):
    session.start_with_settings(SETTINGS, SCREEN, env={"QT_SCALE_FACTOR": str(SCALE)})
    _, _, width, height = session.geometry(session.window)
    check((width, height) == (layout.WINDOW_SIZE[0] * SCALE, layout.WINDOW_SIZE[1] * SCALE),
          "the window is %dx%d at scale %d" % (width, height, SCALE))

    amplitude = sound.dbfs_amplitude(LEFT_DBFS)
    tone = session.tmp / "tone.raw"
    sound.write_tone(tone, FREQUENCY, amplitude, 0, 30)
    session.keep(sound.Player(tone, session.env()))
    want = screen.led_expected_lit(amplitude)
    image = session.screenshot_until(
        "running",
        lambda shot: abs(screen.Meter(Logical(shot), layout.METER_LEFT).lit - want) <= 1)
    meter = screen.Meter(Logical(image), layout.METER_LEFT)
    log("left meter %s (expected about %d)" % (meter.describe(), want))
    check(meter.is_bar() and abs(meter.lit - want) <= 1, "left meter %s" % meter.describe())
    for origin in (layout.METER_LEFT, layout.METER_RIGHT):
        check(not blurred_rows(image, origin + (screen.METER_WIDTH, screen.METER_HEIGHT)),
              "the meters' pixels are not sharp %dx%d blocks" % (SCALE, SCALE))

    # Stopped, the display holds still while the pointer reads it; the bars
    # have had a second of the tone.
    time.sleep(1)
    stop = screen.centre(layout.BTN_STOP)
    session.xdotool("mousemove", "--sync", str(session.origin[0] + stop[0] * SCALE),
                    str(session.origin[1] + stop[1] * SCALE), "click", "1")
    session.xdotool("mousemove", "--sync", "0", "0")
    time.sleep(0.5)
    image = session.screenshot("stopped")
    bad = blurred_rows(image, layout.DISPLAY_AREA)
    check(not bad, "the display's pixels are not sharp %dx%d blocks in rows %s"
          % (SCALE, SCALE, bad[:10]))
    view = Logical(image)

    column, row = tallest_bar(view, screen.AQUA)
    log("the left channel's highest bar: window column %d (bin %d), top row %d"
        % (column, column - layout.DISPLAY_AREA[0], row))
    # Every screen pixel of the bar's top names the bar; one column off, none.
    y = row * SCALE + SCALE - 1
    for x, on_bar in ((column * SCALE, True), (column * SCALE + SCALE - 1, True),
                      (column * SCALE - 1, False), ((column + 1) * SCALE, False)):
        aqua, grey = readout_colours(session, (x, y), on_bar, "pointer_%d_%d" % (x, y))
        log("pointer on screen pixel (%d, %d): LFrq has %d aqua, %d grey pixels"
            % (x, y, aqua, grey))
        if on_bar:
            check(aqua >= 20 and grey == 0,
                  "LFrq is not aqua with the pointer on the bar (%d, %d)" % (x, y))
        else:
            check(aqua == 0 and grey >= 20,
                  "LFrq is not grey with the pointer beside the bar (%d, %d)" % (x, y))
        hot_x, hot_y, cursor_width, pixels = cursor_image(session.display)
        # The readout's pixel is the one under the hot spot, where the lines of
        # the cross-hairs meet.
        black = 0xFF000000
        check(pixels[hot_y * cursor_width + hot_x] == black
              and pixels[hot_x] == black and pixels[hot_y * cursor_width] == black,
              "the cursor's hot spot (%d, %d) is not the cross-hairs' centre" % (hot_x, hot_y))

    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)


if __name__ == "__main__":
    main(test)
