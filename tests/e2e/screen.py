# SPDX-License-Identifier: GPL-3.0-or-later
"""Pixels of a screenshot, and what the window's layout says should be where.

Coordinates are in the window's client area, in pixels, as the layout gives
them. Colours are (red, green, blue) tuples.
"""

import subprocess

BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
AQUA = (0, 255, 255)
FUCHSIA = (255, 0, 255)
# The Fusion palette the program installs: button face (Window), button shadow
# (Dark) and info background (ToolTipBase).
BUTTON_FACE = (239, 239, 239)
BUTTON_SHADOW = (159, 159, 159)
INFO_BACKGROUND = (255, 255, 220)

# The LED meters: 250 x 12 pixels, 83 blocks in three zones.
METER_WIDTH = 250
METER_HEIGHT = 12
LED_BLOCKS = 83
LED_ZONES = (74, 6, 3)
LED_ACTIVE = ((0, 255, 0), (255, 255, 0), (255, 0, 0))  # lime, yellow, red
LED_DEAD = ((0, 128, 0), (128, 128, 0), (128, 0, 0))  # green, olive, maroon
LED_MAX = 32767


def centre(rect):
    return (rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)


def led_expected_lit(level):
    """The number of lit blocks the meters show for a level (0..32767)."""
    return min(LED_BLOCKS, LED_BLOCKS * level // LED_MAX)


def led_block_left(k):
    """Left edge of block k (1..83) inside its meter; every block is 2 pixels wide."""
    return (k - 1) * METER_WIDTH // LED_BLOCKS + 1


def led_zone(k):
    if k <= LED_ZONES[0]:
        return 0
    if k <= LED_ZONES[0] + LED_ZONES[1]:
        return 1
    return 2


def close_to(colour, expected, tolerance=6):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def luminance(colour):
    return sum(colour) // 3


def looks_pressed(image, rect):
    """A push button drawn down: flat and darker at the top, where a button
    that is up is lighter than the button face."""
    return luminance(image.pixel(rect[0] + 5, rect[1] + 3)) < luminance(BUTTON_FACE) - 5


def letter_pixels(image, rect, colour):
    """How many pixels of a letter's box are close to `colour`."""
    return image.count_close(*rect, colour, 40)


class Image:
    """An RGB image read from a file through ImageMagick's PPM output."""

    def __init__(self, path):
        ppm = subprocess.run(
            ["convert", str(path), "-depth", "8", "ppm:-"], check=True, capture_output=True
        ).stdout
        fields = []
        pos = 0
        while len(fields) < 4:
            while ppm[pos : pos + 1].isspace():
                pos += 1
            if ppm[pos : pos + 1] == b"#":
                pos = ppm.index(b"\n", pos)
                continue
            end = pos
            while not ppm[end : end + 1].isspace():
                end += 1
            fields.append(ppm[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("%s: not an 8-bit PPM" % path)
        self.width = int(fields[1])
        self.height = int(fields[2])
        self.data = ppm[pos + 1 : pos + 1 + 3 * self.width * self.height]

    def pixel(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError("pixel (%d, %d) outside %dx%d" % (x, y, self.width, self.height))
        i = 3 * (y * self.width + x)
        return tuple(self.data[i : i + 3])

    def region(self, left, top, width, height):
        """The raw bytes of a rectangle, row by row: for comparing two shots."""
        rows = []
        for y in range(top, top + height):
            i = 3 * (y * self.width + left)
            rows.append(self.data[i : i + 3 * width])
        return b"".join(rows)

    def non_matching(self, left, top, width, height, colour):
        """Pixels of the rectangle that are not exactly `colour`, as (x, y, colour)."""
        row = bytes(colour) * width
        found = []
        for y in range(top, top + height):
            i = 3 * (y * self.width + left)
            if self.data[i : i + 3 * width] != row:
                for x in range(left, left + width):
                    if self.pixel(x, y) != colour:
                        found.append((x, y, self.pixel(x, y)))
        return found

    def count_close(self, left, top, width, height, colour, tolerance=6):
        return sum(
            1
            for y in range(top, top + height)
            for x in range(left, left + width)
            if close_to(self.pixel(x, y), colour, tolerance)
        )


class Meter:
    """What one LED meter shows: every block classified by its colour."""

    def __init__(self, image, origin):
        self.states = []  # per block: "lit", "dead" or the unexpected colour
        for k in range(1, LED_BLOCKS + 1):
            zone = led_zone(k)
            colours = set()
            for dx in (0, 1):
                for y in range(2, METER_HEIGHT - 2):
                    colours.add(image.pixel(origin[0] + led_block_left(k) + dx, origin[1] + y))
            if len(colours) != 1:
                self.states.append(sorted(colours))
                continue
            colour = colours.pop()
            if close_to(colour, LED_ACTIVE[zone], 2):
                self.states.append("lit")
            elif close_to(colour, LED_DEAD[zone], 2):
                self.states.append("dead")
            else:
                self.states.append(colour)

    @property
    def lit(self):
        return sum(1 for s in self.states if s == "lit")

    @property
    def unexpected(self):
        return [(k + 1, s) for k, s in enumerate(self.states) if s not in ("lit", "dead")]

    def is_bar(self):
        """Lit blocks form one run from the first block, dead ones the rest."""
        return self.states == ["lit"] * self.lit + ["dead"] * (LED_BLOCKS - self.lit)

    def describe(self):
        return "%d lit of %d%s" % (
            self.lit,
            LED_BLOCKS,
            "" if not self.unexpected else ", unexpected blocks %s" % self.unexpected[:5],
        )
