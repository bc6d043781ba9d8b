// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the result codes, read from the table the program shows them
// from. No sound server takes part.

#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "audio/mmErrMsg.h"
#include "platform/WaveAudio.h"

// Every row is found by its code, whatever the high 16 bits say; every other
// code gives the fallback text.
TEST(MMErrorText, EveryRowIsFoundByItsCodeAndOtherCodesFallBack) {
  std::set<uint32_t> codes;
  for (const MMErrorEntry& row : MMErrorTexts()) {
    codes.insert(row.Code);
    EXPECT_STREQ(MMErrorText(row.Code), row.Text);
    EXPECT_STREQ(MMErrorText(0xFFFF0000u | row.Code), row.Text);
  }
  EXPECT_EQ(codes.size(), 37u);
  for (uint32_t code = 0; code <= 0xFFFF; ++code)
    if (!codes.contains(code)) {
      ASSERT_STREQ(MMErrorText(code), "invalid parameter passed to error translation routine!")
          << code;
    }
}

// The texts a user meets: those of the codes the wave-audio layer returns.
TEST(MMErrorText, TextsOfTheCodesTheAudioLayerReturns) {
  const std::pair<MMRESULT, const char*> shown[] = {
      {MMSYSERR_NOERROR, "no error"},
      {MMSYSERR_ERROR, "unspecified error"},
      {MMSYSERR_BADDEVICEID, "device ID out of range"},
      {MMSYSERR_INVALHANDLE, "device handle is invalid"},
      {MMSYSERR_NOMEM, " memory allocation error"},
      {MMSYSERR_INVALPARAM, "invalid parameter passed"},
      {WAVERR_BADFORMAT, "unsupported wave format"},
      {WAVERR_STILLPLAYING, "still something playing"},
      {WAVERR_UNPREPARED, "header not prepared"},
  };
  for (const auto& [code, text] : shown)
    EXPECT_STREQ(MMErrorText(code), text) << code;
}
