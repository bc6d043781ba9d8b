// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring one second of stereo (a 1 kHz tone at -6 dBFS over dither, the
// self-test's signal) beside the baseline the display already pays for that
// second: SpectrumFFT on its 23 blocks of 2048 frames, both channels, with the
// program's default settings (Log scale, window). The run ends with the ratio
// measurement / baseline (CPU time; the median when repetitions are asked for).
#include "measure/Measure.h"
#include "spectrum/SpectrumLibrary.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

constexpr std::size_t Frames = 48000;
constexpr std::size_t Block = 2048;

std::vector<int16_t> Channel(double degrees, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> lsb(-0.5, 0.5);
  std::vector<int16_t> samples(Frames);
  for (std::size_t n = 0; n < Frames; ++n)
    samples[n] = static_cast<int16_t>(
        std::lround(16383.0 * std::sin(2 * std::numbers::pi * 1000.0 * double(n) / 48000.0 +
                                       degrees * std::numbers::pi / 180.0) +
                    lsb(random) + lsb(random)));
  return samples;
}

void Measurement(benchmark::State& state) {
  const auto left = Channel(0, 1), right = Channel(3, 2);
  for (auto _ : state) {
    measure::Figures figures = measure::MeasureStereo(left, right);
    benchmark::DoNotOptimize(figures);
  }
}

void Transforms(benchmark::State& state) {
  BuildWindow(WindowBlackmanNuttall, Block);
  const auto left = Channel(0, 1), right = Channel(3, 2);
  std::vector<double> values(Block / 2 + 1);
  uint16_t peakBin = 0;
  for (auto _ : state) {
    for (std::size_t start = 0; start + Block <= Frames; start += Block)
      for (const auto* channel : {&left, &right}) {
        SpectrumFFT(Block, 11, channel->data() + start, values.data(), peakBin, ScaleLog, 1.0,
                    16384, false, false, true);
        benchmark::DoNotOptimize(values.data());
      }
  }
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration ||
          (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median"))
        times_[run.run_name.function_name] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (times_.count("Measurement") && times_.count("Transforms"))
      std::printf("\nmeasurement / transforms of the same second: %.2f\n",
                  times_["Measurement"] / times_["Transforms"]);
  }

private:
  std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("Measurement", Measurement)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Transforms", Transforms)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
