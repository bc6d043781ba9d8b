// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MeasureCommand.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include "app/SignalHandling.h"
#include "app/Version.h"
#include "audio/StreamSession.h"
#include "audio/StreamState.h"
#include "audio/mmErrMsg.h"
#include "generator/Synthesis.h"
#include "measure/Measure.h"
#include "measure/Report.h"

namespace {

// The figures come from one transform of the whole span, held in memory at
// once: a minute takes about 200 MB.
constexpr double LongestSeconds = 60;
// The generator's levels are whole percent of full scale, 1..100.
constexpr double QuietestTone = -40, LoudestTone = 0;
// Input thrown away before measuring: the first blocks of a stream, and with a
// tone, the blocks until it has surely arrived.
constexpr int SettleBlocks = 2, ToneSettleBlocks = 10;
// How long a measurement waits for a block before it gives up, and the moment
// it gives blocks that may wait behind its timer.
constexpr int SpareMs = 5000, GraceMs = 1000;

// The generator's level (percent) nearest to a level in dBFS.
int32_t TonePercent(double dbfs) {
  return std::clamp<int32_t>(int32_t(std::lround(100.0 * std::pow(10.0, dbfs / 20.0))), 1, 100);
}

GenSources ToneSources(const MeasureOptions& o) {
  GenSources sources{};
  sources[0] = GenSource{true, TonePercent(o.LevelDb), o.Left, o.Right};
  return sources;
}

bool ReadNumber(const std::string& text, double low, double high, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(*value) && *value >= low && *value <= high;
}

// How often a capture with lost input in it is made again before giving up.
constexpr int Tries = 3;
// The tone waits this long ahead of the speaker, so that a program stopped
// for a while (a busy machine) does not let it run dry; the capture starts
// once the tone has come through.
constexpr uint32_t ToneHoldMs = 1000;
constexpr int ToneHoldBlocks = int(ToneHoldMs * 48 / 2048) + 1;

// The two devices and the samples, driven by the device notifications.
class Measurement : public QObject {
public:
  Measurement(WaveAudio& audio, const MeasureOptions& options)
      : session_(audio, this, SessionFormat{.OutputHoldMs = ToneHoldMs}), options_(options),
        frames_(std::size_t(options.Seconds * 48000)) {
    left_.reserve(frames_);
    right_.reserve(frames_);
    timeout_.setSingleShot(true);
    // A program that was stopped finds its timer run out and the blocks of
    // the meantime waiting behind it: they get a moment to come first.
    connect(&timeout_, &QTimer::timeout, this, [this] {
      if (std::exchange(graced_, true)) return (void)Fail("no input arrived in time");
      timeout_.start(GraceMs);
    });
  }
  ~Measurement() override {
    if (gen_.GenTable[0] != nullptr) FreeGenTables(gen_);
  }

  // Opens the input, and the output for a tone; false when the input cannot be opened.
  bool Start() {
    timeout_.start(SpareMs);
    if (const MMRESULT code = session_.OpenInput()) {
      return Fail(std::string("no input can be opened (is a sound server running?): ") +
                  MMErrorText(code));
    }
    std::array<WAVEHDR*, CaptureStream::BufferCount> headers{};
    for (std::size_t i = 0; i < inHeaders_.size(); ++i) {
      inHeaders_[i] = WAVEHDR{};
      inHeaders_[i].lpData = inBuffers_[i].data();
      inHeaders_[i].dwBufferLength = CaptureStream::BufferBytes;
      headers[i] = &inHeaders_[i];
    }
    const char* step = "";
    if (session_.StartInput(headers, &step) != 0)
      return Fail(std::string("the input refused the call ") + step);
    skip_ = SettleBlocks;
    if (options_.ToneHz > 0) {
      skip_ = ToneSettleBlocks + ToneHoldBlocks;
      waitingForTone_ = true;
      AllocateGenTables(gen_);
      BuildTables(gen_, ToneSources(options_));
      gen_.GenFreq[0] = options_.ToneHz;
      if (const MMRESULT code = session_.OpenOutput())
        return Fail(std::string("the tone's output cannot be opened: ") + MMErrorText(code));
    }
    return true;
  }

  // Both devices have closed (or never opened).
  bool Closed() const { return session_.Idle(); }
  const std::vector<int16_t>& Left() const { return left_; }
  const std::vector<int16_t>& Right() const { return right_; }
  // Input frames lost in the captures made again.
  uint64_t LostFrames() const { return lostFrames_; }
  // What the desktop does to the input's and the output's signal.
  std::vector<std::string> Path() const {
    std::vector<std::string> path = inPath_;
    path.insert(path.end(), outPath_.begin(), outPath_.end());
    return path;
  }

  // Ends early: the loop stops once both devices have closed.
  bool Fail(const std::string& why) {
    if (status_ < 0) std::fprintf(stderr, "veltrano: --measure: %s\n", why.c_str());
    Finish(1);
    return false;
  }

  bool event(QEvent* e) override {
    if (e->type() == PathEvent::Type()) {
      const auto* path = static_cast<PathEvent*>(e);
      (path->Input ? inPath_ : outPath_) = path->Findings;
      return true;
    }
    const auto* d = dynamic_cast<DeviceEvent*>(e);
    if (d == nullptr) return QObject::event(e);
    switch (session_.Take(*d)) {
    case StreamSession::Event::InputData:
      Captured(*d);
      break;
    case StreamSession::Event::OutputOpen:
      for (WAVEHDR& h : outHeaders_) {
        h = WAVEHDR{};
        h.lpData =
            reinterpret_cast<char*>(outBuffers_[std::size_t(&h - outHeaders_.data())].data());
        h.dwBufferLength = PlaybackStream::BufferBytes;
        h.dwLoops = 1;
        Play(&h);
      }
      break;
    case StreamSession::Event::OutputDone:
      waitingForTone_ = false;
      Play(d->Header);
      break;
    case StreamSession::Event::InputLost:
    case StreamSession::Event::OutputLost:
      Fail(std::string("the sound server went away: ") + MMErrorText(d->Code));
      break;
    default:
      break;
    }
    if (status_ >= 0 && session_.Idle()) QCoreApplication::exit(status_);
    return true;
  }

  // Lets both devices go; their closes end the loop.
  void Finish(int status) {
    if (status_ < 0) status_ = status;
    if (finishing_) return;
    finishing_ = true;
    timeout_.stop();
    session_.ReleaseInput();
    session_.ReleaseOutput();
    if (session_.Idle()) QCoreApplication::exit(status_);
  }

private:
  void Captured(const DeviceEvent& event) {
    if (finishing_) return;
    WAVEHDR& header = *event.Header;
    graced_ = false;
    timeout_.start(SpareMs);
    // Input lost before or inside this block: what was collected is no
    // measurement. The next blocks are collected again, from the start.
    if (event.Gap || event.LostFrames != 0) {
      lostFrames_ += event.LostFrames;
      const bool collecting = !waitingForTone_ && skip_ == 0;
      if (collecting && ++tries_ >= Tries)
        return (void)Fail("input was lost in each of " + std::to_string(Tries) + " tries");
      if (collecting)
        std::fprintf(stderr, "veltrano: --measure: input was lost; measuring again\n");
      left_.clear();
      right_.clear();
      // The tone, run dry meanwhile, comes through again first.
      skip_ = std::max(skip_, options_.ToneHz > 0 ? ToneSettleBlocks + ToneHoldBlocks : 1);
    }
    const auto* samples = reinterpret_cast<const int16_t*>(header.lpData);
    const std::size_t frames = header.dwBytesRecorded / 4;
    if (waitingForTone_ || skip_ > 0) {
      if (!waitingForTone_) --skip_;
    } else {
      for (std::size_t i = 0; i < frames && left_.size() < frames_; ++i) {
        left_.push_back(samples[2 * i]);
        right_.push_back(samples[2 * i + 1]);
      }
      if (left_.size() >= frames_) return Finish(0);
    }
    session_.Requeue(&header);
  }

  void Play(WAVEHDR* header) {
    if (finishing_ || session_.Output() == nullptr) return;
    Synthesize(gen_, ToneSources(options_), reinterpret_cast<int16_t*>(header->lpData));
    session_.Write(header);
  }

  StreamSession session_;
  const MeasureOptions& options_;
  const std::size_t frames_;
  QTimer timeout_; // runs out when no block came for SpareMs
  bool graced_ = false;
  std::array<WAVEHDR, CaptureStream::BufferCount> inHeaders_{};
  std::array<std::array<char, CaptureStream::BufferBytes>, CaptureStream::BufferCount> inBuffers_{};
  std::array<WAVEHDR, PlaybackStream::BufferCount> outHeaders_{};
  std::array<std::array<int16_t, OutBlockSamples>, PlaybackStream::BufferCount> outBuffers_{};
  GeneratorState gen_;
  std::vector<int16_t> left_, right_;
  std::vector<std::string> inPath_, outPath_;
  uint64_t lostFrames_ = 0;
  int tries_ = 0;
  int skip_ = 0;
  bool waitingForTone_ = false;
  bool finishing_ = false;
  int status_ = -1;
};

} // namespace

std::optional<MeasureOptions> ReadMeasureOptions(const CommandLine& line, std::string* error) {
  MeasureOptions o;
  o.Json = line.Json;
  o.Input = line.Input;
  o.Output = line.Output;
  const auto bad = [&](const char* option, const std::string& value, const char* allowed) {
    *error = std::string(option) + ": '" + value + "' is not " + allowed;
    return std::nullopt;
  };
  if (!ReadNumber(*line.Measure, 0.05, LongestSeconds, &o.Seconds))
    return bad("--measure", *line.Measure, "a number of seconds from 0.05 to 60");
  // Outside the band the figures do not hold.
  if (line.Tone &&
      !ReadNumber(*line.Tone, measure::LowestToneHz, measure::HighestToneHz, &o.ToneHz))
    return bad("--tone", *line.Tone, "a frequency from 10 to 23990 Hz");
  if (line.Level && !ReadNumber(*line.Level, QuietestTone, LoudestTone, &o.LevelDb))
    return bad("--level", *line.Level, "a level from -40 to 0 dBFS");
  if (line.To) {
    if (*line.To != "L" && *line.To != "R" && *line.To != "LR")
      return bad("--to", *line.To, "L, R or LR");
    o.Left = *line.To != "R";
    o.Right = *line.To != "L";
  }
  return o;
}

std::string MeasureHelpText() {
  return "--measure ends with status 0 when it measured, 1 when no input came (no server,\n"
         "no blocks), 2 for bad options. It needs no display and leaves the settings\n"
         "file alone. Tones are measured from 10 Hz to 23990 Hz (over 1 s or more; a\n"
         "shorter capture narrows the band, JSON \"band_hz\"). A figure that does not\n"
         "exist is JSON null, and in the table a word the notes under it explain.\n"
         "Per channel (JSON \"left\", \"right\"; \"valid\": false and \"found\" why when no\n"
         "tone was found in the band, and then only the two levels are given):\n"
         "  frequency_hz       the strongest tone's frequency, Hz (+-0.01 over 1 s)\n"
         "  rms_dbfs           RMS level, dBFS; a full-scale sine reads -3.01\n"
         "  peak_dbfs          largest sample, dBFS (0 = 32768)\n"
         "  thd_db, thd_percent      harmonics 2..10 below 24 kHz against the tone, each\n"
         "                     against the noise around it; null with thd_below_noise_db\n"
         "                     when the harmonics are below the noise (\"harmonics\": each\n"
         "                     one's level_db, or its below_noise_db bound)\n"
         "  thdn_db, thdn_percent    everything but the tone and DC against the tone\n"
         "  snr_db             the tone against the noise (all but tone, harmonics, DC)\n"
         "  noise_floor_dbfs   that noise's RMS over 0..24 kHz, dBFS\n"
         "  sfdr_db            the tone against the strongest tone that is no harmonic\n"
         "  spur_hz, spur_dbfs that tone's frequency and RMS level; second_tone: true\n"
         "                     when it lies within 30 dB of the tone\n"
         "Between the channels (JSON \"between\"; valid when both carry the same tone):\n"
         "  level_difference_db  left RMS minus right RMS, dB\n"
         "  phase_degrees      phase of left against right at the tone, degrees\n"
         "  delay_samples      delay of left behind right, samples (of a pure tone only\n"
         "                     within one period)\n";
}

int RunMeasure(int argc, char** argv, const MeasureOptions& options, int* stopSignal) {
  const QCoreApplication application(argc, argv);
  // The streams carry the same name, id, icon and version as the window's.
  QCoreApplication::setApplicationName(QStringLiteral("Veltrano"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VELTRANO_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(VELTRANO_APP_ID));
  std::unique_ptr<WaveAudio> audio = CreateSoundServerAudio("Veltrano");
  audio->ChooseDevice(true, options.Input);
  audio->ChooseDevice(false, options.Output);
  Measurement measurement(*audio, options);
  const StopSignalNotifier notifier([&](int signo) {
    *stopSignal = signo;
    measurement.Finish(1);
  });
  const bool started = measurement.Start();
  // A failed start closes what it opened: the loop runs until that is reported.
  const int status = measurement.Closed() ? 1 : QCoreApplication::exec();
  if (!started || status != 0 || *stopSignal != 0) return 1;

  const measure::Figures figures = measure::MeasureStereo(measurement.Left(), measurement.Right());
  measure::ReportContext context;
  context.Seconds = double(measurement.Left().size()) / 48000.0;
  context.LostFrames = measurement.LostFrames();
  context.Path = measurement.Path();
  if (options.ToneHz > 0) {
    context.ToneHz = options.ToneHz;
    context.ToneDbfs = 20.0 * std::log10(GenAmplitude(ToneSources(options)[0]) / 32768.0);
    context.ToneTo = options.Left && options.Right ? "LR" : options.Left ? "L" : "R";
  }
  const std::string text =
      options.Json ? measure::ReportJson(figures, context) : measure::ReportTable(figures, context);
  std::fputs(text.c_str(), stdout);
  return 0;
}
