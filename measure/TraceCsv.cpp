// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/TraceCsv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace measure {

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr std::string_view FrequencyColumn = "frequency_hz";

// The shortest text that reads back as the same double.
void AppendNumber(std::string& out, double v) {
  if (!std::isfinite(v)) return;
  char text[32];
  out.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

std::vector<std::string_view> Cells(std::string_view line) {
  std::vector<std::string_view> cells;
  while (true) {
    const std::size_t comma = line.find(',');
    cells.push_back(line.substr(0, comma));
    if (comma == line.npos) return cells;
    line.remove_prefix(comma + 1);
  }
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' '))
    s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ')
    s.remove_prefix(1);
  return s;
}

bool ReadCell(std::string_view cell, double* v) {
  cell = Trimmed(cell);
  if (cell.empty()) {
    *v = Nan;
    return true;
  }
  const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), *v);
  return error == std::errc() && end == cell.data() + cell.size();
}

TraceTable Unreadable(std::size_t line, const char* why) {
  TraceTable t;
  t.Problem = "line " + std::to_string(line) + ": " + why;
  return t;
}

} // namespace

std::string TraceCsvText(const TraceTable& table) {
  std::string text(FrequencyColumn);
  for (const TraceColumn& c : table.Columns)
    text += ',' + c.Name;
  text += '\n';
  for (std::size_t i = 0; i < table.Frequencies.size(); ++i) {
    AppendNumber(text, table.Frequencies[i]);
    for (const TraceColumn& c : table.Columns) {
      text += ',';
      if (i < c.Values.size()) AppendNumber(text, c.Values[i]);
    }
    text += '\n';
  }
  return text;
}

TraceTable ReadTraceCsv(std::string_view text) {
  TraceTable table;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    if (line.empty()) continue;
    const std::vector<std::string_view> cells = Cells(line);
    if (lineNumber == 1) {
      if (Trimmed(cells[0]) != FrequencyColumn)
        return Unreadable(lineNumber, "the first column is not frequency_hz");
      for (std::size_t c = 1; c < cells.size(); ++c)
        table.Columns.push_back({std::string(Trimmed(cells[c])), {}});
      continue;
    }
    if (cells.size() != table.Columns.size() + 1)
      return Unreadable(lineNumber, "the row has another number of cells than the header");
    double v = 0;
    if (!ReadCell(cells[0], &v) || !std::isfinite(v))
      return Unreadable(lineNumber, "the frequency is no number");
    table.Frequencies.push_back(v);
    for (std::size_t c = 1; c < cells.size(); ++c) {
      if (!ReadCell(cells[c], &v)) return Unreadable(lineNumber, "a level is no number");
      table.Columns[c - 1].Values.push_back(v);
    }
  }
  if (lineNumber == 0) return Unreadable(1, "the file is empty");
  return table;
}

std::string_view ColumnUnit(std::string_view name) {
  const std::size_t underscore = name.rfind('_');
  return underscore == name.npos ? std::string_view() : name.substr(underscore + 1);
}

std::vector<double> TraceAt(std::span<const double> frequencies, std::span<const double> values,
                            std::span<const double> at) {
  std::vector<double> out(at.size(), Nan);
  for (std::size_t i = 0; i < at.size(); ++i) {
    const auto upper = std::lower_bound(frequencies.begin(), frequencies.end(), at[i]);
    if (upper == frequencies.end()) continue;
    const auto j = std::size_t(upper - frequencies.begin());
    if (frequencies[j] == at[i]) {
      out[i] = values[j];
    } else if (j > 0) {
      const double t = (at[i] - frequencies[j - 1]) / (frequencies[j] - frequencies[j - 1]);
      out[i] = values[j - 1] + t * (values[j] - values[j - 1]);
    }
  }
  return out;
}

} // namespace measure
