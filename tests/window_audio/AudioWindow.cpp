// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioWindow.h"

AudioWindow::AudioWindow() : TForm1(CreateSoundServerAudio("Veltrano")) {
  clock_.start();
}

bool AudioWindow::event(QEvent* e) {
  const auto* device = dynamic_cast<DeviceEvent*>(e);
  // Only a block of the current device while recording reaches WimData's work.
  const bool block = device != nullptr && device->Message == MM_WIM_DATA && Capture.Recording &&
                     Streams.Input() != nullptr && device->Device == Streams.Input();
  if (device != nullptr && device->Message == MM_WIM_DATA) ++dataEvents;
  if (block) lostFrames += device->LostFrames;
  int header = -1;
  if (block) {
    for (size_t i = 0; i < Capture.InHeaders.size(); ++i)
      if (Capture.InHeaders[i] == device->Header) header = static_cast<int>(i);
  }
  const bool result = TForm1::event(e);
  if (block) {
    HandledBlock handled{Elapsed(),
                         header,
                         Levels.PeakL,
                         Levels.PeakR,
                         Llevel->Caption(),
                         Rlevel->Caption(),
                         Capture.BlockGap,
                         {},
                         {}};
    if (keepSamples) {
      // Row 1 is the left channel, row 0 the right.
      handled.left.assign(Samples.Rows[1].begin(), Samples.Rows[1].end());
      handled.right.assign(Samples.Rows[0].begin(), Samples.Rows[0].end());
    }
    blocks.push_back(std::move(handled));
  }
  return result;
}
