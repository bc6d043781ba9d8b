// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/JsonText.h"

#include <cstdio>

namespace measure {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    if (ch == '"' || ch == '\\') {
      out += '\\', out += ch;
    } else if (static_cast<unsigned char>(ch) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(ch));
      out += escape;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

} // namespace measure
