// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Export.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "spectrum/SpectrumLibrary.h"

namespace {

constexpr int BlockFrames = 2048;
constexpr int Bins = BlockFrames / 2 + 1;

QByteArray Number(double v, int decimals) {
  return std::isnan(v) ? QByteArray() : QByteArray::number(v, 'f', decimals);
}

// The header line and one row per frequency, skipping rows without a number.
QByteArray Table(QByteArray text, const std::vector<double>& hz,
                 const std::vector<CsvColumn>& columns) {
  text += "Frequency (Hz)";
  for (const CsvColumn& c : columns)
    text += ',' + c.Name.toUtf8() + " (dBFS)";
  text += '\n';
  for (size_t row = 0; row < hz.size(); ++row) {
    QByteArray line = Number(hz[row], 4);
    bool any = false;
    for (const CsvColumn& c : columns) {
      const double v = c.Values[row];
      any = any || !std::isnan(v);
      line += ',' + Number(v, 3);
    }
    if (any) text += line + '\n';
  }
  return text;
}

} // namespace

std::vector<double> SpectrumDbfs(std::span<const int16_t> block) {
  std::vector<double> values(Bins, SpectrumFloorDbfs);
  const std::vector<double>& window = WindowTable();
  if (block.size() < BlockFrames || window.size() < BlockFrames) return values;
  uint16_t peakBin = 0;
  SpectrumFFT(BlockFrames, 11, block.data(), values.data(), peakBin, ScaleRaw, 0.0, 0, false, false,
              true);
  // A sine of amplitude A centred on a bin gives A / 2 times the window's sum there.
  const double fullScale =
      32768.0 / 2 * std::accumulate(window.begin(), window.begin() + BlockFrames, 0.0);
  for (double& v : values)
    v = v > 0.0 ? std::max(20.0 * std::log10(v / fullScale), SpectrumFloorDbfs) : SpectrumFloorDbfs;
  return values;
}

QByteArray SpectrumCsv(const std::vector<CsvColumn>& channels) {
  std::vector<double> hz(Bins);
  for (int k = 0; k < Bins; ++k)
    hz[static_cast<size_t>(k)] = k * BinHz;
  return Table("# Veltrano: the spectrum of the latest block, 2048 samples at 48000 Hz through "
               "the Blackman-Nuttall window, one row per bin.\n"
               "# Magnitudes in dBFS: a full-scale sine centred on a bin reads 0 dBFS in it, "
               "an empty bin -200.\n",
               hz, channels);
}

QByteArray ResponseCsv(const TracePoints& points) {
  std::vector<double> hz(points.Right.size());
  for (size_t x = 0; x < hz.size(); ++x)
    hz[x] = points.ColumnHz(static_cast<int>(x));
  std::vector<CsvColumn> columns;
  for (const auto& [name, levels] :
       {std::pair{"Left", &points.Left}, std::pair{"Right", &points.Right}})
    if (TracePoints::Any(*levels))
      columns.push_back({QString::fromLatin1(name), {levels->begin(), levels->end()}});
  return Table("# Veltrano: the spectral amplitude trace as drawn, one row per display column "
               "that holds a point: the strongest frequency of a block against its peak level.\n"
               "# Levels in dBFS (0 dBFS is a full-scale peak); a cell is empty where that "
               "channel has no point in the column.\n",
               hz, columns);
}
