// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up on a screen 1023 pixels wide (and tall enough): the window warns,
// finishes its creation, and the program ends when the message loop runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include "app/Main.h"
#include "platform/MessageBox.h"
#include "tests/support/FakeWaveAudio.h"
#include "tests/support/OffscreenEnvironment.h"

namespace {

struct Box {
  QString Text, Caption;
};

// Every message box shown, recorded instead of shown.
std::vector<Box>& Shown() {
  static std::vector<Box> shown;
  return shown;
}

} // namespace

TEST(NarrowScreen, WarnsFinishesCreationAndEndsAtTheMessageLoop) {
  auto* audio = new FakeWaveAudio;
  auto form = std::make_unique<TForm1>(std::unique_ptr<WaveAudio>(audio));
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].Text, QStringLiteral("1024x768 or greater screen resolution require !"));
  EXPECT_EQ(Shown()[0].Caption, QStringLiteral("Warning"));
  // Creation ran to its last step, the capture stream.
  EXPECT_TRUE(audio->InOpen());
  EXPECT_TRUE(form->Capture.Recording);

  // The request to end is waiting in the loop; the timer only guards against a hang.
  QTimer::singleShot(10000, [] { QCoreApplication::exit(2); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(Shown().size(), 1u);
}

int main(int argc, char** argv) {
  // Never the user's settings, runtime folder or display.
  QTemporaryDir home(QDir::tempPath() + QStringLiteral("/veltrano-narrow-XXXXXX"));
  if (!PrepareOffscreenEnvironment(home.path(), 1023, 1200)) return 1;

  QApplication application(argc, argv);
  SetMessageBoxHook([](const QString& text, const QString& caption) {
    Shown().push_back({text, caption});
  });
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
