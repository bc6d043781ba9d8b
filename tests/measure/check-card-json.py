#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a card report's JSON on standard input: every test of the default
run is there and ran, every figure has a unit and conditions, the simulated
card's latency (480 frames, and its filters' fraction) and flat 1 kHz level are read back, a figure that
does not exist is null, and every curve's lines hold as many x as y."""
import json
import sys

report = json.load(sys.stdin)
tests = {t["key"]: t for t in report["tests"]}
expected = ["response", "noise", "dynamic_range", "thd", "thdn_vs_level", "thd_vs_frequency",
            "imd_smpte", "imd_twin", "imd_sweep", "crosstalk", "clock"]
assert list(tests) == expected, list(tests)
for test in tests.values():
    assert test["ran"], test["key"]
    for figure in test["figures"]:
        assert figure["unit"] and figure["conditions"], figure
    for curve in test["curves"]:
        for line in curve["lines"]:
            assert len(line["x"]) == len(line["y"]) > 0, curve["key"]
figures = {f["key"]: f for t in tests.values() for f in t["figures"]}
assert abs(figures["latency_frames"]["left"] - 480) < 1, figures["latency_frames"]
assert abs(figures["level_1khz_db"]["right"]) < 0.01, figures["level_1khz_db"]
assert figures["deviation_wide_above_db"]["left"] is None, "no band beyond 20 kHz at 48 kHz"
assert isinstance(figures["balance_db"]["value"], float), figures["balance_db"]
print("card report JSON complete:", len(figures), "figures")
