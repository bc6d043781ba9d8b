// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The card report's test signals, in double precision (full scale 1.0), before
// the dither to the stream's format. Each signal is a row of segments, and each
// segment says what it holds, so that the analysis knows where to look in the
// capture and what to look for.

#include <cstddef>
#include <vector>

namespace measure {

// Which channels a segment drives.
enum class Drive { Both, LeftOnly, RightOnly };

struct Segment {
  std::size_t Start = 0, Frames = 0; // frames from the signal's first frame
  double Hz = 0, Hz2 = 0;            // its tone and second tone (0: none); a sweep's ends
  double Dbfs = 0;                   // peak level of the whole segment
  Drive To = Drive::Both;
};

struct TestSignal {
  double Rate = 48000;
  std::vector<double> Left, Right;
  std::vector<Segment> Segments;
};

// The top of the band the figures cover: 20 kHz up to 48 kHz, 0.45 x the rate above.
double BandTopHz(double rate);

// The ends of the logarithmic sweep: 10 Hz to 0.48 x the rate.
constexpr double SweepStartHz = 10.0;
constexpr double SweepEndShare = 0.48;
constexpr double SweepSeconds = 4.0;
// The tone of the dynamic-range, THD and level tests.
constexpr double TestToneHz = 997.0;
// SMPTE: 60 Hz and 7 kHz, amplitudes 4 : 1.
constexpr double SmpteLowHz = 60.0, SmpteHighHz = 7000.0, SmpteRatio = 4.0;
// The lower tone of a twin tone, as a share of the upper: 18 kHz to 20 kHz.
constexpr double TwinShare = 0.9;

// Unless a test needs more, a segment lasts this long.
constexpr double SegmentSeconds = 1.0;

// The logarithmic sweep from SweepStartHz to SweepEndShare x rate over
// SweepSeconds, faded in and out over 10 ms, then a second of silence for the
// path's latency and the response's decay. Both channels.
TestSignal LogSweep(double rate, double dbfs);

TestSignal Silence(double rate, double seconds);

// One tone on the channels asked.
TestSignal Tone(double rate, double hz, double dbfs, double seconds, Drive to = Drive::Both);

// Tones at fromDbfs, fromDbfs + stepDb, ... up to toDbfs, one segment each.
TestSignal LevelSteps(double rate, double hz, double fromDbfs, double toDbfs, double stepDb);

// `count` tones from fromHz to toHz, evenly spaced on a logarithmic axis, each
// long enough for its second harmonic to stand clear of it.
TestSignal FrequencySteps(double rate, double fromHz, double toHz, int count, double dbfs);

// SMPTE intermodulation: 60 Hz and 7 kHz at 4 : 1, peaking together at dbfs.
TestSignal Smpte(double rate, double dbfs);

// Two tones of equal amplitude, peaking together at dbfs.
TestSignal TwinTone(double rate, double hz, double hz2, double dbfs);

// The twin tone swept: upper tone in third octaves about 10 kHz, from 2 kHz to
// the band's top, the lower at TwinShare of it; one segment each.
TestSignal SweepingTwinTone(double rate, double dbfs);

// One channel at a time: left alone at 100 Hz, 1 kHz, 10 kHz, then right alone.
TestSignal CrosstalkTones(double rate, double dbfs);

} // namespace measure
