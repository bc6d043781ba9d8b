// SPDX-License-Identifier: GPL-3.0-or-later
// The default run of the card report: which signal each test plays.
#include "measure/CardAnalyses.h"

namespace measure {

namespace {

// The sweep stays 5 dB below the THD level, so that a loop with a little gain
// does not clip it.
constexpr double SweepBelowLevelDb = 5.0;
constexpr double NoiseSeconds = 2.0;
constexpr double DynamicRangeDbfs = -60.0;
constexpr double LowestStepDbfs = -60.0, StepDb = 6.0;
constexpr double LowestStepHz = 20.0, HighestStepHz = 10000.0;
constexpr int FrequencyStepCount = 19; // two per octave
constexpr double ClockToneDbfs = -6.0, ClockSeconds = 10.0;

constexpr CardTest Tests[] = {
    {"response", "Frequency response and latency",
     [](double rate, double level) { return LogSweep(rate, level - SweepBelowLevelDb); },
     AnalyseResponse},
    {"noise", "Noise level", [](double rate, double) { return Silence(rate, NoiseSeconds); },
     AnalyseNoise},
    {"dynamic_range", "Dynamic range",
     [](double rate, double) { return Tone(rate, TestToneHz, DynamicRangeDbfs, SegmentSeconds); },
     AnalyseDynamicRange},
    {"thd", "THD and THD+N",
     [](double rate, double level) { return Tone(rate, TestToneHz, level, SegmentSeconds); },
     AnalyseThd},
    {"thdn_vs_level", "THD+N against level",
     [](double rate, double) { return LevelSteps(rate, TestToneHz, LowestStepDbfs, 0.0, StepDb); },
     AnalyseThdVsLevel},
    {"thd_vs_frequency", "THD against frequency",
     [](double rate, double level) {
       return FrequencySteps(rate, LowestStepHz, HighestStepHz, FrequencyStepCount, level);
     },
     AnalyseThdVsFrequency},
    {"imd_smpte", "IMD, SMPTE", [](double rate, double level) { return Smpte(rate, level); },
     AnalyseSmpte},
    {"imd_twin", "IMD, twin tone",
     [](double rate, double level) { return TwinTone(rate, 18000, 20000, level); },
     AnalyseTwinTone},
    {"imd_sweep", "IMD, swept twin tone",
     [](double rate, double level) { return SweepingTwinTone(rate, level); },
     AnalyseSweepingTwinTone},
    {"crosstalk", "Stereo crosstalk",
     [](double rate, double level) { return CrosstalkTones(rate, level); }, AnalyseCrosstalk},
    {"clock", "Sample-clock offset",
     [](double rate, double) { return Tone(rate, TestToneHz, ClockToneDbfs, ClockSeconds); },
     AnalyseClock},
};

} // namespace

std::span<const CardTest> CardTests() {
  return Tests;
}

} // namespace measure
