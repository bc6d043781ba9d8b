// What the desktop does to the signal between the card and the numbers: a
// volume the server remembers never reaches a reading.

#include <gtest/gtest.h>

#include "AudioWindow.h"
#include "tests/support/WindowTest.h"

namespace {

// The generator's first sine at `level` % on the left channel.
void PlayTone(AudioWindow& w, int level) {
  w.FrqG1->SetValue(997);
  w.FrqV1->SetValue(level);
  w.LcBox0->SetChecked(true);
  w.FormActivate(&w);
  w.Frq1->SetChecked(true);
}

TEST(SignalPath, VolumesTheServerRemembersDoNotReachTheFirstReading) {
  QFile::remove(SettingsFile());
  ClearMessages();
  {
    // An earlier run whose streams the user turned down to 50 % and muted.
    AudioWindow w;
    w.show();
    PlayTone(w, 25);
    ASSERT_TRUE(WaitFor([&] { return ClientStreams("sink-inputs").size() == 1; }, 3000));
    const QString input = ClientStreams("source-outputs").value(0);
    const QString output = ClientStreams("sink-inputs").value(0);
    Pactl({"set-source-output-volume", input, "50%"});
    Pactl({"set-sink-input-volume", output, "50%"});
    Pactl({"set-source-output-mute", input, "1"});
    ProcessEvents(300);
    ASSERT_TRUE(w.close());
  }
  AudioWindow w;
  w.show();
  w.ShowLevels->SetChecked(true);
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 2; }, 3000));
  const size_t before = w.blocks.size();
  PlayTone(w, 25);
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() > before + 20; }, 3000));
  size_t first = before;
  while (first < w.blocks.size() && w.blocks[first].peakL == 0)
    ++first;
  ASSERT_LT(first + 6, w.blocks.size());
  // The tone's first whole blocks: -12.04 dBFS, as played.
  for (size_t i = first + 1; i <= first + 5; ++i) {
    EXPECT_EQ(w.blocks[i].peakL, 25 * 32767 / 100) << "block " << i - first;
    EXPECT_TRUE(w.blocks[i].llevel.contains(QStringLiteral("-12")))
        << qPrintable(w.blocks[i].llevel);
  }
  EXPECT_TRUE(w.close());
}

} // namespace
