// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of handling one captured block in the window, as a fraction of the
// block's 42.67 ms and against a baseline measured in the same run. Without a
// channel ticked no view draws, and the baseline only copies the block and
// finds its peaks. With both channels, the spectrogram (colour, speed 9), the
// oscilloscope (both traces, Sync) and the frequency counter drawing, the
// baseline is the least any such view could do: two FFTW real transforms of
// 2048 points and the pixels of the display's 9 new columns. Blocks come from
// the in-process device, as in the window tests; a counting allocator shows
// what each block allocates.
//
// What this does not see: the repaint that Qt or the X server does after the
// handler, the requests to the X server and the server's own work, the event
// loop's wake-ups, and the audio thread. scripts/measure-cpu.py measures those,
// the program and the X server together against a bare scrolling client.

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numbers>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "app/Main.h"
#include "platform/MessageBox.h"
#include "platform/WindowStyle.h"
#include "tests/support/FakeWaveAudio.h"
#include "tests/support/OffscreenEnvironment.h"

// Every allocation of the process, counted: malloc and its kin are replaced
// here, so the toolkit's strings, images and events are counted as well as
// operator new, which allocates through malloc.
std::atomic<long> Allocations{0};

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void __libc_free(void* p);

void* malloc(std::size_t size) noexcept {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}
void free(void* p) noexcept {
  __libc_free(p);
}
}

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

// Eight blocks of sines a little apart in frequency and level per channel, so
// that the spectrogram's column and the triggered traces change every block.
std::vector<std::vector<int16_t>> ToneBlocks() {
  std::vector<std::vector<int16_t>> blocks;
  for (int i = 0; i < 8; ++i) {
    std::vector<int16_t> block(2 * SampleBlock::Frames);
    for (int f = 0; f < SampleBlock::Frames; ++f) {
      const double t = 2 * std::numbers::pi * f / 48000;
      block[static_cast<size_t>(2 * f)] =
          static_cast<int16_t>(std::lround((8000 + 2000 * i) * std::sin(1000.0 * (i + 1) * t)));
      block[static_cast<size_t>(2 * f + 1)] =
          static_cast<int16_t>(std::lround((25000 - 2000 * i) * std::sin(440.0 * (i + 3) * t)));
    }
    blocks.push_back(std::move(block));
  }
  return blocks;
}

// A shown window recording from the in-process device with meters and
// readouts on, and with views when asked.
struct CapturingWindow {
  explicit CapturingWindow(bool views = false) {
    form->Led->SetChecked(true);
    form->ShowLevels->SetChecked(true);
    if (views) {
      for (CheckBox* box :
           {form->RCnl, form->LCnl, form->ColorBox, form->Scope, form->Sync, form->AutoFrqCount})
        box->SetChecked(true);
      form->Speed->SetPosition(9);
      // The design's X scale, and a Y scale that fits a full-scale sine.
      form->ScopeXW->SetPosition(25);
      form->ScopeYW->SetPosition(-181);
    }
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

// Hands blocks to the window's handler alone, as the device's notifications
// arrive. A send for one receiver and type leaves the delivered entries in
// Qt's queue, which only a full send clears, as the event loop's does every
// time; left there, every later send would walk them all. So every 64 blocks
// one full send clears them (and repaints), outside the timing and the count
// of allocations.
class BlockFeeder {
public:
  BlockFeeder(CapturingWindow& window, std::vector<std::vector<int16_t>> blocks)
      : window_(window), blocks_(std::move(blocks)) {}

  void Handle(benchmark::State* bench = nullptr) {
    window_.audio->DeliverBlock(blocks_[next_++ % blocks_.size()]);
    QCoreApplication::sendPostedEvents(window_.form.get(), DeviceEventType(MM_WIM_DATA));
    if (next_ % 64 != 0) return;
    if (bench != nullptr) bench->PauseTiming();
    const long before = Allocations.load();
    QCoreApplication::sendPostedEvents();
    untimedAllocations_ += Allocations.load() - before;
    if (bench != nullptr) bench->ResumeTiming();
  }
  // The block followed by the whole event loop, with the repaints it asked for.
  void HandleWithRepaint() {
    window_.audio->DeliverBlock(blocks_[next_++ % blocks_.size()]);
    QCoreApplication::processEvents();
  }
  // Allocations since the last call, without those of the clearing sends.
  double AllocationsPerBlock(const benchmark::State& bench) {
    return double(Allocations.load() - start_ - untimedAllocations_) /
           double(std::max<int64_t>(bench.iterations(), 1));
  }
  void StartCounting() {
    start_ = Allocations.load();
    untimedAllocations_ = 0;
  }

private:
  CapturingWindow& window_;
  std::vector<std::vector<int16_t>> blocks_;
  size_t next_ = 0;
  long start_ = 0, untimedAllocations_ = 0;
};

// The device fills the head buffer and posts its notification; the window
// handles it and hands the buffer back. With repaint, the whole event loop
// runs for each block, with the repaints the block asked for. With the views
// on, the allocations per block are counted after a warm-up.
void HandleBlocks(benchmark::State& bench, bool views, bool repaint) {
  CapturingWindow w(views);
  BlockFeeder feeder(w, views ? ToneBlocks() : TestBlocks());
  const auto handle = [&](benchmark::State* timed) {
    if (repaint)
      feeder.HandleWithRepaint();
    else
      feeder.Handle(timed);
  };
  if (views)
    for (int i = 0; i < 16; ++i)
      handle(nullptr);
  feeder.StartCounting();
  for (auto _ : bench)
    handle(&bench);
  if (views) bench.counters["allocs/block"] = feeder.AllocationsPerBlock(bench);
  if (!w.Healthy()) bench.SkipWithError("the capture stream did not keep circulating");
}

void BM_WimData(benchmark::State& bench) {
  HandleBlocks(bench, false, false);
}
void BM_WimDataAndRepaint(benchmark::State& bench) {
  HandleBlocks(bench, false, true);
}
// With the spectrogram and the oscilloscope drawing.
void BM_WimDataWithViews(benchmark::State& bench) {
  HandleBlocks(bench, true, false);
}
void BM_WimDataWithViewsAndRepaint(benchmark::State& bench) {
  HandleBlocks(bench, true, true);
}

// The two views alone, on the block in the window, and what they allocate.
void BM_ViewsOnly(benchmark::State& bench) {
  CapturingWindow w(true);
  BlockFeeder(w, ToneBlocks()).Handle();
  w.form->DrawScope();
  w.form->DrawSpectrogram();
  const long before = Allocations.load();
  for (auto _ : bench) {
    w.form->DrawScope();
    w.form->DrawSpectrogram();
  }
  bench.counters["allocs/block"] =
      double(Allocations.load() - before) / double(std::max<int64_t>(bench.iterations(), 1));
}

// The floor under any spectrogram and oscilloscope: two real transforms of
// 2048 points with FFTW (plan made once), and the 9 new columns of the 1011 x
// 512 display coloured from the magnitudes, where a scroll that moves no
// pixels in memory puts them.
void BM_ViewsFloor(benchmark::State& bench) {
  constexpr int N = SampleBlock::Frames, Columns = 9;
  constexpr int Width = Geometry::Display.Width, Height = Geometry::Display.Height;
  double* in = fftw_alloc_real(N);
  fftw_complex* out = fftw_alloc_complex(N / 2 + 1);
  const fftw_plan plan = fftw_plan_dft_r2c_1d(N, in, out, FFTW_MEASURE);
  const auto blocks = ToneBlocks();
  std::array<QRgb, 256> colours{};
  for (size_t i = 0; i < colours.size(); ++i)
    colours[i] = qRgb(static_cast<int>(i), static_cast<int>(255 - i), 128);
  QImage display(Width, Height, QImage::Format_RGB32);
  display.fill(Qt::black);
  QRgb* const pixels = reinterpret_cast<QRgb*>(display.bits());
  const qsizetype stride = display.bytesPerLine() / qsizetype{sizeof(QRgb)};
  size_t next = 0;
  int column = 0;
  for (auto _ : bench) {
    const auto& block = blocks[next++ % blocks.size()];
    for (int channel = 0; channel < 2; ++channel) {
      for (int f = 0; f < N; ++f)
        in[f] = block[static_cast<size_t>(2 * f + channel)];
      fftw_execute(plan);
      // One channel's half of the rows, one bin per row.
      for (int row = 0; row < Height / 2; ++row) {
        const double magnitude = std::hypot(out[row][0], out[row][1]);
        const QRgb colour = colours[std::min<size_t>(255, static_cast<size_t>(magnitude / 4096))];
        QRgb* const line = pixels + (channel * Height / 2 + row) * stride;
        for (int x = 0; x < Columns; ++x)
          line[(column + x) % Width] = colour;
      }
    }
    column = (column + Columns) % Width;
    benchmark::DoNotOptimize(pixels);
    benchmark::ClobberMemory();
  }
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
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
BENCHMARK(BM_WimDataWithViews)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WimDataWithViewsAndRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewsOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ViewsFloor)->Unit(benchmark::kMicrosecond);

// The baseline each benchmark is set against.
std::string BaselineOf(const std::string& name) {
  if (name.find("Views") != std::string::npos) return "BM_ViewsFloor";
  return "BM_CopyAndPeakBaseline";
}

// After the usual table, prints each benchmark's CPU time per block as a
// fraction of the block period and against the baseline of the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  // Each benchmark's time, or its median when repetitions are asked for.
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const std::string name = run.run_name.function_name;
      const double seconds =
          run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (run.run_type == Run::RT_Iteration && !medians_.count(name)) cpuSeconds_[name] = seconds;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        cpuSeconds_[name] = seconds;
        medians_.insert(name);
      }
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    out << "\nCPU time per block as a fraction of 42.67 ms, and against its baseline:\n";
    for (const auto& [name, seconds] : cpuSeconds_) {
      char line[160];
      std::snprintf(line, sizeof line, "%-32s %9.6f of a block", name.c_str(),
                    seconds / BlockSeconds);
      out << line;
      const std::string baselineName = BaselineOf(name);
      const auto baseline = cpuSeconds_.find(baselineName);
      if (baseline != cpuSeconds_.end()) {
        std::snprintf(line, sizeof line, "   %9.2f x %s", seconds / baseline->second,
                      baselineName.c_str());
        out << line;
      }
      out << '\n';
    }
  }

private:
  std::map<std::string, double> cpuSeconds_;
  std::set<std::string> medians_;
};

} // namespace

int main(int argc, char** argv) {
  // Never the user's settings, runtime folder or display: a private folder
  // and an offscreen screen wide enough for the window.
  QTemporaryDir home(QDir::tempPath() + QStringLiteral("/veltrano-bench-XXXXXX"));
  if (!home.isValid()) return 1;
  if (!PrepareOffscreenEnvironment(home.path(), 1280, 1024)) return 1;
  // On X the window's picture of the spectrogram scrolls inside the X server;
  // the offscreen platform would move it in this process instead, within the
  // handler. Without that fast scroll the handler does what it does on X and
  // the scrolled area is repainted whole, as a repaint without the server's
  // help costs.
  qputenv("QT_NO_FAST_SCROLL", "1");

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
