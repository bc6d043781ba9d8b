// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one 250 ms output buffer and of a table rebuild, as a fraction of
// the buffer's duration, and against a baseline that takes a sine per sample.

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "generator/Random.h"
#include "generator/Synthesis.h"

namespace {

constexpr double BufferSeconds = 0.25;

// All four sources on at 25 %, each routed to both channels.
GenSources AllOn() {
  GenSources Sources;
  Sources.fill({true, 25, true, true});
  return Sources;
}

struct PlayingGenerator {
  PlayingGenerator() {
    AllocateGenTables(State);
    BuildTables(State, Sources);
    State.GenFreq = {1000, 1500, 0, 3000};
  }
  ~PlayingGenerator() { FreeGenTables(State); }
  GeneratorState State;
  GenSources Sources = AllOn();
  std::vector<int16_t> Block = std::vector<int16_t>(OutBlockSamples);
};

void BM_Synthesize(benchmark::State& Bench) {
  PlayingGenerator Generator;
  RandSeed = 1;
  for (auto _ : Bench) {
    Synthesize(Generator.State, Generator.Sources, Generator.Block.data());
    benchmark::DoNotOptimize(Generator.Block.data());
    benchmark::ClobberMemory();
  }
}

// The same mix with a sine taken per sample instead of a table read.
void BM_SinePerSampleBaseline(benchmark::State& Bench) {
  std::vector<int16_t> Block(OutBlockSamples);
  const double Amplitude = GenAmplitude({true, 25, true, true});
  const std::array<double, 4> Freq = {1000, 1500, 0, 3000};
  std::array<double, 4> Phase{};
  RandSeed = 1;
  for (auto _ : Bench) {
    for (int n = 0; n < OutBlockSamples; ++n) {
      uint32_t Sum = 0;
      for (int j = 0; j < 4; ++j) {
        Sum += static_cast<uint16_t>(std::lround(std::sin(Phase[j]) * Amplitude));
        Phase[j] += j == 2 ? Random(GenPhaseMask) * (2 * std::numbers::pi / (GenPhaseMask + 1.0))
                           : 2 * std::numbers::pi * Freq[j] / 96000;
        Phase[j] = std::fmod(Phase[j], 2 * std::numbers::pi);
      }
      Block[n] = static_cast<int16_t>(static_cast<uint16_t>(Sum));
    }
    benchmark::DoNotOptimize(Block.data());
    benchmark::ClobberMemory();
  }
}

void BM_BuildTablesAfterAChange(benchmark::State& Bench) {
  PlayingGenerator Generator;
  for (auto _ : Bench) {
    Generator.State.TablesValid = false;
    benchmark::DoNotOptimize(BuildTables(Generator.State, Generator.Sources));
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_Synthesize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SinePerSampleBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildTablesAfterAChange)->Unit(benchmark::kMicrosecond);

// After the usual table, prints each benchmark's CPU time per iteration as a
// fraction of one buffer's 250 ms and against the baseline of the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& Runs) override {
    ConsoleReporter::ReportRuns(Runs);
    for (const Run& R : Runs)
      if (R.run_type == Run::RT_Iteration && !R.error_occurred)
        CpuSeconds[R.benchmark_name()] =
            R.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(R.time_unit);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto Baseline = CpuSeconds.find("BM_SinePerSampleBaseline");
    std::ostream& Out = GetOutputStream();
    Out << "\nCPU time per iteration as a fraction of 250 ms, and against the baseline:\n";
    for (const auto& [Name, Seconds] : CpuSeconds) {
      char Line[160];
      std::snprintf(Line, sizeof Line, "%-28s %9.6f of a buffer", Name.c_str(),
                    Seconds / BufferSeconds);
      Out << Line;
      if (Baseline != CpuSeconds.end()) {
        std::snprintf(Line, sizeof Line, "   %8.4f x baseline", Seconds / Baseline->second);
        Out << Line;
      }
      Out << '\n';
    }
  }

private:
  std::map<std::string, double> CpuSeconds;
};

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  benchmark::Shutdown();
  return 0;
}
