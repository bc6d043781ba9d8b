# SPDX-License-Identifier: GPL-3.0-or-later
"""Where the window's parts are, in client coordinates (pixels from the top left
of the window's client area), as the program's own component table places
them: the build prints app/Components.cpp as JSON and passes the file with
--layout."""

import argparse
import json


def _load():
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--layout", required=True, help="the component table as JSON")
    with open(parser.parse_known_args()[0].layout) as f:
        return json.load(f)


_TABLE = _load()
_BY_NAME = {c["name"]: c for c in _TABLE["components"]}


def rect(name):
    """(left, top, width, height) of a component in client coordinates."""
    c = _BY_NAME[name]
    left, top = c["left"], c["top"]
    parent = c["parent"]
    while parent >= 0:
        p = _TABLE["components"][parent]
        left, top, parent = left + p["left"], top + p["top"], p["parent"]
    return (left, top, c["width"], c["height"])


def _of_kinds(*kinds):
    return {c["name"]: rect(c["name"]) for c in _TABLE["components"] if c["kind"] in kinds}


# Check boxes and radio buttons; the number edits.
SWITCHES = _of_kinds("CheckBox", "RadioButton")
EDITS = _of_kinds("SpinEdit")

# The window's client size and its own drawing areas, which are no components.
WINDOW_SIZE = (_TABLE["width"], _TABLE["height"])
DISPLAY_AREA = tuple(_TABLE["display"])  # left, top, width, height
SCOPE_AREA = tuple(_TABLE["scope"])

LED_PANEL_RECT = rect("LedPanel")
METER_LEFT = rect("PeakLedDisplay1")[:2]  # left channel
METER_RIGHT = rect("PeakLedDisplay2")[:2]  # right channel
LABEL_L = rect("LabelL")
LABEL_R = rect("LabelR")
BTN_STOP = rect("BtnStop")
# Rlevel and Llevel, one above the other.
LEVEL_READOUTS = (rect("Rlevel")[0], rect("Rlevel")[1], rect("Rlevel")[2],
                  rect("Llevel")[1] + rect("Llevel")[3] - rect("Rlevel")[1])
# A strip of the generator box right of its caption that no child covers: it
# shows the box's own colour.
GENERATOR_CAPTION_STRIP = (rect("GeneratorGroup")[0] + 150, rect("GeneratorGroup")[1] + 5)
# Between MainPanel and the oscilloscope box: the window's own colour.
_MAIN = rect("MainPanel")
WINDOW_GAP = ((_MAIN[0] + _MAIN[2] + rect("OscillocopeGroup")[0]) // 2, _MAIN[1] + _MAIN[3] // 2)


def indicator_centre(name):
    """The middle of a check box's tick box or a radio button's circle."""
    left, top, _, height = SWITCHES[name]
    return (left + 6, top + height // 2)
