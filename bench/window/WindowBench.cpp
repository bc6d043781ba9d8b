// Cost of handling one captured block in the window, as a fraction of the
// block's 42.67 ms and against a baseline that only copies the block and finds
// its peaks. The window has the LED meters, the level readouts and the status
// refresh on and no channel ticked, so no view draws. Blocks come from the
// in-process device, as in the window tests.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/Main.h"
#include "platform/MessageBox.h"
#include "platform/WindowStyle.h"
#include "tests/support/FakeWaveAudio.h"
#include "tests/support/OffscreenEnvironment.h"

namespace {

constexpr double BlockSeconds = 2048.0 / 48000.0;

// Message boxes the window showed; any one spoils the measurement.
int MessagesShown = 0;

// Eight blocks of different loudness, so that the meters and readouts change
// with every block.
std::vector<std::vector<int16_t>> TestBlocks() {
  std::vector<std::vector<int16_t>> blocks;
  for (int i = 0; i < 8; ++i)
    blocks.push_back(FakeWaveAudio::SquareBlock(static_cast<int16_t>(3000 * (i + 1)),
                                                static_cast<int16_t>(24000 - 2500 * i)));
  return blocks;
}

// A shown window recording from the in-process device with meters and
// readouts on.
struct CapturingWindow {
  CapturingWindow() {
    form->Led->SetChecked(true);
    form->ShowLevels->SetChecked(true);
    form->show();
    QCoreApplication::processEvents();
  }
  bool Healthy() const {
    return MessagesShown == 0 && form->Capture.Recording &&
           audio->QueuedInBuffers() == CaptureStream::BufferCount;
  }
  FakeWaveAudio* audio = new FakeWaveAudio; // owned by form
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(std::unique_ptr<WaveAudio>(audio));
};

// The device fills the head buffer and posts its notification; the window
// handles it and hands the buffer back.
void BM_WimData(benchmark::State& bench) {
  CapturingWindow w;
  const auto blocks = TestBlocks();
  size_t next = 0;
  for (auto _ : bench) {
    w.audio->DeliverBlock(blocks[next++ % blocks.size()]);
    QCoreApplication::sendPostedEvents(w.form.get(), DeviceEventType(MM_WIM_DATA));
  }
  if (!w.Healthy()) bench.SkipWithError("the capture stream did not keep circulating");
}

// The same, followed by everything else the loop does for a block: repainting
// the meters and readouts that changed.
void BM_WimDataAndRepaint(benchmark::State& bench) {
  CapturingWindow w;
  const auto blocks = TestBlocks();
  size_t next = 0;
  for (auto _ : bench) {
    w.audio->DeliverBlock(blocks[next++ % blocks.size()]);
    QCoreApplication::processEvents();
  }
  if (!w.Healthy()) bench.SkipWithError("the capture stream did not keep circulating");
}

// The least any handler must do: copy the block in, split it into the two rows
// and find each channel's peak.
void BM_CopyAndPeakBaseline(benchmark::State& bench) {
  const auto blocks = TestBlocks();
  alignas(8) std::array<char, CaptureStream::BufferBytes> buffer{};
  SampleBlock samples;
  size_t next = 0;
  for (auto _ : bench) {
    std::memcpy(buffer.data(), blocks[next++ % blocks.size()].data(), buffer.size());
    int32_t peakL = 0, peakR = 0;
    for (int frame = 0; frame < SampleBlock::Frames; ++frame) {
      int16_t pair[2];
      std::memcpy(pair, buffer.data() + 4 * frame, sizeof pair);
      samples.Left()[frame] = pair[0];
      samples.Right()[frame] = pair[1];
      peakL = std::max(peakL, std::abs(static_cast<int32_t>(pair[0])));
      peakR = std::max(peakR, std::abs(static_cast<int32_t>(pair[1])));
    }
    benchmark::DoNotOptimize(peakL);
    benchmark::DoNotOptimize(peakR);
    benchmark::DoNotOptimize(samples.Rows.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_WimData)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WimDataAndRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyAndPeakBaseline)->Unit(benchmark::kMicrosecond);

// After the usual table, prints each benchmark's CPU time per block as a
// fraction of the block period and against the baseline of the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        cpuSeconds_[run.benchmark_name()] =
            run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto baseline = cpuSeconds_.find("BM_CopyAndPeakBaseline");
    std::ostream& out = GetOutputStream();
    out << "\nCPU time per block as a fraction of 42.67 ms, and against the baseline:\n";
    for (const auto& [name, seconds] : cpuSeconds_) {
      char line[160];
      std::snprintf(line, sizeof line, "%-24s %9.6f of a block", name.c_str(),
                    seconds / BlockSeconds);
      out << line;
      if (baseline != cpuSeconds_.end()) {
        std::snprintf(line, sizeof line, "   %9.2f x baseline", seconds / baseline->second);
        out << line;
      }
      out << '\n';
    }
  }

private:
  std::map<std::string, double> cpuSeconds_;
};

} // namespace

int main(int argc, char** argv) {
  // Never the user's settings, runtime folder or display: a private folder
  // and an offscreen screen wide enough for the window.
  QTemporaryDir home(QDir::tempPath() + QStringLiteral("/veltrano-bench-XXXXXX"));
  if (!home.isValid()) return 1;
  if (!PrepareOffscreenEnvironment(home.path(), 1280, 1024)) return 1;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Veltrano"));
  QApplication::setOrganizationName(QStringLiteral("Zenko"));
  InstallWindowStyle();
  SetMessageBoxHook([](const QString& text, const QString&) {
    ++MessagesShown;
    std::fprintf(stderr, "message box: %s\n", qPrintable(text));
  });

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
