#include "measure/Report.h"

#include <cmath>
#include <cstdio>

namespace measure {

namespace {

constexpr Field<ChannelFigures> ChannelTable[] = {
    {"frequency_hz", "frequency", "Hz", 2, &ChannelFigures::FrequencyHz},
    {"rms_dbfs", "RMS level", "dBFS", 2, &ChannelFigures::RmsDbfs, false},
    {"peak_dbfs", "peak level", "dBFS", 2, &ChannelFigures::PeakDbfs, false},
    {"thd_db", "THD", "dB", 1, &ChannelFigures::ThdDb},
    {"thd_percent", "THD", "%", 4, &ChannelFigures::ThdPercent},
    {"thdn_db", "THD+N", "dB", 1, &ChannelFigures::ThdnDb},
    {"thdn_percent", "THD+N", "%", 4, &ChannelFigures::ThdnPercent},
    {"snr_db", "SNR", "dB", 1, &ChannelFigures::SnrDb},
    {"noise_floor_dbfs", "noise floor", "dBFS", 1, &ChannelFigures::NoiseFloorDbfs},
};

constexpr Field<PairFigures> PairTable[] = {
    {"level_difference_db", "level difference L-R", "dB", 2, &PairFigures::LevelDifferenceDb},
    {"phase_degrees", "phase L against R", "deg", 2, &PairFigures::PhaseDegrees},
    {"delay_samples", "delay of L behind R", "samples", 2, &PairFigures::DelaySamples},
};

std::string Format(const char* pattern, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

// A JSON number; anything not finite (which no figure should be) as null.
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
  return text + "\n" + RmsConvention + "\n";
}

// A JSON string of plain text: quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& value) {
  std::string text = "\"";
  for (const char c : value) {
    if (c == '"' || c == '\\')
      text += std::string("\\") + c;
    else if (static_cast<unsigned char>(c) < 0x20)
      text += Format("\\u%04x", static_cast<unsigned>(c));
    else
      text += c;
  }
  return text + "\"";
}

template <typename Figures>
std::string JsonObject(const Figures& f, std::span<const Field<Figures>> fields) {
  std::string text = Format("{\"valid\": %s", f.Valid ? "true" : "false");
  for (const auto& field : fields)
    text += Format(", \"%s\": %s", field.Key, Number(f.*field.Value, field.Decimals + 2).c_str());
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
  std::string text = Heading(context) + Format("\n%-22s %-8s %12s %12s\n", "", "", "left", "right");
  const auto cell = [](const ChannelFigures& c, const Field<ChannelFigures>& field) {
    return c.Valid || !field.NeedsTone ? Format("%12.*f", field.Decimals, c.*field.Value)
                                       : Format("%12s", "-");
  };
  for (const auto& field : ChannelFields())
    text += Format("%-22s %-8s %s %s\n", field.Label, field.Unit, cell(f.Left, field).c_str(),
                   cell(f.Right, field).c_str());
  for (const auto& field : PairFields())
    text += f.Between.Valid ? Format("%-22s %-8s %12.*f\n", field.Label, field.Unit, field.Decimals,
                                     f.Between.*field.Value)
                            : Format("%-22s %-8s %12s\n", field.Label, field.Unit, "-");
  if (!f.Left.Valid || !f.Right.Valid)
    text += "-: no tone found in that channel (silence or noise only)\n";
  return text;
}

std::string ReportJson(const Figures& f, const ReportContext& c) {
  std::string text =
      Format("{\"seconds\": %s, \"sample_rate_hz\": 48000, ", Number(c.Seconds, 3).c_str());
  text += Format("\"rms_convention\": \"%s\", ", RmsConvention);
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
