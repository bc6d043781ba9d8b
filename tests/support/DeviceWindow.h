// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window on the in-process device, as the window tests hold it:
// made from fresh defaults or from the settings the test stored, with helpers
// that feed blocks, play buffers, activate and close it.

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <QFile>

#include "app/Main.h"
#include "tests/support/FakeWaveAudio.h"
#include "tests/support/WindowTest.h"

struct DeviceWindow {
  // What the window starts from: the defaults (the settings file is removed
  // and the recorded messages cleared first), or the settings file as the
  // test left it.
  enum class Settings { Defaults, Stored };

  // setup runs on the device before the window opens the capture stream.
  explicit DeviceWindow(const std::function<void(FakeWaveAudio&)>& setup = {},
                        Settings settings = Settings::Defaults) {
    if (settings == Settings::Defaults) {
      QFile::remove(SettingsFile());
      ClearMessages();
    }
    if (setup) setup(*audio);
    form.reset(new TForm1(std::unique_ptr<WaveAudio>(audio)));
  }
  explicit DeviceWindow(Settings settings) : DeviceWindow({}, settings) {}

  // Feeds one capture block and lets the window handle it.
  void Feed(const std::vector<int16_t>& interleaved) {
    ASSERT_TRUE(audio->DeliverBlock(interleaved)) << "no capture buffer was queued";
    ProcessEvents();
  }
  // Plays the buffer at the head of the output queue and lets the window refill it.
  void Play() {
    ASSERT_TRUE(audio->PlayNext()) << "no output buffer was queued";
    ProcessEvents();
  }
  // Shows the window and lets it become the active one.
  void ShowAndActivate() {
    form->show();
    form->activateWindow();
    ProcessEvents(20);
  }
  // Closes the window as the user does; the settings are written.
  void Close() { ASSERT_TRUE(form->close()); }

  FakeWaveAudio* audio = new FakeWaveAudio; // owned by form
  std::unique_ptr<TForm1> form;
};

// A window made from the settings file the test stored.
struct StoredWindow : DeviceWindow {
  StoredWindow() : DeviceWindow(Settings::Stored) {}
};
