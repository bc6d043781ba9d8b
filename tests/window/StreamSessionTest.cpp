// SPDX-License-Identifier: GPL-3.0-or-later
// The stream session over the in-process device: a notification of a device
// the session let go never passes for one of the device it drives now, even
// when it arrives after the next device opened. (The input's close and its
// timeout are the window's capture tests'.)

#include <gtest/gtest.h>

#include <vector>

#include <QObject>

#include "audio/StreamSession.h"
#include "tests/support/EventPump.h"
#include "tests/support/FakeWaveAudio.h"

namespace {

using Event = StreamSession::Event;

// Hands every notification to the session and keeps what it made of it.
class Owner : public QObject {
public:
  explicit Owner(FakeWaveAudio& audio) : session(audio, this) {}
  bool event(QEvent* e) override {
    const auto* device = dynamic_cast<DeviceEvent*>(e);
    if (device == nullptr) return QObject::event(e);
    said.push_back(session.Take(*device));
    return true;
  }
  StreamSession session;
  std::vector<Event> said;
};

struct Buffer {
  explicit Buffer(uint32_t bytes) : samples(bytes) {
    header.lpData = samples.data();
    header.dwBufferLength = bytes;
  }
  std::vector<char> samples;
  WAVEHDR header{};
};

TEST(StreamSession, TheBuffersAndCloseOfAReleasedOutputNeverReachTheNextOne) {
  FakeWaveAudio audio;
  Owner owner(audio);
  Buffer first(48000), second(48000);
  ASSERT_EQ(owner.session.OpenOutput(), MMSYSERR_NOERROR);
  ASSERT_EQ(owner.session.Write(&first.header), MMSYSERR_NOERROR);
  owner.session.ReleaseOutput();
  // The next device opens before the first one's notifications are handled.
  ASSERT_EQ(owner.session.OpenOutput(), MMSYSERR_NOERROR);
  ASSERT_EQ(owner.session.Write(&second.header), MMSYSERR_NOERROR);
  ASSERT_TRUE(audio.PlayNext());
  ProcessEvents(50);
  // The first's open, its returned buffer; its close; the second's open and
  // its played buffer.
  EXPECT_EQ(owner.said, (std::vector<Event>{Event::Stale, Event::Stale, Event::OutputClosed,
                                            Event::OutputOpen, Event::OutputDone}));
  EXPECT_EQ(owner.session.Output() != nullptr, true);
  owner.session.ReleaseOutput();
  ProcessEvents(50);
  EXPECT_EQ(owner.said.back(), Event::OutputClosed);
  EXPECT_TRUE(owner.session.Idle());
}

} // namespace
