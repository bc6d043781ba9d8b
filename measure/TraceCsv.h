// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectrum window's traces as CSV: a header naming every column with its
// unit ("frequency_hz,left_current_dBFS,..."), then one row per frequency; a
// level that is not there is an empty cell. Plain C++, no toolkit.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace measure {

struct TraceColumn {
  std::string Name;           // "left_peak_dBFS": what, then the unit after the last '_'
  std::vector<double> Values; // one per frequency; NaN: an empty cell
};

struct TraceTable {
  std::vector<double> Frequencies; // Hz, the first column
  std::vector<TraceColumn> Columns;
  std::string Problem; // why the text could not be read; empty when it was
};

// The table as CSV text, decimal points whatever the locale.
std::string TraceCsvText(const TraceTable& table);
// Reads what TraceCsvText writes (and any CSV with frequency_hz first and
// numbers or empty cells below). A row of another length or a cell that is
// no number makes the whole text unreadable, with the line named.
TraceTable ReadTraceCsv(std::string_view text);

// The unit part of a column's name: after its last '_'.
std::string_view ColumnUnit(std::string_view name);

// values (at frequencies, rising) at each frequency of at, linearly between
// the points; NaN outside them.
std::vector<double> TraceAt(std::span<const double> frequencies, std::span<const double> values,
                            std::span<const double> at);

} // namespace measure
