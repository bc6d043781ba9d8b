// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Report.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

#include "measure/JsonText.h"

namespace measure {

namespace {

using Channel = ChannelFigures;
constexpr const char* NoNoise = "no noise";
constexpr const char* NoSpur = "none";

double ThdBoundPercent(const Channel& c) {
  return 100.0 * std::pow(10.0, c.ThdBoundDb / 20.0);
}

constexpr Field<Channel> ChannelTable[] = {
    {"frequency_hz", "frequency", "Hz", 2, &Channel::FrequencyHz},
    {"rms_dbfs", "RMS level", "dBFS", 2, &Channel::RmsDbfs},
    {"peak_dbfs", "peak level", "dBFS", 2, &Channel::PeakDbfs},
    {"thd_db", "THD", "dB", 1, &Channel::ThdDb, "no harmonic",
     [](const Channel& c) { return c.ThdBoundDb; }},
    {"thd_percent", "THD", "%", 4, &Channel::ThdPercent, "no harmonic", ThdBoundPercent},
    {"thdn_db", "THD+N", "dB", 1, &Channel::ThdnDb, NoNoise},
    {"thdn_percent", "THD+N", "%", 4, &Channel::ThdnPercent, NoNoise},
    {"snr_db", "SNR", "dB", 1, &Channel::SnrDb, NoNoise},
    {"noise_floor_dbfs", "noise floor", "dBFS", 1, &Channel::NoiseFloorDbfs, NoNoise},
    {"sfdr_db", "SFDR", "dB", 1, &Channel::SfdrDb, NoSpur},
    {"spur_hz", "strongest spur", "Hz", 2, &Channel::SpurHz, NoSpur},
    {"spur_dbfs", "strongest spur", "dBFS", 1, &Channel::SpurDbfs, NoSpur},
};

constexpr Field<PairFigures> PairTable[] = {
    {"level_difference_db", "level difference L-R", "dB", 2, &PairFigures::LevelDifferenceDb},
    {"phase_degrees", "phase L against R", "deg", 2, &PairFigures::PhaseDegrees},
    {"delay_samples", "delay of L behind R", "samples", 2, &PairFigures::DelaySamples},
};

const char* Word(Finding found) {
  switch (found) {
  case Finding::Tone:
    return "tone";
  case Finding::Silence:
    return "silence";
  case Finding::OutsideBand:
    return "outside band";
  default:
    return "no tone";
  }
}

const char* Word(PairFinding found) {
  switch (found) {
  case PairFinding::SameTone:
    return "same tone";
  case PairFinding::DifferentTones:
    return "tones differ";
  default:
    return "no tone";
  }
}

std::string Format(const char* pattern, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

// A JSON number; a figure that does not exist as null.
std::string Number(double value, int decimals) {
  return std::isfinite(value) ? Format("%.*f", decimals, value) : "null";
}

std::string Heading(const ReportContext& c) {
  std::string text = Format("%.2f s of input at 48000 Hz, 16 bit", c.Seconds);
  if (c.ToneHz > 0)
    text += Format("; tone %.2f Hz at %.2f dBFS on %s", c.ToneHz, c.ToneDbfs, c.ToneTo);
  std::string path;
  for (const std::string& finding : c.Path)
    path += (path.empty() ? "" : ", ") + finding;
  text += "\nsignal path: " + (path.empty() ? std::string("transparent") : path);
  if (c.LostFrames != 0)
    text += Format("\n%llu input frames were lost; those captures were made again",
                   static_cast<unsigned long long>(c.LostFrames));
  const ToneBand band = Band(std::size_t(std::lround(c.Seconds * SampleRate)));
  return text + "\n" + RmsConvention + "\n" +
         Format("Tones are measured from %.2f Hz to %.2f Hz.\n", band.LowestHz, band.HighestHz);
}

// The table's cell of one figure: the number, or a word for why there is none.
template <typename Figures>
std::string Cell(const Figures& f, const Field<Figures>& field, const char* invalid) {
  const double value = f.*field.Value;
  if (std::isfinite(value)) return Format("%12.*f", field.Decimals, value);
  if (!f.Valid) return Format("%12s", invalid);
  if (field.Bound != nullptr && std::isfinite(field.Bound(f)))
    return Format("%12s", ("< " + Format("%.*f", field.Decimals, field.Bound(f))).c_str());
  return Format("%12s", field.Missing);
}

// What the words of the table mean, for those it holds.
std::string Notes(const std::string& table, const ReportContext& c) {
  const ToneBand band = Band(std::size_t(std::lround(c.Seconds * SampleRate)));
  const std::pair<const char*, std::string> notes[] = {
      {" silence", "silence: every sample of the channel is 0"},
      {" no tone", "no tone: nothing stands 20 dB out of the channel's noise"},
      {"outside band", Format("outside band: the strongest tone lies outside %.2f..%.2f Hz, "
                              "where the figures hold",
                              band.LowestHz, band.HighestHz)},
      {"< ", "< : below the noise: no harmonic stands clearly out of the noise under it; "
             "together they are weaker than this"},
      {"no harmonic", "no harmonic: none lies below 24000 Hz"},
      {NoNoise, "no noise: the noise lies more than 140 dB under the tone, beyond what "
                "the transform resolves"},
      {"  none", "none: no tone besides the tone and its harmonics stands 10 dB out of "
                 "the noise"},
      {"tones differ", "tones differ: the channels carry different tones"},
  };
  std::string text;
  for (const auto& [word, note] : notes)
    if (table.find(word) != std::string::npos) text += note + "\n";
  return text;
}

std::string SecondTone(const char* side, const Channel& f) {
  return f.SecondTone ? Format("%s: a second tone at %.2f Hz, %.1f dB below the tone, is part "
                               "of THD+N, SNR and the noise floor\n",
                               side, f.SpurHz, f.SfdrDb)
                      : "";
}

std::string Harmonics(const Channel& f) {
  std::string text = "[";
  for (std::size_t i = 0; i < f.Harmonics.size(); ++i) {
    const Harmonic& h = f.Harmonics[i];
    if (!std::isfinite(h.FrequencyHz)) break;
    text += Format("%s{\"order\": %zu, \"frequency_hz\": %s, \"level_db\": %s, "
                   "\"below_noise_db\": %s}",
                   i > 0 ? ", " : "", i + 2, Number(h.FrequencyHz, 4).c_str(),
                   Number(h.LevelDb, 3).c_str(), Number(h.BoundDb, 3).c_str());
  }
  return text + "]";
}

template <typename Figures>
std::string JsonObject(const Figures& f, std::span<const Field<Figures>> fields) {
  std::string text =
      Format("{\"valid\": %s, \"found\": \"%s\"", f.Valid ? "true" : "false", Word(f.Found));
  for (const auto& field : fields)
    text += Format(", \"%s\": %s", field.Key, Number(f.*field.Value, field.Decimals + 2).c_str());
  if constexpr (std::is_same_v<Figures, Channel>) {
    text += Format(", \"thd_below_noise_db\": %s, \"second_tone\": %s, \"harmonics\": ",
                   Number(f.ThdBoundDb, 3).c_str(), f.SecondTone ? "true" : "false");
    text += Harmonics(f);
  }
  return text + "}";
}

} // namespace

std::span<const Field<ChannelFigures>> ChannelFields() {
  return ChannelTable;
}
std::span<const Field<PairFigures>> PairFields() {
  return PairTable;
}

std::string ReportTable(const Figures& f, const ReportContext& context) {
  std::string table = Format("\n%-22s %-8s %12s %12s\n", "", "", "left", "right");
  for (const auto& field : ChannelFields())
    table += Format("%-22s %-8s %s %s\n", field.Label, field.Unit,
                    Cell(f.Left, field, Word(f.Left.Found)).c_str(),
                    Cell(f.Right, field, Word(f.Right.Found)).c_str());
  for (const auto& field : PairFields())
    table += Format("%-22s %-8s %s\n", field.Label, field.Unit,
                    Cell(f.Between, field, Word(f.Between.Found)).c_str());
  return Heading(context) + table + Notes(table, context) + SecondTone("left", f.Left) +
         SecondTone("right", f.Right);
}

std::string ReportJson(const Figures& f, const ReportContext& c) {
  std::string text =
      Format("{\"seconds\": %s, \"sample_rate_hz\": 48000, ", Number(c.Seconds, 3).c_str());
  text += Format("\"rms_convention\": \"%s\", ", RmsConvention);
  const ToneBand band = Band(std::size_t(std::lround(c.Seconds * SampleRate)));
  text += Format("\"band_hz\": [%s, %s], ", Number(band.LowestHz, 2).c_str(),
                 Number(band.HighestHz, 2).c_str());
  text +=
      Format("\"lost_frames\": %llu, \"path\": [", static_cast<unsigned long long>(c.LostFrames));
  for (size_t i = 0; i < c.Path.size(); ++i)
    text += (i == 0 ? "" : ", ") + JsonString(c.Path[i]);
  text += "], ";
  text += c.ToneHz > 0
              ? Format("\"tone\": {\"frequency_hz\": %s, \"level_dbfs\": %s, \"to\": \"%s\"}, ",
                       Number(c.ToneHz, 3).c_str(), Number(c.ToneDbfs, 3).c_str(), c.ToneTo)
              : std::string("\"tone\": null, ");
  text += "\"left\": " + JsonObject(f.Left, ChannelFields());
  text += ", \"right\": " + JsonObject(f.Right, ChannelFields());
  text += ", \"between\": " + JsonObject(f.Between, PairFields());
  return text + "}\n";
}

} // namespace measure
