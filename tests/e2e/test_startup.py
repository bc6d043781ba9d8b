# SPDX-License-Identifier: GPL-3.0-or-later
"""First start with no settings: the window opens centred at 1016 x 724 with
every part in place, and a close request ends the program after it has
written every setting."""

import time

import layout
import screen
from screen import BLACK, WHITE, BUTTON_FACE, BUTTON_SHADOW, luminance
from session import MAIN_TITLE, check, log, main

SELECTED_BY_DEFAULT = {"RB22K", "dB30", "fLinear", "LineMode"}


def check_display(image):
    left, top, width, height = layout.DISPLAY_AREA
    stray = image.non_matching(left, top, width, height, BLACK)
    check(not stray, "the display area is not black: %d pixels, first %s" % (len(stray), stray[:3]))
    # Its sunken frame: shadow above and left, white below and right.
    for x, y, colour in [(500, 0, BUTTON_SHADOW), (1, 300, BUTTON_SHADOW),
                         (500, 513, WHITE), (1013, 300, WHITE)]:
        check(image.pixel(x, y) == colour,
              "display frame at (%d, %d) is %s, not %s" % (x, y, image.pixel(x, y), colour))


def check_scope(image):
    left, top, width, height = layout.SCOPE_AREA
    for i in range(1, 10):
        for along in (5, 95, 185):
            at = image.pixel(left + 32 * i, top + along)
            check(at == BUTTON_SHADOW, "scope grid column %d is %s" % (i, at))
        for along in (5, 150, 310):
            at = image.pixel(left + along, top + 20 * i)
            check(at == BUTTON_SHADOW, "scope grid row %d is %s" % (i, at))
    # The cells between the lines are black, and there is no border line.
    for i in range(10):
        for j in range(10):
            at = image.pixel(left + 32 * i + 16, top + 20 * j + 10)
            check(at == BLACK, "scope cell (%d, %d) is %s, not black" % (i, j, at))
    check(image.pixel(left, top + 10) == BLACK, "the scope has a left border")
    check(image.pixel(left + 10, top) == BLACK, "the scope has a top border")
    check(image.pixel(left - 1, top + 100) == BUTTON_SHADOW, "no shadow line left of the scope")
    check(image.pixel(left + 100, top + height) == WHITE, "no white line below the scope")


def check_led_panel(image):
    left, top, width, height = layout.LED_PANEL_RECT
    meters = [layout.METER_LEFT, layout.METER_RIGHT]
    # Black inside its frame, but for the meters' blocks and the letters.
    for y in range(top + 1, top + height - 1):
        for x in range(left + 1, left + width - 1):
            in_meter = any(m[0] <= x < m[0] + screen.METER_WIDTH and m[1] + 2 <= y < m[1] + 10
                           for m in meters)
            in_label = any(l[0] <= x < l[0] + l[2] and l[1] <= y < l[1] + l[3]
                           for l in (layout.LABEL_L, layout.LABEL_R))
            if not in_meter and not in_label:
                check(image.pixel(x, y) == BLACK,
                      "LED panel pixel (%d, %d) is %s, not black" % (x, y, image.pixel(x, y)))
    for name, origin in (("left", layout.METER_LEFT), ("right", layout.METER_RIGHT)):
        meter = screen.Meter(image, origin)
        check(meter.states == ["dead"] * screen.LED_BLOCKS,
              "the %s meter is not all dark: %s" % (name, meter.describe()))
        # Each block is 2 pixels wide with black between the blocks.
        for k in range(1, screen.LED_BLOCKS):
            gap = origin[0] + screen.led_block_left(k) + 2
            check(image.pixel(gap, origin[1] + 5) == BLACK,
                  "%s meter: no gap after block %d" % (name, k))
    # The letters keep their first colours until a channel box is clicked.
    aqua = screen.letter_pixels(image, layout.LABEL_L, screen.AQUA)
    fuchsia = screen.letter_pixels(image, layout.LABEL_R, screen.FUCHSIA)
    check(aqua >= 3, "the letter L is not aqua (%d aqua pixels)" % aqua)
    check(fuchsia >= 3, "the letter R is not fuchsia (%d fuchsia pixels)" % fuchsia)


def check_switches(image):
    """Every check box and radio button shows its tick box where the layout
    puts it, unticked, and the radio groups' first-run choices."""
    for name, (left, top, _, height) in layout.SWITCHES.items():
        row = top + height // 2
        background = luminance(image.pixel(left + 13, row))
        for x in (left, left + 11):
            edge = luminance(image.pixel(x, row))
            check(edge <= background - 25,
                  "%s: no tick box edge at (%d, %d) (%d against %d)"
                  % (name, x, row, edge, background))
        mark = luminance(image.pixel(*layout.indicator_centre(name)))
        if name in SELECTED_BY_DEFAULT:
            check(mark < 215, "%s should be selected on a first start (centre %d)" % (name, mark))
        else:
            check(mark >= 230, "%s should be off on a first start (centre %d)" % (name, mark))


def check_edits(image):
    for name, (left, top, width, height) in layout.EDITS.items():
        inside = image.pixel(left + 3, top + 3)
        frame = luminance(image.pixel(left, top + height // 2))
        check(inside == WHITE, "%s: the edit's field is %s, not white" % (name, inside))
        check(frame < 200, "%s: no frame at the edit's left edge (%d)" % (name, frame))


def check_stop_button(image):
    left, top, width, height = layout.BTN_STOP
    dark = sum(1 for y in range(top + 4, top + height - 4)
               for x in range(left + 8, left + width - 8)
               if luminance(image.pixel(x, y)) < 100)
    check(dark >= 15, "no caption on the STOP button (%d dark pixels)" % dark)
    frame = luminance(image.pixel(left, top + height // 2))
    check(frame < 200, "no frame at the STOP button's left edge (%d)" % frame)
    check(not screen.looks_pressed(image, layout.BTN_STOP), "STOP is down at start")


def test(session):
    session.start_display()
    session.start_sound_server()
    started = time.monotonic()
    session.start_program()
    session.wait_window(MAIN_TITLE)
    log("window shown %.2f s after the start" % (time.monotonic() - started))
    window = session.attach_main_window()
    check(session.window_title(window) == "Veltrano", "title %r" % session.window_title(window))
    x, y, width, height = session.geometry(window)
    log("window at (%d, %d), %d x %d" % (x, y, width, height))
    check((width, height) == (1016, 724), "the window is %d x %d, not 1016 x 724" % (width, height))
    check((x, y) == (132, 150), "the window is at (%d, %d), not centred at (132, 150)" % (x, y))

    # Let a few captured blocks pass: each one repaints the meters.
    time.sleep(0.8)
    image = session.screenshot("startup")
    check((image.width, image.height) == (1016, 724),
          "the screenshot is %d x %d" % (image.width, image.height))
    check(image.pixel(*layout.WINDOW_GAP) == BUTTON_FACE,
          "the window's colour is %s, not button face" % (image.pixel(*layout.WINDOW_GAP),))
    check_display(image)
    check_scope(image)
    check_led_panel(image)
    check_switches(image)
    check_edits(image)
    check_stop_button(image)
    check(image.pixel(*layout.GENERATOR_CAPTION_STRIP) == BUTTON_FACE,
          "the generator box is not button face while it is silent")

    status = session.close_window()
    check(status == 0, "the program ended with status %d" % status)
    check(session.settings_file().exists(), "no settings file after the close")
    values = session.read_settings()
    log("settings written: %d values" % len(values))
    check(len(values) == 60,
          "%d values written, not the 53 controls, 4 extras and the Measurements window's 3"
          % len(values))
    expected = {"CB31": "0", "CB27": "0", "RB7": "1", "RB8": "0", "RB86": "1", "RB14": "1",
                "RB90": "1", "UD28": "5", "UD42": "5", "SE66": "50", "SE72": "50", "CB65": "0",
                "RP": "992", "SLN": "1", "SSQ": "1", "SLG": "5"}
    for key, value in expected.items():
        check(values.get(key) == value,
              "%s=%s written, expected %s" % (key, values.get(key), value))


if __name__ == "__main__":
    main(test)
