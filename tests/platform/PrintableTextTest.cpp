// SPDX-License-Identifier: GPL-3.0-or-later
// Text from elsewhere shown literally: escape sequences as their characters
// on the terminal, '&' as '&' in a menu.

#include <gtest/gtest.h>

#include "platform/PrintableText.h"

TEST(PrintableText, ControlsAndStrayBytesAreEscapedAndTheRestKept) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x1b]0;owned\x07\x1b[31mR&D\x7f\n", "\\x1b]0;owned\\x07\\x1b[31mR&D\\x7f\\x0a"},
      // C1's CSI in UTF-8 and as a lone byte; a cut-off sequence; an overlong '/'.
      {"a\xc2\x9b"
       "1mb\x9b\xe2\x82\xc0\xaf",
       "a\\u009b1mb\\x9b\\xe2\\x82\\xc0\\xaf"},
      {"Schnittstelle \xc3\xa4 \xe2\x80\x93 \xf0\x9f\x8e\xa7", "Schnittstelle ä – 🎧"},
  };
  for (const auto& [raw, shown] : cases)
    EXPECT_EQ(TerminalText(raw), shown);
  EXPECT_EQ(MenuText(QStringLiteral("R&D && more")), QStringLiteral("R&&D &&&& more"));
}
