// The frequency counter and the graphs that feed it, driven through the
// window: blocks from the test device, the pointer over the display bitmap.

#include <cmath>

#include "platform/Appearance.h"
#include "tests/window/DeviceWindow.h"
#include "views/FrequencyMath.h"

namespace {

// A sine of the given frequency and amplitude on the right channel only.
std::vector<int16_t> RightTone(double hz, double amplitude) {
  return MakeBlock([](int) { return int16_t{0}; },
                   [=](int n) {
                     return static_cast<int16_t>(
                         std::lround(amplitude * std::sin(2 * M_PI * hz * n / 48000.0)));
                   });
}

void SelectChannels(TForm1& f, bool right, bool left) {
  f.RCnl->SetChecked(right);
  f.LCnl->SetChecked(left);
}

} // namespace

// Only an exact channel colour under the pointer updates that channel's
// readout; anything else greys it and keeps its text.
TEST(FrequencyReadout, PointerReadsTheChannelColourUnderIt) {
  DeviceWindow w;
  TForm1& f = *w.form;
  SelectChannels(f, true, true);
  f.FFTMode->SetChecked(true);
  for (int k = 0; k <= 1024; ++k) {
    f.Spectrum.SpectrumR[static_cast<size_t>(k)] = 100.0;
    f.Spectrum.SpectrumL[static_cast<size_t>(k)] = 100.0;
  }
  Bitmap& display = *f.DisplayBitmap;

  display.SetPixel(43, 100, clFuchsia);
  f.PointerReadout(45, 101);
  EXPECT_EQ(f.Spectrum.PeakBinR, 43);
  EXPECT_EQ(f.RFrq->Caption(), QStringLiteral("RFrq : 1008 Hz"));
  EXPECT_EQ(FontColorOf(f.RFrq), clFuchsia);
  EXPECT_EQ(FontColorOf(f.LFrq), clBtnShadow);

  display.SetPixel(86, 100, clAqua);
  f.PointerReadout(88, 101);
  EXPECT_EQ(f.LFrq->Caption(), QStringLiteral("LFrq : 2016 Hz"));
  EXPECT_EQ(FontColorOf(f.LFrq), clAqua);
  EXPECT_EQ(FontColorOf(f.RFrq), clBtnShadow);

  display.SetPixel(129, 100, RGBColor(254, 0, 255));
  f.PointerReadout(131, 101);
  EXPECT_EQ(f.Spectrum.PeakBinR, 43);
  EXPECT_EQ(f.RFrq->Caption(), QStringLiteral("RFrq : 1008 Hz"));
  EXPECT_EQ(FontColorOf(f.RFrq), clBtnShadow);
  EXPECT_EQ(FontColorOf(f.LFrq), clBtnShadow);

  // "Low Frq" in the amplitude view draws bin k in column 5k.
  f.SpectralAmp->SetChecked(true);
  f.LFBox->SetChecked(true);
  display.SetPixel(215, 100, clFuchsia);
  f.PointerReadout(217, 101);
  EXPECT_EQ(f.Spectrum.PeakBinR, 43);

  // Off in the spectrogram, below the display, and while the automatic
  // counter runs.
  f.Spectrum.PeakBinR = 7;
  f.SpectralAmp->SetChecked(false);
  f.FFTMode->SetChecked(false);
  f.PointerReadout(217, 101);
  f.FFTMode->SetChecked(true);
  f.PointerReadout(217, 494);
  f.AutoFrqCount->SetChecked(true);
  f.PointerReadout(217, 101);
  EXPECT_EQ(f.Spectrum.PeakBinR, 7);
  f.Stopped = true;
  display.SetPixel(43, 100, clFuchsia); // the mode switches redrew the display
  f.PointerReadout(45, 101);
  EXPECT_EQ(f.Spectrum.PeakBinR, 43);
}

// The channel switches colour the channel letters and grey the readouts of
// channels that are off.
TEST(FrequencyReadout, ChannelSwitchesColourTheLabels) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.AutoFrqCount->SetChecked(true);
  SetFontColor(f.RFrq, clFuchsia);
  SetFontColor(f.LFrq, clAqua);
  SelectChannels(f, true, false);
  EXPECT_TRUE(f.AnyChannel);
  EXPECT_EQ(FontColorOf(f.RFrq), clFuchsia);
  EXPECT_EQ(FontColorOf(f.LFrq), clBtnShadow);
  EXPECT_EQ(FontColorOf(f.LabelR), clWhite);
  EXPECT_EQ(FontColorOf(f.LabelL), clBtnShadow);
}

// In FFT mode a steady tone stands as a bar at its bin, and the automatic
// counter reads it within half a bin.
TEST(FrequencyReadout, FFTModeBarAndAutomaticCounter) {
  DeviceWindow w;
  TForm1& f = *w.form;
  SelectChannels(f, true, false);
  f.AutoFrqCount->SetChecked(true);
  f.FFTMode->click();
  w.Feed(RightTone(1000.0, 16000.0));

  const Bitmap& display = *f.DisplayBitmap;
  EXPECT_EQ(f.Spectrum.PeakBinR, 43);
  EXPECT_EQ(display.GetPixel(43, 491), clFuchsia);
  EXPECT_EQ(display.GetPixel(300, 491), clBlack);
  EXPECT_EQ(display.GetPixel(0, 493), clWhite);
  const auto hz = InterpolatedFrequency(f.Spectrum.SpectrumR, 43);
  ASSERT_TRUE(hz);
  EXPECT_NEAR(*hz, 1000.0, 11.7);
  EXPECT_EQ(f.RFrq->Caption(), FrequencyCaption('R', *hz));
  EXPECT_EQ(FontColorOf(f.RFrq), clFuchsia);
}

// "Sp. Amp" plots the block's peak level at its strongest bin, five columns
// per bin with "Low Frq"; "RESET" while STOP is down shows the empty
// background at once.
TEST(FrequencyReadout, AmplitudeTracePlotsThePeak) {
  DeviceWindow w;
  TForm1& f = *w.form;
  SelectChannels(f, true, false);
  f.DotMode->SetChecked(true);
  f.dB30->SetChecked(true);
  f.SpectralAmp->click();
  w.Feed(RightTone(1000.0, 32767.0));
  EXPECT_EQ(f.DisplayBitmap->GetPixel(43, 15), clFuchsia);

  f.LFBox->click();
  w.Feed(RightTone(1000.0, 3276.0));
  EXPECT_EQ(f.DisplayBitmap->GetPixel(43, 15), ColorToRGB(clBtnShadow));
  EXPECT_EQ(f.DisplayBitmap->GetPixel(215, 322), clFuchsia);

  f.BtnStop->click();
  ASSERT_TRUE(f.Stopped);
  f.BtnResetClick(f.BtnReset);
  EXPECT_EQ(f.DisplayBitmap->GetPixel(215, 322), clBlack);
  EXPECT_EQ(f.Amp.AmpPrevR, QPoint(0, 492));
}
