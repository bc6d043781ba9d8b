// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of the files "Save Spectrum…" and "Save Response…" write: CSV
// with '#' comment lines saying what the numbers are, a header line naming
// the columns, and numbers with a decimal point whatever the user's locale.

#include <cstdint>
#include <span>
#include <vector>

#include <QByteArray>
#include <QString>

#include "views/TracePoints.h"

// What an empty bin reads, in dBFS.
inline constexpr double SpectrumFloorDbfs = -200.0;

// The magnitudes of bins 0..1024 of a 2048-sample block in dBFS, through the
// analysis window (the spectrum library's table, built at window creation):
// a full-scale sine (amplitude 32768) centred on a bin reads 0 dBFS in that
// bin, whatever scale the views use.
std::vector<double> SpectrumDbfs(std::span<const int16_t> block);

// One column of numbers after the frequency, named in the header line.
struct CsvColumn {
  QString Name;
  std::vector<double> Values; // NaN leaves the cell empty
};

// One row per bin: its frequency and each channel's magnitude in dBFS.
QByteArray SpectrumCsv(const std::vector<CsvColumn>& channels);

// One row per display column in which the trace has a point, of either
// channel: the column's frequency and each channel's level there in dBFS.
// Only channels with a point anywhere get a column.
QByteArray ResponseCsv(const TracePoints& points);
