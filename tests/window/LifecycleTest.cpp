// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shutdown of the window.

#include <gtest/gtest.h>

#include <QFile>

#include "tests/support/DeviceWindow.h"

TEST(Lifecycle, StartsRecordingAndClosesCleanly) {
  DeviceWindow w;
  w.form->show();
  ProcessEvents(50);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Veltrano"));
  EXPECT_EQ(w.form->size(), QSize(1016, 724));
  EXPECT_TRUE(w.audio->InOpen());
  EXPECT_EQ(w.audio->QueuedInBuffers(), 4u);
  EXPECT_TRUE(w.form->Capture.Recording);
  EXPECT_FALSE(w.form->Capture.InClosed);

  EXPECT_TRUE(w.form->close());
  EXPECT_FALSE(w.audio->InOpen());
  EXPECT_TRUE(w.form->Capture.InClosed);
  EXPECT_TRUE(w.form->Playback.OutStop);
  EXPECT_TRUE(QFile::exists(SettingsFile()));
}

TEST(Lifecycle, WindowDestroyedWithoutClosingSavesNothing) {
  {
    DeviceWindow w;
    w.form->show();
    ProcessEvents(20);
    w.form->ColorBox->SetChecked(true);
  }
  EXPECT_FALSE(QFile::exists(SettingsFile()));
  EXPECT_TRUE(Messages().empty());
}
