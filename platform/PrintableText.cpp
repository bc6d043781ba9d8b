// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PrintableText.h"

#include <cstdio>

namespace {

std::string Escaped(const char* pattern, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// The length of the UTF-8 sequence at text[i], 0 when none starts there
// (overlong forms and surrogates included).
std::size_t SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned lead = byte(i);
  const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                             : lead >= 0xE0                 ? 3
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                                                            : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  const unsigned second = byte(i + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
    return 0;
  return length;
}

} // namespace

std::string TerminalText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      out += Escaped("\\x%02x", c);
      ++i;
    } else if (c < 0x80) {
      out += text[i++];
    } else if (const std::size_t length = SequenceLength(text, i); length == 0) {
      out += Escaped("\\x%02x", c);
      ++i;
    } else if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      out += Escaped("\\u%04x", static_cast<unsigned char>(text[i + 1]));
      i += 2;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

QString MenuText(const QString& text) {
  QString shown = text;
  return shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
