#include "app/MeasureCommand.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <QCoreApplication>
#include <QTimer>

#include "app/SignalHandling.h"
#include "audio/StreamFormat.h"
#include "audio/StreamState.h"
#include "audio/mmErrMsg.h"
#include "generator/Synthesis.h"
#include "measure/Measure.h"
#include "measure/Report.h"

namespace {

constexpr double LongestSeconds = 3600;
// The generator's levels are whole percent of full scale, 1..100.
constexpr double QuietestTone = -40, LoudestTone = 0;
// Input thrown away before measuring: the first blocks of a stream, and with a
// tone, the blocks until it has surely arrived.
constexpr int SettleBlocks = 2, ToneSettleBlocks = 10;
// How long past the expected end a measurement waits for its blocks.
constexpr int SpareMs = 5000;

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

// The two devices and the samples, driven by the device notifications.
class Measurement : public QObject {
public:
  Measurement(WaveAudio& audio, const MeasureOptions& options)
      : audio_(audio), options_(options), frames_(std::size_t(options.Seconds * 48000)) {
    FillStreamFormat(format_);
    left_.reserve(frames_);
    right_.reserve(frames_);
  }
  ~Measurement() override {
    if (gen_.GenTable[0] != nullptr) FreeGenTables(gen_);
  }

  // Opens the input, and the output for a tone; false when the input cannot be opened.
  bool Start() {
    if (const MMRESULT code = audio_.WaveInOpen(&in_, 0, &format_, this, 0, CALLBACK_WINDOW)) {
      return Fail(std::string("no input can be opened (is a sound server running?): ") +
                  MMErrorText(code));
    }
    for (std::size_t i = 0; i < inHeaders_.size(); ++i) {
      inHeaders_[i] = WAVEHDR{};
      inHeaders_[i].lpData = inBuffers_[i].data();
      inHeaders_[i].dwBufferLength = CaptureStream::BufferBytes;
      if (audio_.WaveInPrepareHeader(in_, &inHeaders_[i], sizeof(WAVEHDR)) != 0 ||
          audio_.WaveInAddBuffer(in_, &inHeaders_[i], sizeof(WAVEHDR)) != 0)
        return Fail("the input refused a buffer");
    }
    if (audio_.WaveInStart(in_) != 0) return Fail("the input does not start");
    skip_ = SettleBlocks;
    if (options_.ToneHz > 0) {
      skip_ = ToneSettleBlocks;
      waitingForTone_ = true;
      AllocateGenTables(gen_);
      BuildTables(gen_, ToneSources(options_));
      gen_.GenFreq[0] = options_.ToneHz;
      if (const MMRESULT code = audio_.WaveOutOpen(&out_, 0, &format_, this, 0, CALLBACK_WINDOW)) {
        out_ = nullptr;
        return Fail(std::string("the tone's output cannot be opened: ") + MMErrorText(code));
      }
    }
    return true;
  }

  // Both devices have closed (or never opened).
  bool Closed() const { return in_ == nullptr && out_ == nullptr; }
  const std::vector<int16_t>& Left() const { return left_; }
  const std::vector<int16_t>& Right() const { return right_; }

  // Ends early: the loop stops once both devices have closed.
  bool Fail(const std::string& why) {
    if (status_ < 0) std::fprintf(stderr, "veltrano: --measure: %s\n", why.c_str());
    Finish(1);
    return false;
  }

  bool event(QEvent* e) override {
    const auto* d = dynamic_cast<DeviceEvent*>(e);
    if (d == nullptr) return QObject::event(e);
    switch (d->Message) {
    case MM_WIM_DATA:
      Captured(*d->Header);
      break;
    case MM_WOM_OPEN:
      for (WAVEHDR& h : outHeaders_) {
        h = WAVEHDR{};
        h.lpData =
            reinterpret_cast<char*>(outBuffers_[std::size_t(&h - outHeaders_.data())].data());
        h.dwBufferLength = PlaybackStream::BufferBytes;
        h.dwLoops = 1;
        audio_.WaveOutPrepareHeader(out_, &h, sizeof(WAVEHDR));
        Play(&h);
      }
      break;
    case MM_WOM_DONE:
      waitingForTone_ = false;
      Play(d->Header);
      break;
    case MM_WIM_CLOSE:
      in_ = nullptr;
      break;
    case MM_WOM_CLOSE:
      out_ = nullptr;
      break;
    case MM_WIM_LOST:
    case MM_WOM_LOST:
      Fail(std::string("the sound server went away: ") + MMErrorText(d->Code));
      break;
    default:
      break;
    }
    if (status_ >= 0 && in_ == nullptr && out_ == nullptr) QCoreApplication::exit(status_);
    return true;
  }

  // Lets both devices go; their closes end the loop.
  void Finish(int status) {
    if (status_ < 0) status_ = status;
    if (finishing_) return;
    finishing_ = true;
    if (in_ != nullptr) {
      audio_.WaveInReset(in_);
      if (audio_.WaveInClose(in_) != 0) in_ = nullptr;
    }
    if (out_ != nullptr) {
      audio_.WaveOutReset(out_);
      if (audio_.WaveOutClose(out_) != 0) out_ = nullptr;
    }
    if (in_ == nullptr && out_ == nullptr) QCoreApplication::exit(status_);
  }

private:
  void Captured(WAVEHDR& header) {
    if (finishing_) return;
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
    audio_.WaveInAddBuffer(in_, &header, sizeof(WAVEHDR));
  }

  void Play(WAVEHDR* header) {
    if (finishing_ || out_ == nullptr) return;
    Synthesize(gen_, ToneSources(options_), reinterpret_cast<int16_t*>(header->lpData));
    audio_.WaveOutWrite(out_, header, sizeof(WAVEHDR));
  }

  WaveAudio& audio_;
  const MeasureOptions& options_;
  const std::size_t frames_;
  WAVEFORMATEX format_{};
  HWAVEIN in_ = nullptr;
  HWAVEOUT out_ = nullptr;
  std::array<WAVEHDR, CaptureStream::BufferCount> inHeaders_{};
  std::array<std::array<char, CaptureStream::BufferBytes>, CaptureStream::BufferCount> inBuffers_{};
  std::array<WAVEHDR, PlaybackStream::BufferCount> outHeaders_{};
  std::array<std::array<int16_t, OutBlockSamples>, PlaybackStream::BufferCount> outBuffers_{};
  GeneratorState gen_;
  std::vector<int16_t> left_, right_;
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
    return bad("--measure", *line.Measure, "a number of seconds from 0.05 to 3600");
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
  std::unique_ptr<WaveAudio> audio = CreateSoundServerAudio("Veltrano");
  audio->ChooseDevice(true, options.Input);
  audio->ChooseDevice(false, options.Output);
  Measurement measurement(*audio, options);
  const StopSignalNotifier notifier([&](int signo) {
    *stopSignal = signo;
    measurement.Finish(1);
  });
  QTimer::singleShot(int(options.Seconds * 1000) + SpareMs, &measurement,
                     [&] { measurement.Fail("no input arrived in time"); });
  const bool started = measurement.Start();
  // A failed start closes what it opened: the loop runs until that is reported.
  const int status = measurement.Closed() ? 1 : QCoreApplication::exec();
  if (!started || status != 0 || *stopSignal != 0) return 1;

  const measure::Figures figures = measure::MeasureStereo(measurement.Left(), measurement.Right());
  measure::ReportContext context;
  context.Seconds = double(measurement.Left().size()) / 48000.0;
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
