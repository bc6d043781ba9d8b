// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The card report's analyses: each takes the capture of its own test signal
// and gives that test's section of the report, every figure per channel with
// its conditions. Plain C++; any thread may call them.
//
// Levels: tones in dBFS of their peak (a full-scale sine is 0 dBFS), noise and
// spurious tones in dBFS RMS against full scale (a full-scale sine reads
// -3.01 dBFS). Ratios (THD, IMD, crosstalk) in dB of power and in % of
// amplitude. The band is 20 Hz to BandTopHz(rate).

#include <optional>
#include <span>

#include "measure/CardResults.h"
#include "measure/CardSignals.h"

namespace measure {

// Both channels as captured, full scale 1.0. Frame LatencyFrames of the
// capture holds the signal's first frame as it came back through the loop.
struct Capture {
  std::span<const double> Left, Right;
  double Rate = 48000;
  double LatencyFrames = 0;
};

// The frames of one segment as they came back, less a guard at either end
// (0.1 s, or a fifth of a short segment) for the path's settling and a latency
// known only roughly; empty where the capture ends too soon.
std::span<const double> Middle(std::span<const double> channel, const Segment& segment,
                               const Capture& capture);

// Frequency response and latency from the sweep: the capture deconvolved by
// the sweep into the impulse response, the response read from it.
Section AnalyseResponse(const Capture& capture, const TestSignal& sweep);
// The round-trip latency the response found (the left channel's, else the
// right's), in frames, for aligning the captures of the other tests.
std::optional<double> LatencyFrames(const Section& response);

Section AnalyseNoise(const Capture& capture, const TestSignal& silence);
Section AnalyseDynamicRange(const Capture& capture, const TestSignal& tone);
Section AnalyseThd(const Capture& capture, const TestSignal& tone);
Section AnalyseThdVsLevel(const Capture& capture, const TestSignal& steps);
Section AnalyseThdVsFrequency(const Capture& capture, const TestSignal& steps);
Section AnalyseSmpte(const Capture& capture, const TestSignal& pair);
Section AnalyseTwinTone(const Capture& capture, const TestSignal& pair);
Section AnalyseSweepingTwinTone(const Capture& capture, const TestSignal& pairs);
Section AnalyseCrosstalk(const Capture& capture, const TestSignal& tones);
Section AnalyseClock(const Capture& capture, const TestSignal& longTone);

// The default run: each test's key, title, signal and analysis, in the order
// they run. The level is the THD test's (-1 dBFS unless the user asks).
struct CardTest {
  const char* Key;
  const char* Title;
  TestSignal (*Make)(double rate, double levelDbfs);
  Section (*Analyse)(const Capture& capture, const TestSignal& signal);
};
std::span<const CardTest> CardTests();

} // namespace measure
