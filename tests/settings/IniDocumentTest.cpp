// SPDX-License-Identifier: GPL-3.0-or-later
// The INI text: a section's values read, unreadable lines found, and values
// set while every other line stays as it was.

#include <gtest/gtest.h>

#include "settings/IniDocument.h"

namespace {

struct IniCase {
  const char* Text;
  std::vector<IniValue> Read;    // the section's values as read
  std::vector<int> Unreadable;   // the section's unreadable lines
  std::vector<IniValue> Written; // set
  const char* After;             // the text then
};

const QByteArray Section = "Veltrano";

const IniCase Cases[] = {
    // A missing file: the section is made.
    {"", {}, {}, {{"CB6", "1"}}, "[Veltrano]\nCB6=1\n"},
    // Blanks around names and texts go; a name that comes twice is set on both lines.
    {"[Veltrano]\n CB6 = 0 \nRP=992\nCB6=0\n",
     {{"CB6", "0"}, {"RP", "992"}, {"CB6", "0"}},
     {},
     {{"CB6", "1"}},
     "[Veltrano]\nCB6=1\nRP=992\nCB6=1\n"},
    // Other sections, comments and lines it cannot read stay; a new value goes
    // after the section's last line, before the blank line and the next section.
    {"; mine\n[Other]\nCB6=7\n[Veltrano]\nbroken\n=5\n# note\nUD42=-181\n\n[Last]\nx=1\n",
     {{"UD42", "-181"}},
     {5, 6},
     {{"SE64", "50"}},
     "; mine\n[Other]\nCB6=7\n[Veltrano]\nbroken\n=5\n# note\nUD42=-181\nSE64=50\n\n[Last]\nx=1\n"},
    // Carriage returns and the byte order mark are kept, and new lines get them.
    {"\xEF\xBB\xBF[Veltrano]\r\nRP=1\r\n",
     {{"RP", "1"}},
     {},
     {{"RP", "2"}, {"SLG", "5"}},
     "\xEF\xBB\xBF[Veltrano]\r\nRP=2\r\nSLG=5\r\n"},
    // A file that does not end its last line, and another section before ours.
    {"[Other]\na=b", {}, {}, {{"RP", "3"}}, "[Other]\na=b\n\n[Veltrano]\nRP=3\n"},
    // An unclosed header is no section.
    {"[Veltrano\nRP=1\n", {}, {}, {{"RP", "4"}}, "[Veltrano\nRP=1\n\n[Veltrano]\nRP=4\n"},
};

TEST(IniDocument, ReadsAndSetsTheSectionAndKeepsEverythingElse) {
  for (const IniCase& c : Cases) {
    IniDocument document{QByteArray(c.Text)};
    EXPECT_EQ(document.Values(Section), c.Read) << c.Text;
    EXPECT_EQ(document.UnreadableLines(Section), c.Unreadable) << c.Text;
    document.Set(Section, c.Written);
    EXPECT_EQ(document.Text(), QByteArray(c.After)) << c.Text;
    // Read again, the text gives what was set.
    for (const IniValue& value : c.Written) {
      const std::vector<IniValue> values = IniDocument(document.Text()).Values(Section);
      EXPECT_NE(std::find(values.begin(), values.end(), value), values.end()) << c.Text;
    }
  }
}

} // namespace
