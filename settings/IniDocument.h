// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of an INI file kept line by line, so that a program reads the
// values of its own section and replaces them while every other line (other
// sections, comments, names it does not know, lines it cannot read) stays as
// it was, down to its line ends and byte order mark.

#include <utility>
#include <vector>

#include <QByteArray>

// A named value: its name and its text, without the blanks around them.
using IniValue = std::pair<QByteArray, QByteArray>;

class IniDocument {
public:
  explicit IniDocument(const QByteArray& text);

  // The values of the section in file order; a name may come more than once.
  std::vector<IniValue> Values(const QByteArray& section) const;
  // Line numbers (from 1) of the section's lines that are neither a value
  // ("name=text"), a comment (";" or "#") nor blank.
  std::vector<int> UnreadableLines(const QByteArray& section) const;
  // Gives each value its text: on the lines of the section that hold its
  // name, or on a line of its own after the section's last value. A missing
  // section is added at the end.
  void Set(const QByteArray& section, const std::vector<IniValue>& values);
  // One line each, every line ended by a line feed, and the carriage returns
  // and byte order mark of the text read.
  QByteArray Text() const;

private:
  std::vector<QByteArray> lines_; // without the line feed
  bool byteOrderMark_ = false;
  bool crlf_ = false; // the lines made here end with a carriage return
};
