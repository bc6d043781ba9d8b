// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundServerStream.h"

#include <QCoreApplication>

SoundServerStream::SoundServerStream(SoundServerConnection& link, QObject* target,
                                     Messages messages)
    : link_(link), target_(target), messages_(messages) {}

SoundServerStream::~SoundServerStream() {
  Detach();
}

void SoundServerStream::Detach() {
  if (watch_ != nullptr) {
    link_.Unwatch(watch_.get());
    watch_.reset();
  }
  if (stream_ != nullptr) {
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_moved_callback(stream_, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_ != nullptr) {
    pa_context_unref(context_);
    context_ = nullptr;
  }
}

MMRESULT SoundServerStream::Open(const pa_sample_spec& sampleSpec, const std::string& chosen,
                                 SoundServerDeadline deadline, bool* fellBack) {
  sampleSpec_ = sampleSpec;
  pa_context* context = nullptr;
  MMRESULT code = link_.Connect(deadline, &context);
  if (code != MMSYSERR_NOERROR) return code;
  std::string device;
  code = link_.PickDevice(context, Capture(), chosen, deadline, &device, fellBack);
  if (code != MMSYSERR_NOERROR) return code;
  context_ = pa_context_ref(context);

  pa_channel_map map;
  pa_channel_map_init_extend(&map, sampleSpec.channels, PA_CHANNEL_MAP_WAVEEX);
  const char* name = Capture() ? "Input from the sound card" : "Generator to the sound card";
  pa_proplist* props = pa_proplist_new();
  link_.Describe(props);
  pa_proplist_sets(props, PA_PROP_MEDIA_NAME, name);
  // A measuring tool: the desktop must neither duck nor cork it for a call.
  pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "production");
  stream_ = pa_stream_new_with_proplist(context_, name, &sampleSpec_, &map, props);
  pa_proplist_free(props);
  if (stream_ == nullptr) {
    code = CodeFromPulseError(pa_context_errno(context_));
    Detach();
    return code;
  }
  pa_stream_set_state_callback(stream_, OnState, this);
  if (Connect(stream_, device.c_str()) < 0) {
    code = CodeFromPulseError(pa_context_errno(context_));
    Detach();
    return code;
  }
  pa_stream_state_t state = PA_STREAM_UNCONNECTED;
  const bool settled = link_.WaitUntil(context_, deadline, [&] {
    state = pa_stream_get_state(stream_);
    return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
  });
  if (!settled) {
    // A server that does not answer in time is not trusted again: the next
    // call connects afresh.
    Detach();
    link_.Drop();
    return MMSYSERR_BADDEVICEID;
  }
  if (state != PA_STREAM_READY) {
    code = CodeFromPulseError(pa_context_errno(context_));
    Detach();
    return code;
  }
  if (!MakeTransparent(deadline)) {
    Detach();
    link_.Drop();
    return MMSYSERR_BADDEVICEID;
  }
  ready_ = true;
  watch_ = std::make_unique<SoundServerPathWatch>(context_, stream_, Capture(), target_);
  link_.Watch(watch_.get());
  // PipeWire may report a move before the stream is on its new device; the
  // stream's own notice of the move comes once it is.
  pa_stream_set_moved_callback(
      stream_,
      [](pa_stream*, void* watch) { static_cast<SoundServerPathWatch*>(watch)->Inspect(); },
      watch_.get());
  watch_->Inspect();
  return MMSYSERR_NOERROR;
}

// The server may restore a volume or mute it remembers for the program; a
// measurement starts at 100 % and unmuted, before the first sample flows.
bool SoundServerStream::MakeTransparent(SoundServerDeadline deadline) {
  pa_cvolume volume;
  pa_cvolume_set(&volume, sampleSpec_.channels, PA_VOLUME_NORM);
  const uint32_t index = pa_stream_get_index(stream_);
  pa_threaded_mainloop* loop = link_.Loop();
  const auto wake = [](pa_context*, int, void* userdata) { SoundServerConnection::Wake(userdata); };
  pa_operation* setVolume =
      Capture() ? pa_context_set_source_output_volume(context_, index, &volume, wake, loop)
                : pa_context_set_sink_input_volume(context_, index, &volume, wake, loop);
  pa_operation* unmute = Capture()
                             ? pa_context_set_source_output_mute(context_, index, 0, wake, loop)
                             : pa_context_set_sink_input_mute(context_, index, 0, wake, loop);
  const bool volumeSet = link_.Await(context_, setVolume, deadline);
  return link_.Await(context_, unmute, deadline) && volumeSet;
}

std::string SoundServerStream::DeviceName() const {
  if (stream_ == nullptr || lost_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return {};
  const char* name = pa_stream_get_device_name(stream_);
  return name != nullptr ? name : std::string();
}

void SoundServerStream::MoveTo(const std::string& chosen, SoundServerDeadline deadline) {
  std::string device = chosen;
  if (lost_ || (chosen.empty() &&
                link_.DefaultDevice(context_, Capture(), deadline, &device) != MMSYSERR_NOERROR))
    return;
  const uint32_t index = pa_stream_get_index(stream_);
  pa_operation* operation =
      Capture()
          ? pa_context_move_source_output_by_name(context_, index, device.c_str(), nullptr, nullptr)
          : pa_context_move_sink_input_by_name(context_, index, device.c_str(), nullptr, nullptr);
  if (operation != nullptr) pa_operation_unref(operation);
}

// A failure after the open is reported once; the queued buffers stay with the
// device until the owner resets it.
void SoundServerStream::OnState(pa_stream* stream, void* userdata) {
  auto* self = static_cast<SoundServerStream*>(userdata);
  SoundServerConnection::Wake(self->link_.Loop());
  if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) || !self->ready_ || self->lost_) return;
  self->lost_ = true;
  self->OnLost();
  self->Post(self->messages_.lost, nullptr, MMSYSERR_BADDEVICEID);
}

void SoundServerStream::Enqueue(WAVEHDR* header) {
  header->lpNext = nullptr;
  header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
  if (tail_ != nullptr)
    tail_->lpNext = header;
  else
    head_ = header;
  tail_ = header;
}

WAVEHDR* SoundServerStream::Dequeue() {
  WAVEHDR* header = head_;
  if (header == nullptr) return nullptr;
  head_ = header->lpNext;
  if (head_ == nullptr) tail_ = nullptr;
  header->lpNext = nullptr;
  return header;
}

void SoundServerStream::Finish(WAVEHDR* header, uint32_t lostFrames, bool gap) {
  header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
  Post(messages_.done, header, MMSYSERR_NOERROR, lostFrames, gap);
}

void SoundServerStream::ReturnAll() {
  while (WAVEHDR* header = Dequeue())
    Finish(header);
}

void SoundServerStream::Post(uint32_t message, WAVEHDR* header, MMRESULT code, uint32_t lostFrames,
                             bool gap) {
  if (target_ == nullptr) return;
  auto* event = new DeviceEvent(message, handle_, header, code);
  event->LostFrames = lostFrames;
  event->Gap = gap;
  QCoreApplication::postEvent(target_, event);
}
