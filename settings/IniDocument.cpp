// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniDocument.h"

#include <algorithm>

#include <QList>

namespace {

const QByteArray ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF"); // UTF-8

enum class LineKind { Blank, Comment, Section, Value, Unreadable };

// What a line is, with the section's name or the value's name and text.
LineKind Classify(const QByteArray& line, QByteArray* name, QByteArray* text) {
  const QByteArray t = line.trimmed();
  if (t.isEmpty()) return LineKind::Blank;
  if (t.startsWith(';') || t.startsWith('#')) return LineKind::Comment;
  if (t.startsWith('[')) {
    if (!t.endsWith(']')) return LineKind::Unreadable;
    *name = t.mid(1, t.size() - 2).trimmed();
    return LineKind::Section;
  }
  const qsizetype eq = t.indexOf('=');
  if (eq <= 0) return LineKind::Unreadable;
  *name = t.left(eq).trimmed();
  *text = t.mid(eq + 1).trimmed();
  return name->isEmpty() ? LineKind::Unreadable : LineKind::Value;
}

// Calls visit(index, kind, name, text) for every line of the section, its
// header (each time it appears) included.
template <class Visit>
void ForEachLineOf(const std::vector<QByteArray>& lines, const QByteArray& section, Visit visit) {
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    QByteArray name, text;
    const LineKind kind = Classify(lines[i], &name, &text);
    if (kind == LineKind::Section) inSection = name == section;
    if (inSection) visit(i, kind, name, text);
  }
}

} // namespace

IniDocument::IniDocument(const QByteArray& text) {
  QByteArray body = text;
  byteOrderMark_ = body.startsWith(ByteOrderMark);
  if (byteOrderMark_) body.remove(0, ByteOrderMark.size());
  // Each line keeps its carriage return, if it has one; the lines this
  // document makes have one when every line of the file ends so.
  for (const QByteArray& line : body.split('\n'))
    lines_.push_back(line);
  crlf_ = lines_.size() > 1 && std::all_of(lines_.begin(), lines_.end() - 1,
                                           [](const QByteArray& l) { return l.endsWith('\r'); });
  // The line feed that ends the last line starts no line of its own.
  if (!lines_.empty() && lines_.back().isEmpty()) lines_.pop_back();
}

std::vector<IniValue> IniDocument::Values(const QByteArray& section) const {
  std::vector<IniValue> values;
  ForEachLineOf(lines_, section,
                [&](size_t, LineKind kind, const QByteArray& name, const QByteArray& text) {
                  if (kind == LineKind::Value) values.emplace_back(name, text);
                });
  return values;
}

std::vector<int> IniDocument::UnreadableLines(const QByteArray& section) const {
  std::vector<int> numbers;
  ForEachLineOf(lines_, section,
                [&](size_t i, LineKind kind, const QByteArray&, const QByteArray&) {
                  if (kind == LineKind::Unreadable) numbers.push_back(static_cast<int>(i) + 1);
                });
  return numbers;
}

void IniDocument::Set(const QByteArray& section, const std::vector<IniValue>& values) {
  std::vector<bool> placed(values.size(), false);
  bool found = false;
  size_t end = lines_.size(); // after the header or the last value of the section
  ForEachLineOf(lines_, section,
                [&](size_t i, LineKind kind, const QByteArray& name, const QByteArray&) {
                  if (kind == LineKind::Section) found = true;
                  if (kind == LineKind::Blank || kind == LineKind::Comment) return;
                  end = i + 1;
                  for (size_t v = 0; v < values.size(); ++v) {
                    if (kind != LineKind::Value || values[v].first != name) continue;
                    lines_[i] = values[v].first + '=' + values[v].second +
                                (lines_[i].endsWith('\r') ? "\r" : "");
                    placed[v] = true;
                  }
                });
  const QByteArray lineEnd = crlf_ ? "\r" : "";
  std::vector<QByteArray> added;
  if (!found) {
    if (!lines_.empty() && !lines_.back().trimmed().isEmpty()) added.push_back(lineEnd);
    added.push_back('[' + section + ']' + lineEnd);
  }
  for (size_t v = 0; v < values.size(); ++v)
    if (!placed[v]) added.push_back(values[v].first + '=' + values[v].second + lineEnd);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), added.begin(), added.end());
}

QByteArray IniDocument::Text() const {
  QByteArray text = byteOrderMark_ ? ByteOrderMark : QByteArray();
  for (const QByteArray& line : lines_)
    text += line + '\n';
  return text;
}
