// SPDX-License-Identifier: GPL-3.0-or-later
#include "generator/Synthesis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "generator/Random.h"
#include "generator/Rounding.h"

namespace {

constexpr int32_t FullScale = 32767;
constexpr long double PhaseTurn = 1073741824.0L;      // 2^30
constexpr long double PhaseStepsPerSecond = 96000.0L; // two interleaved samples per frame at 48 kHz

constexpr int32_t Rail = -32768;

// All ones for a source that is on and routed to the channel, else zero, so
// that the mix is an unconditional AND and add.
int32_t RouteMask(const GenSource& Source, bool Routed) {
  return Source.On && Routed ? -1 : 0;
}

} // namespace

void AllocateGenTables(GeneratorState& State) {
  auto* Block = new int16_t[4 * GenTableSize]();
  for (int j = 0; j < 4; ++j)
    State.GenTable[j] = Block + j * GenTableSize;
}

void FreeGenTables(GeneratorState& State) {
  delete[] State.GenTable[0];
  State.GenTable.fill(nullptr);
  State.TablesValid = false;
}

int32_t GenAmplitude(const GenSource& Source) {
  if (!Source.On) return 0;
  const int32_t Level = std::clamp(Source.Level, 0, 100);
  return static_cast<int32_t>(std::trunc(Level * 327.67L));
}

uint32_t PhaseIncrement(double Freq) {
  const long double Steps = RoundHalfEven(PhaseTurn * Freq / PhaseStepsPerSecond);
  return static_cast<uint32_t>(static_cast<int64_t>(Steps));
}

std::optional<GenOverflow> BuildTables(GeneratorState& State, const GenSources& Sources) {
  if (State.TablesValid) return std::nullopt;

  std::array<long double, 4> Amplitude{};
  int32_t Left = 0;
  int32_t Right = 0;
  for (int j = 0; j < 4; ++j) {
    const int32_t A = GenAmplitude(Sources[j]);
    Amplitude[j] = A;
    if (Sources[j].Left) Left += A;
    if (Sources[j].Right) Right += A;
  }

  constexpr long double StepAngle = 2.0L * std::numbers::pi_v<long double> / GenTableSize;
  for (int i = 0; i < GenTableSize; ++i) {
    const long double Sine = std::sin(i * StepAngle);
    for (int j = 0; j < 4; ++j)
      State.GenTable[j][i] = static_cast<int16_t>(RoundHalfEven(Sine * Amplitude[j]));
  }

  State.TablesValid = true;
  return Left > FullScale || Right > FullScale ? GenOverflow::Overflow : GenOverflow::None;
}

void Synthesize(GeneratorState& State, const GenSources& Sources, int16_t* Block) {
  std::array<uint32_t, 4> Inc{};
  for (int j = 0; j < 4; ++j)
    Inc[j] = PhaseIncrement(State.GenFreq[j]);

  std::array<int32_t, 4> LeftMask{};
  std::array<int32_t, 4> RightMask{};
  for (int j = 0; j < 4; ++j) {
    LeftMask[j] = RouteMask(Sources[j], Sources[j].Left);
    RightMask[j] = RouteMask(Sources[j], Sources[j].Right);
  }

  // A stretch at a time, one source after the other into the stretch's sums:
  // a source routed nowhere is not read at all, which leaves the caches to
  // the tables that are. Each value is read before its phase moves; the
  // noise moves by a random step, so its steps go on even unheard.
  constexpr int Stretch = 480; // even: a stretch starts on a left sample
  static_assert(OutBlockSamples % Stretch == 0);
  std::array<int32_t, Stretch> Sum;
  std::array<uint32_t, 4> Phase = State.GenPhase;
  uint32_t Seed = RandSeed;
  for (int Start = 0; Start < OutBlockSamples; Start += Stretch) {
    Sum.fill(0);
    for (int j = 0; j < 4; ++j) {
      const int32_t Mask[2] = {LeftMask[j], RightMask[j]};
      const int16_t* const Values = State.GenTable[j];
      uint32_t P = Phase[j];
      const auto Mix = [&](auto Step) {
        if ((Mask[0] | Mask[1]) == 0) {
          for (int i = 0; i < Stretch; ++i)
            P = (P + Step()) & GenPhaseMask;
          return;
        }
        for (int i = 0; i < Stretch; ++i) {
          Sum[i] += Values[(P & GenPhaseMask) >> GenPhaseShift] & Mask[i & 1];
          P = (P + Step()) & GenPhaseMask;
        }
      };
      if (j == 2)
        Mix([&Seed] { return RandomStep(Seed, GenPhaseMask); });
      else
        Mix([Step = Inc[j]] { return Step; });
      Phase[j] = P;
    }
    // An overloaded sum stays at the rail: wrapped around, it would send a
    // full-scale step of the opposite sign to the speaker.
    for (int i = 0; i < Stretch; ++i)
      Block[Start + i] = static_cast<int16_t>(std::clamp(Sum[i], Rail, FullScale));
  }

  State.GenPhase = Phase;
  RandSeed = Seed;
}
