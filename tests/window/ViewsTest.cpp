// The spectrum analyser and the oscilloscope in the window: what a captured
// block draws, scales loaded at start, and rescaling while STOP is down.

#include <cmath>
#include <numbers>

#include <QDir>
#include <QLocale>

#include "tests/window/DeviceWindow.h"

namespace {

void Store(const char* values) {
  QDir().mkpath(ConfigHome() + QStringLiteral("/Zenko"));
  QFile file(SettingsFile());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("[Veltrano]\n");
  file.write(values);
}

// A window created from the stored values, shown and activated.
struct StoredWindow {
  explicit StoredWindow(const char* values) {
    Store(values);
    ClearMessages();
    form.reset(new TForm1(std::unique_ptr<WaveAudio>(audio)));
    form->show();
    form->activateWindow();
    ProcessEvents(20);
  }
  void Feed(const std::vector<int16_t>& interleaved) {
    ASSERT_TRUE(audio->DeliverBlock(interleaved));
    ProcessEvents();
  }
  FakeWaveAudio* audio = new FakeWaveAudio; // owned by form
  std::unique_ptr<TForm1> form;
};

// A sine of 20000 on bin 128 (3 kHz, 16 samples per period) in the right channel; silence on the
// left.
std::vector<int16_t> ToneBlock() {
  return MakeBlock([](int) { return int16_t{0}; },
                   [](int f) {
                     return static_cast<int16_t>(
                         std::lround(20000 * std::sin(std::numbers::pi * f / 8)));
                   });
}

} // namespace

// The scales stored in the settings file show in the labels and in the trace
// from the first block: X scale 10 draws sample i + 1 at x = 5 i, Y scale -10
// divides by 110.
TEST(Views, StoredScalesShowFromTheFirstBlock) {
  StoredWindow w("UD41=10\nUD42=-10\nCB31=1\nCB33=1\n");
  EXPECT_EQ(w.form->LabelY->Caption(), "-50" + QLocale().decimalPoint() + "3 dB");
  w.Feed(MakeBlock([](int) { return int16_t{0}; },
                   [](int f) { return static_cast<int16_t>(f == 21 ? 50 : 0); }));
  EXPECT_EQ(w.form->LabelX->Caption(), QStringLiteral("X Scale: 10"));
  const Bitmap& scope = *w.form->ScopeBitmap;
  EXPECT_EQ(scope.GetPixel(100, 145), clFuchsia);
  EXPECT_NE(scope.GetPixel(95, 145), clFuchsia);
  EXPECT_EQ(scope.GetPixel(50, 100), clFuchsia);
}

// Each block adds a stripe of Speed columns with the tone on its row; while
// STOP is down blocks draw nothing, and stepping ScopeXW redraws the frozen
// block, with the new scale once the button is released.
TEST(Views, BlocksDrawUntilStopAndTheScopeRescalesWhileStopped) {
  StoredWindow w("CB31=1\nCB33=1\nCB15=1\nUD28=5\nUD41=25\nUD42=-181\n");
  w.Feed(ToneBlock());
  const Bitmap& display = *w.form->DisplayBitmap;
  const int toneRow = 512 - 64; // bin 128 at 46.875 Hz per row
  for (int x = 1006; x <= 1010; ++x) {
    EXPECT_EQ(display.GetPixel(x, toneRow), clWhite) << x;
    EXPECT_EQ(display.GetPixel(x, 100), display.GetPixel(1010, 100)) << x;
  }
  EXPECT_EQ(display.GetPixel(1005, toneRow), clBlack);
  EXPECT_EQ(display.GetPixel(1010, 100), clBlack);

  w.form->BtnStop->click();
  ASSERT_TRUE(w.form->Stopped);
  const QImage picture = display.Image().copy();
  const QImage trace = w.form->ScopeBitmap->Image().copy();
  w.Feed(MakeBlock([](int) { return int16_t{0}; }, [](int) { return int16_t{0}; }));
  EXPECT_EQ(display.Image(), picture);
  EXPECT_EQ(w.form->ScopeBitmap->Image(), trace);

  ASSERT_TRUE(w.form->ScopeXW->isEnabled());
  w.form->ScopeXW->Step(+25); // to 50; the changing event still sees 25
  EXPECT_EQ(w.form->ScopeBitmap->Image(), trace);
  w.form->ScopeXWMouseUp(w.form->ScopeXW, Qt::LeftButton, {}, 0, 0);
  EXPECT_EQ(w.form->LabelX->Caption(), QStringLiteral("X Scale: 50"));
  // At scale 50 the points lie 45 pixels apart: sample 2, 14142, at y = 100 + 43.
  EXPECT_NE(w.form->ScopeBitmap->Image(), trace);
  EXPECT_EQ(w.form->ScopeBitmap->GetPixel(45, 143), clFuchsia);
}
