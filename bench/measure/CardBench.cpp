// SPDX-License-Identifier: GPL-3.0-or-later
// The card report's computation for its whole default run at 48 kHz and at
// 192 kHz (every analysis of every test, on captures of an ideal 24-bit loop
// prepared beforehand), beside what the run plays: the report ends with the
// seconds of signal, the seconds of computation and their ratio.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "measure/CardAnalyses.h"
#include "measure/CardFormat.h"

namespace {

constexpr std::size_t Delay = 480;

struct Prepared {
  std::vector<measure::TestSignal> Signals;
  std::vector<std::vector<double>> Left, Right;
  double Seconds = 0;
};

Prepared Prepare(double rate) {
  Prepared p;
  for (const measure::CardTest& test : measure::CardTests()) {
    p.Signals.push_back(test.Make(rate, -1));
    const auto& s = p.Signals.back();
    p.Seconds += double(s.Left.size()) / rate;
    for (const bool left : {true, false}) {
      auto captured = measure::Dither(left ? s.Left : s.Right, measure::SampleFormat::S24);
      captured.insert(captured.begin(), Delay, 0.0);
      (left ? p.Left : p.Right).push_back(std::move(captured));
    }
  }
  return p;
}

std::map<double, double> signalSeconds;

void WholeRun(benchmark::State& state) {
  const double rate = double(state.range(0));
  const Prepared p = Prepare(rate);
  signalSeconds[rate] = p.Seconds;
  for (auto _ : state) {
    double latency = 0;
    for (std::size_t i = 0; i < p.Signals.size(); ++i) {
      const measure::Capture capture{p.Left[i], p.Right[i], rate, latency};
      const measure::Section s = measure::CardTests()[i].Analyse(capture, p.Signals[i]);
      if (const auto found = measure::LatencyFrames(s)) latency = *found;
      benchmark::DoNotOptimize(s);
    }
  }
  state.counters["signal_s"] = p.Seconds;
}
BENCHMARK(WholeRun)->Arg(48000)->Arg(192000)->Unit(benchmark::kMillisecond);

class Summary : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      // The median, when repetitions are asked for, comes last and stays.
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
        computation_[run.run_name.str()] = run.GetAdjustedCPUTime() / 1000.0;
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [rate, seconds] : signalSeconds) {
      const std::string name = "WholeRun/" + std::to_string(int(rate));
      const auto found = computation_.find(name);
      if (found == computation_.end()) continue;
      std::printf("%.0f Hz: %.1f s of signal, %.3f s of computation, ratio %.4f\n", rate, seconds,
                  found->second, found->second / seconds);
    }
  }

private:
  std::map<std::string, double> computation_;
};

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Summary summary;
  benchmark::RunSpecifiedBenchmarks(&summary);
  benchmark::Shutdown();
  return 0;
}
