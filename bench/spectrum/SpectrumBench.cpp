// SPDX-License-Identifier: GPL-3.0-or-later
// SpectrumFFT for N = 2048 in every scale mode, with and without window and peak
// filter, beside a baseline: FFTW's real-to-complex transform (plan made once)
// followed by the same magnitudes, scaling, peak search and filter. The run ends
// with the ratio ours / baseline for each configuration.
#include "spectrum/SpectrumLibrary.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fftw3.h>

namespace {

constexpr uint16_t N = 2048;
constexpr uint16_t Bits = 11;
constexpr std::size_t Bins = N / 2 + 1;
const char* const ModeNames[] = {"Log", "Sqrt", "Linear", "Raw"};

// A tone between bins over noise: every bin carries something.
std::vector<int16_t> TestBlock() {
  std::mt19937 generator(1);
  std::uniform_int_distribution<int> noise(-300, 300);
  std::vector<int16_t> block(N);
  for (std::size_t i = 0; i < N; ++i)
    block[i] = static_cast<int16_t>(
        20000.0 * std::sin(2.0 * std::numbers::pi * 217.3 * double(i) / N) + noise(generator));
  return block;
}

struct Config {
  uint8_t mode;
  bool window;
  bool filter;
  std::string Name() const {
    return std::string(ModeNames[mode]) + (window ? "/window" : "/taper") +
           (filter ? "/filter" : "/plain");
  }
};

void Ours(benchmark::State& state, Config c) {
  BuildWindow(WindowBlackmanNuttall, N);
  const auto block = TestBlock();
  std::vector<double> values(Bins);
  uint16_t peakBin = 0;
  for (auto _ : state) {
    SpectrumFFT(N, Bits, block.data(), values.data(), peakBin, c.mode, 1.5, 20301, c.filter, false,
                c.window);
    benchmark::DoNotOptimize(values.data());
    benchmark::DoNotOptimize(peakBin);
    benchmark::ClobberMemory();
  }
}

// The baseline's work after the transform, written as plainly as ours.
void ScaleAndFilter(const double* m, double* values, Config c, double gain) {
  switch (c.mode) {
  case ScaleLog:
    for (std::size_t k = 0; k < Bins; ++k)
      values[k] = std::log10(m[k] / 2000.0 + 1.0) * gain * 1000.0;
    break;
  case ScaleSqrt:
    for (std::size_t k = 0; k < Bins; ++k)
      values[k] = std::sqrt(m[k]) * gain * 3.0;
    break;
  case ScaleLinear: {
    const double gain2 = gain * gain;
    for (std::size_t k = 0; k < Bins; ++k)
      values[k] = gain2 * m[k] / 2000.0;
    break;
  }
  default:
    for (std::size_t k = 0; k < Bins; ++k)
      values[k] = m[k];
  }
  if (!c.filter) return;
  const std::size_t h = N / 2;
  for (std::size_t t = 0; t + 2 <= h; ++t) {
    const std::size_t k = t + 1;
    if (values[k] > values[k - 1]) values[k - 1] = values[k - 1] / 100.0;
    const std::size_t j = h - 1 - t;
    if (values[j] > values[j + 1]) values[j + 1] = values[j + 1] / 100.0;
  }
}

void Baseline(benchmark::State& state, Config c) {
  BuildWindow(WindowBlackmanNuttall, N);
  const auto block = TestBlock();
  // The taper as a table, the same factors SpectrumFFT applies.
  std::vector<double> taper(N);
  double r = 0.0, q = 1.025;
  for (std::size_t i = 0; i < N; ++i) {
    double& f = i <= N / 2 ? r : q;
    taper[i] = f * f * f * f;
    f += i <= N / 2 ? 0.001 : -0.001;
  }
  const double* factor = c.window ? WindowTable().data() : taper.data();
  // The taper feeds the sample into both parts: magnitudes gain the square root of 2.
  const double both = c.window ? 1.0 : 2.0;
  double* in = fftw_alloc_real(N);
  fftw_complex* out = fftw_alloc_complex(Bins);
  const fftw_plan plan = fftw_plan_dft_r2c_1d(N, in, out, FFTW_MEASURE);
  std::vector<double> magnitude(Bins), values(Bins);
  uint16_t peakBin = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < N; ++i)
      in[i] = block[i] * factor[i];
    fftw_execute(plan);
    double maximum = 0.0;
    for (std::size_t k = 0; k < Bins; ++k) {
      const double m = std::sqrt(both * (out[k][0] * out[k][0] + out[k][1] * out[k][1]));
      magnitude[k] = m;
      if (m > maximum) {
        maximum = m;
        peakBin = static_cast<uint16_t>(k);
      }
    }
    ScaleAndFilter(magnitude.data(), values.data(), c, 1.5);
    benchmark::DoNotOptimize(values.data());
    benchmark::DoNotOptimize(peakBin);
    benchmark::ClobberMemory();
  }
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
}

// Prints the usual table, then ours / baseline per configuration (CPU time, the
// median when repetitions are asked for).
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration && !medians_.count(name))
        times_[name] = run.GetAdjustedCPUTime();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        times_[name] = run.GetAdjustedCPUTime();
        medians_.insert(name);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-24s %12s %12s %8s\n", "configuration", "ours ns", "FFTW ns", "ratio");
    for (const auto& [name, ours] : times_) {
      if (name.rfind("Ours/", 0) != 0) continue;
      const std::string config = name.substr(5);
      const auto baseline = times_.find("FFTW/" + config);
      if (baseline == times_.end()) continue;
      std::printf("%-24s %12.0f %12.0f %8.2f\n", config.c_str(), ours, baseline->second,
                  ours / baseline->second);
    }
  }

private:
  std::map<std::string, double> times_;
  std::set<std::string> medians_;
};

} // namespace

int main(int argc, char** argv) {
  for (uint8_t mode = ScaleLog; mode <= ScaleRaw; ++mode)
    for (bool window : {true, false})
      for (bool filter : {false, true}) {
        const Config c{mode, window, filter};
        benchmark::RegisterBenchmark(("Ours/" + c.Name()).c_str(), Ours, c);
        benchmark::RegisterBenchmark(("FFTW/" + c.Name()).c_str(), Baseline, c);
      }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
