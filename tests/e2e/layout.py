"""Where the window's parts are, in client coordinates (pixels from the top left
of the window's client area), as the window's layout places them."""

from screen import client_rect

LED_PANEL = (325, 652)
SPECTRUM_GROUP = (325, 516)
SENS_GROUP = (SPECTRUM_GROUP[0] + 100, SPECTRUM_GROUP[1] + 10)
MAIN_PANEL = (1, 691)
OSCILLOSCOPE_GROUP = (599, 516)
GENERATOR_GROUP = (1, 516)
SPECTRAL_AMP_GROUP = (246, 516)
DRAW_MODE_GROUP = (246, 595)

# name: (container, left, top, width, height), relative to the container.
_SWITCHES = {
    "ColorBox": (SPECTRUM_GROUP, 8, 16, 60, 16),
    "RB22K": (SPECTRUM_GROUP, 8, 32, 80, 16),
    "RB11K": (SPECTRUM_GROUP, 8, 48, 80, 16),
    "RB6K": (SPECTRUM_GROUP, 8, 64, 80, 16),
    "fLog": (SENS_GROUP, 6, 14, 46, 15),
    "fSqrt": (SENS_GROUP, 6, 29, 46, 15),
    "fLinear": (SENS_GROUP, 6, 44, 50, 15),
    "AutoSensitivity": (SENS_GROUP, 6, 59, 48, 15),
    "Filter": (SPECTRUM_GROUP, 200, 16, 66, 16),
    "Grid": (SPECTRUM_GROUP, 200, 32, 66, 16),
    "FFTMode": (SPECTRUM_GROUP, 200, 48, 66, 16),
    "AutoFrqCount": (SPECTRUM_GROUP, 110, 110, 150, 16),
    "cbWnd": (SPECTRUM_GROUP, 200, 64, 66, 16),
    "Led": (MAIN_PANEL, 195, 8, 40, 16),
    "Ruler": (MAIN_PANEL, 141, 8, 44, 16),
    "SpectralAmp": (MAIN_PANEL, 5, 8, 66, 16),
    "RCnl": (MAIN_PANEL, 395, 8, 70, 16),
    "LCnl": (MAIN_PANEL, 325, 8, 70, 16),
    "Scope": (MAIN_PANEL, 243, 8, 81, 16),
    "LFBox": (MAIN_PANEL, 72, 8, 65, 17),
    "Sync": (OSCILLOSCOPE_GROUP, 6, 74, 50, 16),
    "ShowLevels": (OSCILLOSCOPE_GROUP, 6, 132, 80, 16),
    "AutoYScale": (OSCILLOSCOPE_GROUP, 4, 55, 83, 16),
    "Noise": (GENERATOR_GROUP, 8, 87, 90, 17),
    "Frq1": (GENERATOR_GROUP, 8, 23, 31, 17),
    "Frq2": (GENERATOR_GROUP, 8, 55, 31, 17),
    "AutoG": (GENERATOR_GROUP, 8, 121, 49, 17),
    "RcBox0": (GENERATOR_GROUP, 207, 23, 27, 17),
    "LcBox0": (GENERATOR_GROUP, 178, 23, 27, 17),
    "RcBox1": (GENERATOR_GROUP, 207, 55, 27, 17),
    "LcBox1": (GENERATOR_GROUP, 178, 55, 27, 17),
    "RcBox2": (GENERATOR_GROUP, 207, 87, 27, 17),
    "LcBox2": (GENERATOR_GROUP, 178, 87, 27, 17),
    "RcBox3": (GENERATOR_GROUP, 207, 147, 27, 17),
    "LcBox3": (GENERATOR_GROUP, 178, 147, 27, 17),
    "dB10": (SPECTRAL_AMP_GROUP, 8, 16, 62, 17),
    "dB30": (SPECTRAL_AMP_GROUP, 8, 35, 62, 17),
    "dB60": (SPECTRAL_AMP_GROUP, 8, 54, 62, 17),
    "LineMode": (DRAW_MODE_GROUP, 8, 16, 62, 17),
    "DotMode": (DRAW_MODE_GROUP, 8, 36, 62, 17),
}

_EDITS = {
    "FrqVN": (GENERATOR_GROUP, 113, 84, 41, 22),
    "FrqG1": (GENERATOR_GROUP, 38, 20, 53, 22),
    "FrqV1": (GENERATOR_GROUP, 113, 20, 41, 22),
    "FrqG2": (GENERATOR_GROUP, 38, 52, 53, 22),
    "FrqV2": (GENERATOR_GROUP, 113, 52, 41, 22),
    "FInc": (GENERATOR_GROUP, 63, 145, 41, 22),
    "FrqVF": (GENERATOR_GROUP, 186, 118, 41, 22),
    "FrqFrom": (GENERATOR_GROUP, 51, 118, 53, 22),
    "FrqTo": (GENERATOR_GROUP, 117, 118, 53, 22),
}

RADIO_BUTTONS = {
    "RB22K", "RB11K", "RB6K", "fLog", "fSqrt", "fLinear", "dB10", "dB30", "dB60",
    "LineMode", "DotMode",
}

SWITCHES = {name: client_rect(*geometry) for name, geometry in _SWITCHES.items()}
EDITS = {name: client_rect(*geometry) for name, geometry in _EDITS.items()}

DISPLAY_AREA = (2, 1, 1011, 512)  # left, top, width, height
SCOPE_AREA = (693, 520, 320, 200)
LED_PANEL_RECT = (LED_PANEL[0], LED_PANEL[1], 270, 35)
METER_LEFT = (LED_PANEL[0] + 14, LED_PANEL[1] + 5)  # PeakLedDisplay1, left channel
METER_RIGHT = (LED_PANEL[0] + 14, LED_PANEL[1] + 18)  # PeakLedDisplay2, right channel
LABEL_L = client_rect(LED_PANEL, 4, 5, 9, 13)
LABEL_R = client_rect(LED_PANEL, 4, 18, 9, 13)
BTN_STOP = client_rect(MAIN_PANEL, 539, 5, 50, 20)
LEVEL_READOUTS = client_rect(OSCILLOSCOPE_GROUP, 4, 153, 81, 41)  # Rlevel and Llevel
# A strip of the generator box right of its caption that no child covers: it
# shows the box's own colour.
GENERATOR_CAPTION_STRIP = (GENERATOR_GROUP[0] + 150, GENERATOR_GROUP[1] + 5)
# Between MainPanel and the oscilloscope box: the window's own colour.
WINDOW_GAP = (597, 700)


def indicator_centre(name):
    """The middle of a check box's tick box or a radio button's circle."""
    left, top, _, height = SWITCHES[name]
    return (left + 6, top + height // 2)
