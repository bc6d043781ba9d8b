// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window of the tests on the real sound server, with a log of the
// blocks it handled. Waiting, servers, player and recorder come from the
// shared sound-server helpers.

#include <cstdint>
#include <vector>

#include <QElapsedTimer>
#include <QString>

#include "app/Main.h"
#include "tests/pulse/PulseTestSupport.h"

// One capture block that WimData handled while recording.
struct HandledBlock {
  qint64 ms;  // when it was handled, since the window was made
  int header; // which of the four capture buffers carried it (0..3), -1 if none
  int32_t peakL, peakR;
  QString llevel, rlevel;           // the readouts after the block
  bool gap;                         // the window was told it holds lost input
  std::vector<int16_t> left, right; // the sample rows, when keepSamples is set
};

// The main window on the sound-server audio layer ("Veltrano"), logging every
// capture block its handler processed. GUI thread only.
class AudioWindow : public TForm1 {
public:
  AudioWindow();
  qint64 Elapsed() const { return clock_.elapsed(); }
  // Blocks handled so far; with keepSamples each keeps a copy of both rows.
  std::vector<HandledBlock> blocks;
  bool keepSamples = false;
  // Every MM_WIM_DATA that reached the window, handled or not.
  size_t dataEvents = 0;
  // Input frames the blocks handled said were lost before them.
  uint64_t lostFrames = 0;

protected:
  bool event(QEvent* e) override;

private:
  QElapsedTimer clock_;
};
