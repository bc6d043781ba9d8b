// SPDX-License-Identifier: GPL-3.0-or-later
// A whole card report of the default run through a simulated card (a little
// roll-off at both ends, noise, distortion and crosstalk), written as HTML or
// JSON to standard output, for the validators that check the writers' output.
#include <cstdio>
#include <cstring>
#include <string>

#include "CardDevice.h"

int main(int argc, char** argv) {
  const bool json = argc > 1 && std::strcmp(argv[1], "json") == 0;
  constexpr double Rate = 48000;
  card_test::Device card;
  card.Delay = 480;
  card.Filters = {card_test::Pass(8, 0.7, Rate, true), card_test::Pass(21000, 0.7, Rate, false)};
  card.C3 = 3e-5;
  card.NoiseRms = 1e-5;
  card.LeftIntoRight = 3e-5;
  card.RightIntoLeft = 2e-5;
  measure::CardReport report;
  report.Conditions = {{"program", "program", "card_sample"},
                       {"device", "device under test", "a simulated card <of known answers>"},
                       {"format", "format", measure::FormatName(card.Format)},
                       {"rate_hz", "rate", "48000 Hz"},
                       {"level_dbfs", "level", "-1 dBFS"}};
  double latency = 0;
  for (const measure::CardTest& test : measure::CardTests()) {
    const measure::TestSignal signal = test.Make(Rate, -1);
    const auto captured = card_test::Play(signal, card);
    report.Sections.push_back(test.Analyse(captured.View(Rate, latency), signal));
    if (const auto found = measure::LatencyFrames(report.Sections.back())) latency = *found;
  }
  const std::string text = json ? measure::CardJson(report) : measure::CardHtml(report);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
