// SPDX-License-Identifier: GPL-3.0-or-later
// main() of the window test programs.

#include <cstdlib>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "platform/MessageBox.h"
#include "platform/WindowStyle.h"
#include "tests/support/OffscreenEnvironment.h"
#include "tests/support/WindowTest.h"

namespace {

std::vector<RecordedMessage>& MessageLog() {
  static std::vector<RecordedMessage> log;
  return log;
}

QTemporaryDir& TestHome() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/veltrano-test-XXXXXX"));
  return dir;
}

} // namespace

const std::vector<RecordedMessage>& Messages() {
  return MessageLog();
}
void ClearMessages() {
  MessageLog().clear();
}
void RecordMessages() {
  SetMessageBoxHook([](const QString& text, const QString& caption) {
    MessageLog().push_back({text, caption});
  });
}
QString ConfigHome() {
  return TestHome().path() + QStringLiteral("/config");
}
QString SettingsFile() {
  return ConfigHome() + QStringLiteral("/Zenko/Veltrano.conf");
}

int main(int argc, char** argv) {
  // Never the user's settings, runtime folder or display.
  if (!PrepareOffscreenEnvironment(TestHome().path(), 1280, 1024)) return 1;

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Veltrano"));
  QApplication::setOrganizationName(QStringLiteral("Zenko"));
  InstallWindowStyle();
  RecordMessages();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
