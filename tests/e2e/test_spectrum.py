# SPDX-License-Identifier: GPL-3.0-or-later
"""The Spectrum window in the real program: F3 opens it, a tone played into
the private server and stopped stays at its level in the peak column of the
trace that Ctrl+E saves there, and is gone from the current column; the window
is remembered open in the settings file."""

import csv
import math
import time

import picture
import sound
from session import check, log, main

LEFT_DBFS = 20 * math.log10(16384 / 32768)  # -6.02
RIGHT_DBFS = 20 * math.log10(3277 / 32768)  # -20.00


def level_near(rows, column, frequency, bins=3):
    """The highest level of a column within a few bins of a frequency; None
    where every cell is empty (no level at all)."""
    step = float(rows[1]["frequency_hz"]) - float(rows[0]["frequency_hz"])
    levels = [float(row[column]) for row in rows
              if abs(float(row["frequency_hz"]) - frequency) <= bins * step and row[column]]
    return max(levels) if levels else None


def test(session):
    # Both channels on; the flat-top window reads the tone's level in its highest bin.
    session.start_with_settings({"CB31": 1, "CB32": 1, "SWF": 5})
    session.key("F3")
    spectrum = session.wait_window("^Spectrum$")
    tone = session.tmp / "tone.raw"
    sound.write_tone(tone, 1000, 16384, 3277, 6)
    player = session.keep(sound.Player(tone, session.env()))
    time.sleep(2.5)
    session.screenshot("playing", window=spectrum)
    player.stop()
    # A 16384-point transform is a third of a second long.
    time.sleep(1.5)
    session.focus(spectrum)
    session.key("ctrl+e")
    path = session.out / "trace.csv"  # kept for a look when the test fails
    picture.save_as(session, session.wait_window("^Save Trace$"), path)
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    header = list(rows[0].keys())
    log("columns: %s" % header)
    check(header[:5] == ["frequency_hz", "left_current_dBFS", "left_average_dBFS",
                         "left_peak_dBFS", "left_min_dBFS"], "columns %s" % header)
    # A flat-top window reads a tone cut off mid-transform up to 0.3 dB high.
    for side, expected in (("left", LEFT_DBFS), ("right", RIGHT_DBFS)):
        peak = level_near(rows, side + "_peak_dBFS", 1000)
        current = level_near(rows, side + "_current_dBFS", 1000)
        log("%s at 1 kHz: peak %s dBFS, current %s dBFS" % (side, peak, current))
        check(peak is not None and abs(peak - expected) < 0.4,
              "%s peak reads %s dBFS, expected %.2f" % (side, peak, expected))
        check(current is None or current < expected - 60,
              "%s current still reads %s dBFS" % (side, current))
    session.screenshot("stopped", window=spectrum)
    check(session.close_window() == 0, "the program did not end cleanly")
    values = session.read_settings()
    check(values.get("SWO") == "1" and values.get("SWF") == "5",
          "the window's values were not kept: %s" % values)


if __name__ == "__main__":
    main(test)
