// SPDX-License-Identifier: GPL-3.0-or-later
// What the window's creation and activation do with the stored values.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include "app/Main.h"
#include "tests/support/DeviceWindow.h"
#include "tests/support/WindowTest.h"

namespace {

// Replaces the settings file by the given values of the [Veltrano] section.
void Store(const char* values) {
  QDir().mkpath(ConfigHome() + QStringLiteral("/Zenko"));
  QFile file(SettingsFile());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("[Veltrano]\n");
  file.write(values);
}

} // namespace

TEST(Startup, RadioDefaultsOnlyForGroupsWithoutASelection) {
  Store("RB9=1\nRB91=1\n");
  StoredWindow w;
  EXPECT_TRUE(w.form->RB6K->Checked());
  EXPECT_FALSE(w.form->RB22K->Checked());
  EXPECT_TRUE(w.form->DotMode->Checked());
  EXPECT_FALSE(w.form->LineMode->Checked());
  // The groups that had none get their defaults.
  EXPECT_TRUE(w.form->dB30->Checked());
  EXPECT_TRUE(w.form->fLinear->Checked());
  EXPECT_FALSE(w.form->fLog->Checked() || w.form->fSqrt->Checked());
  EXPECT_FALSE(w.form->dB10->Checked() || w.form->dB60->Checked());
}

TEST(Startup, RulerEdgeOutside2To992MovesTo2) {
  for (const auto& [stored, left] :
       {std::pair{"1", 2}, std::pair{"993", 2}, std::pair{"992", 992}, std::pair{"2", 2},
        std::pair{"-28", 2}, std::pair{"500", 500}}) {
    Store((std::string("RP=") + stored + "\n").c_str());
    StoredWindow w;
    EXPECT_EQ(w.form->RulerPanel->x(), left) << stored;
    EXPECT_EQ(w.form->RulerPanel->y(), 1);
  }
}

TEST(Startup, RulerShownExactlyWhenTicked) {
  Store("CB29=1\n");
  StoredWindow ticked;
  EXPECT_FALSE(ticked.form->RulerPanel->isHidden());
  Store("CB29=0\n");
  StoredWindow unticked;
  EXPECT_TRUE(unticked.form->RulerPanel->isHidden());
}

TEST(Startup, GeneratorSourcesStoredTickedStartUntickedAndSilent) {
  Store("CB63=1\nCB65=1\nCB68=1\nCB71=1\nCB73=1\nCB74=1\nCB75=1\nCB76=1\nCB77=1\nCB78=1\n"
        "CB80=1\nCB81=1\n");
  StoredWindow w;
  for (CheckBox* source : {w.form->Frq1, w.form->Frq2, w.form->Noise, w.form->AutoG})
    EXPECT_FALSE(source->Checked()) << source->objectName().toStdString();
  // The routing boxes keep what was stored.
  for (CheckBox* route : {w.form->RcBox0, w.form->LcBox3})
    EXPECT_TRUE(route->Checked());
  EXPECT_FALSE(w.form->Playback.OutStop);
  w.ShowAndActivate();
  EXPECT_TRUE(w.form->Playback.OutIdle);
  EXPECT_EQ(w.audio->OutOpens, 0);
  EXPECT_TRUE(Messages().empty());
}

TEST(Startup, ActivationWritesTheScaleLabelsAndClearsAnyChannel) {
  const QLocale saved;
  for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                QLocale(QLocale::German, QLocale::Germany)}) {
    QLocale::setDefault(locale);
    const QString point = locale.decimalPoint();
    // A ticked channel sets AnyChannel while the values are loaded.
    Store("UD42=-10\nCB31=1\n");
    StoredWindow w;
    EXPECT_TRUE(w.form->AnyChannel);
    w.ShowAndActivate();
    EXPECT_EQ(w.form->LabelY->Caption(), "-50" + point + "3 dB");
    EXPECT_EQ(w.form->LabelX->Caption(), QStringLiteral("X Scale"));
    EXPECT_FALSE(w.form->AnyChannel);
  }
  QLocale::setDefault(saved);

  // The full 16-bit square at the bottom of the range.
  Store("UD42=-181\n");
  StoredWindow bottom;
  bottom.ShowAndActivate();
  EXPECT_EQ(bottom.form->LabelY->Caption(), "-0" + QLocale().decimalPoint() + "0 dB");

  // Outside -181..-1 the label names the nearest bound, the scale the trace
  // is drawn with: -1 for 5 on a first run, -181 for -30000, where a
  // full-scale block reaches y = 199.
  QFile::remove(SettingsFile());
  StoredWindow first;
  first.ShowAndActivate();
  EXPECT_EQ(first.form->ScopeYW->Position(), 5);
  EXPECT_EQ(first.form->LabelY->Caption(), "-90" + QLocale().decimalPoint() + "3 dB");
  EXPECT_EQ(first.form->LabelX->Caption(), QStringLiteral("X Scale"));
  Store("UD42=-30000\nCB31=1\nCB33=1\n");
  StoredWindow low;
  low.ShowAndActivate();
  EXPECT_EQ(low.form->LabelY->Caption(), "-0" + QLocale().decimalPoint() + "0 dB");
  low.Feed(std::vector<int16_t>(4096, 32767));
  EXPECT_EQ(low.form->ScopeBitmap->GetPixel(100, 199), clFuchsia);
}

// Scales stored in the file show in the labels and the trace from the first
// block: X scale 10 draws sample i + 1 at x = 5 i, Y scale -10 divides by 110.
TEST(Startup, StoredScopeScalesShowFromTheFirstBlock) {
  Store("UD41=10\nUD42=-10\nCB31=1\nCB33=1\n");
  StoredWindow w;
  w.ShowAndActivate();
  EXPECT_EQ(w.form->LabelY->Caption(), "-50" + QLocale().decimalPoint() + "3 dB");
  std::vector<int16_t> block(4096);
  block[2 * 21 + 1] = 50; // right channel, sample 21
  ASSERT_TRUE(w.audio->DeliverBlock(block));
  ProcessEvents();
  EXPECT_EQ(w.form->LabelX->Caption(), QStringLiteral("X Scale: 10"));
  EXPECT_EQ(w.form->ScopeBitmap->GetPixel(100, 145), clFuchsia);
  EXPECT_NE(w.form->ScopeBitmap->GetPixel(95, 145), clFuchsia);
}
