// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency counter wired to the window: the pointer over the display
// bitmap, and the automatic counter on a block from the test device.

#include <cmath>

#include "platform/Appearance.h"
#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"
#include "views/FrequencyMath.h"

// Only the exact channel colour under the pointer updates that readout; any
// other colour greys it and keeps its text. With "Low Frq" in the amplitude
// view five columns name one bin.
TEST(FrequencyReadout, PointerReadsTheChannelColourUnderIt) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.LCnl->SetChecked(true);
  f.FFTMode->SetChecked(true);
  std::fill(f.Spectrum.SpectrumR.begin(), f.Spectrum.SpectrumR.begin() + 1025, 100.0);
  Bitmap& display = *f.DisplayBitmap;

  display.SetPixel(43, 100, clFuchsia);
  f.PointerReadout(45, 101);
  EXPECT_EQ(f.RFrq->Caption(), QStringLiteral("RFrq : 1008 Hz"));
  EXPECT_EQ(FontColorOf(f.RFrq), clFuchsia);
  EXPECT_EQ(FontColorOf(f.LFrq), clBtnShadow);

  display.SetPixel(86, 100, RGBColor(254, 0, 255));
  f.PointerReadout(88, 101);
  EXPECT_EQ(f.Spectrum.PeakBinR, 43);
  EXPECT_EQ(FontColorOf(f.RFrq), clBtnShadow);

  f.SpectralAmp->SetChecked(true); // redraws the display
  f.LFBox->SetChecked(true);
  for (const auto& [column, bin] : {std::pair{217, 43}, {219, 44}, {222, 44}}) {
    display.SetPixel(column, 100, clFuchsia); // bin k lies in column 5k: the nearest
    f.PointerReadout(column + 2, 101);
    EXPECT_EQ(f.Spectrum.PeakBinR, bin) << column;
  }
  f.AutoFrqCount->SetChecked(true); // the automatic counter has the readouts
  display.SetPixel(100, 100, clFuchsia);
  f.PointerReadout(102, 101);
  EXPECT_EQ(f.Spectrum.PeakBinR, 44);
}

// A steady tone in FFT mode: a bar at its bin, and the automatic counter
// within half a bin of it.
TEST(FrequencyReadout, FFTModeBarAndAutomaticCounter) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.AutoFrqCount->SetChecked(true);
  f.FFTMode->SetChecked(true);
  w.Feed(MakeBlock([](int) { return int16_t{0}; },
                   [](int n) {
                     return static_cast<int16_t>(
                         std::lround(16000.0 * std::sin(2 * M_PI * 1000.0 * n / 48000.0)));
                   }));
  EXPECT_EQ(f.DisplayBitmap->GetPixel(43, 491), clFuchsia);
  EXPECT_EQ(f.DisplayBitmap->GetPixel(300, 491), clBlack);
  const auto hz = InterpolatedFrequency(f.Spectrum.SpectrumR, 43);
  ASSERT_TRUE(hz);
  EXPECT_NEAR(*hz, 1000.0, 11.7);
  EXPECT_EQ(f.RFrq->Caption(), FrequencyCaption('R', *hz).ToString());
}
