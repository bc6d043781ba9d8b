// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Format.h"

#include <charconv>
#include <utility>

#include <QLocale>

void CaptionText::Put(char16_t c) {
  if (size_ < Capacity) chars_[static_cast<size_t>(size_++)] = c;
}

CaptionText& CaptionText::Append(const char* latin1) {
  for (; *latin1 != '\0'; ++latin1)
    Append(*latin1);
  return *this;
}

CaptionText& CaptionText::Append(char latin1) {
  Put(static_cast<unsigned char>(latin1));
  return *this;
}

CaptionText& CaptionText::AppendInt(long long value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (const char* c = digits; c != end; ++c)
    Append(*c);
  return *this;
}

CaptionText& CaptionText::AppendFixed(double value, int width, int precision) {
  // to_chars rounds as printf does but ignores the C library's locale, which
  // Qt sets from the environment: the point it writes is always a point.
  char digits[400];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision);
  const char* const end = result.ec == std::errc() ? result.ptr : digits;
  for (auto pad = width - (end - digits); pad > 0; --pad)
    Put(u' ');
  // The locale's separator is shared data: reading it allocates nothing. It
  // takes the point's place whole, however many characters it has.
  const QString point = QLocale().decimalPoint();
  for (const char* c = digits; c != end; ++c) {
    if (*c != '.') {
      Append(*c);
      continue;
    }
    for (const QChar p : point)
      Put(p.unicode());
  }
  return *this;
}

bool SetCaption(QLabel* label, const CaptionText& text, CaptionBuffers& buffers) {
  if (label->text() == text.View()) return false;
  // The spare is no longer the label's, so it is written in place.
  buffers.spare.resize(0);
  buffers.spare.append(text.View());
  label->setText(buffers.spare);
  std::swap(buffers.shown, buffers.spare);
  return true;
}
