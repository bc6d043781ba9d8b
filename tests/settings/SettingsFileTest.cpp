// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on disk: where it lives, what is read, what is refused and
// never opened, and a replacement in one piece that follows a link.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings/SettingsFile.h"

namespace {

using State = SettingsFileText::State;

TEST(SettingsFile, ConfigFolderFollowsTheBaseDirectoryRules) {
  const struct {
    const char *Xdg, *Home, *Folder;
  } cases[] = {
      {"/x/config", "/home/u", "/x/config"},
      {"", "/home/u", "/home/u/.config"},
      {"relative", "/home/u", "/home/u/.config"},
      {"", "relative", ""},
      {"", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ConfigFolder(c.Xdg, c.Home), QString::fromLatin1(c.Folder)) << c.Xdg << " " << c.Home;
}

TEST(SettingsFile, ReadsRegularFilesAndRefusesEverythingElse) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString regular = dir.filePath("Veltrano.conf"), fifo = dir.filePath("fifo"),
                link = dir.filePath("link"), dangling = dir.filePath("dangling"),
                large = dir.filePath("large");
  ASSERT_TRUE(ReplaceSettingsFile(regular, "[Veltrano]\nRP=5\n"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(regular, link));
  ASSERT_TRUE(QFile::link(dir.filePath("none"), dangling));
  QFile big(large);
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  ASSERT_TRUE(big.resize(MaxSettingsFileBytes + 1));
  big.close();
  const struct {
    QString Path;
    State Check;
    QByteArray Text;
    QString Target, Problem;
  } cases[] = {
      {regular, State::Regular, "[Veltrano]\nRP=5\n", regular, {}},
      {link, State::Regular, "[Veltrano]\nRP=5\n", regular, {}},
      {dir.filePath("missing"), State::Missing, {}, dir.filePath("missing"), {}},
      {fifo, State::Refused, {}, {}, "is a FIFO, not a regular file"},
      {dir.path(), State::Refused, {}, {}, "is a folder, not a regular file"},
      {"/dev/null", State::Refused, {}, {}, "is a device, not a regular file"},
      {dangling, State::Refused, {}, {}, "is a symbolic link that leads nowhere"},
      {large, State::Refused, {}, {}, "is larger than 1088 KiB, so it is not a settings file"},
  };
  for (const auto& c : cases) {
    const SettingsFileText file = ReadSettingsFile(c.Path);
    EXPECT_EQ(file.Check, c.Check) << c.Path.toStdString();
    EXPECT_EQ(file.Text, c.Text) << c.Path.toStdString();
    EXPECT_EQ(file.Target, c.Target) << c.Path.toStdString();
    EXPECT_EQ(file.Problem, c.Problem) << c.Path.toStdString();
  }
}

TEST(SettingsFile, AReplacementMakesItsFolderAndLeavesALinkALink) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString target = dir.filePath("Zenko/Veltrano.conf"), link = dir.filePath("link");
  ASSERT_TRUE(ReplaceSettingsFile(target, "one"));
  ASSERT_TRUE(QFile::link(target, link));
  const SettingsFileText read = ReadSettingsFile(link);
  ASSERT_TRUE(ReplaceSettingsFile(read.Target, "two"));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(ReadSettingsFile(link).Text, "two");
  // Nothing but the file beside it: the new text was renamed over it.
  EXPECT_EQ(QDir(dir.filePath("Zenko")).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("Veltrano.conf")});
  // A folder that cannot be made leaves nothing written.
  EXPECT_FALSE(ReplaceSettingsFile(dir.filePath("Zenko/Veltrano.conf/inside"), "x"));
}

} // namespace
