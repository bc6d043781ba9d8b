// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundServerPathWatch.h"

#include <cstdio>
#include <type_traits>
#include <utility>

#include <QCoreApplication>

#include "platform/PrintableText.h"
#include "platform/WaveAudio.h"

namespace {

// Bits of a sample the format keeps exactly (a float's mantissa).
int ExactBits(pa_sample_format_t format) {
  switch (format) {
  case PA_SAMPLE_S16LE:
  case PA_SAMPLE_S16BE:
    return 16;
  case PA_SAMPLE_FLOAT32LE:
  case PA_SAMPLE_FLOAT32BE:
  case PA_SAMPLE_S24LE:
  case PA_SAMPLE_S24BE:
  case PA_SAMPLE_S24_32LE:
  case PA_SAMPLE_S24_32BE:
    return 24;
  case PA_SAMPLE_S32LE:
  case PA_SAMPLE_S32BE:
    return 32;
  default:
    return 8;
  }
}

double Percent(const pa_cvolume& volume) {
  return 100.0 * pa_cvolume_avg(&volume) / PA_VOLUME_NORM;
}

} // namespace

SoundServerPathWatch::SoundServerPathWatch(pa_context* context, pa_stream* stream, bool capture,
                                           QObject* target)
    : context_(context), stream_(stream), capture_(capture), target_(target) {
  reading_.Input = capture;
}

SoundServerPathWatch::~SoundServerPathWatch() {
  if (pending_ == nullptr) return;
  pa_operation_cancel(pending_);
  pa_operation_unref(pending_);
}

void SoundServerPathWatch::OnServerEvent(pa_subscription_event_type_t type, uint32_t index) {
  const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  const auto device = capture_ ? PA_SUBSCRIPTION_EVENT_SOURCE : PA_SUBSCRIPTION_EVENT_SINK;
  if (facility == device && index == device_ &&
      (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE)
    deviceRemoved_ = true;
  Inspect();
}

void SoundServerPathWatch::Inspect() {
  if (pending_ != nullptr) {
    again_ = true;
    return;
  }
  const uint32_t index = pa_stream_get_index(stream_);
  if (index == PA_INVALID_INDEX) return;
  pending_ = capture_ ? pa_context_get_source_output_info(
                            context_, index,
                            [](pa_context*, const pa_source_output_info* info, int, void* self) {
                              static_cast<SoundServerPathWatch*>(self)->TakeStream(info);
                            },
                            this)
                      : pa_context_get_sink_input_info(
                            context_, index,
                            [](pa_context*, const pa_sink_input_info* info, int, void* self) {
                              static_cast<SoundServerPathWatch*>(self)->TakeStream(info);
                            },
                            this);
}

// Called once with the stream, then once more with null at the end.
template <class Info> void SoundServerPathWatch::TakeStream(const Info* info) {
  if (info != nullptr) {
    reading_.StreamAtFull = pa_cvolume_channels_equal_to(&info->volume, PA_VOLUME_NORM) != 0;
    reading_.StreamPercent = Percent(info->volume);
    reading_.StreamMuted = info->mute != 0;
    reading_.StreamRate = info->sample_spec.rate;
    reading_.StreamBits = ExactBits(info->sample_spec.format);
    if constexpr (std::is_same_v<Info, pa_source_output_info>)
      nextDevice_ = info->source;
    else
      nextDevice_ = info->sink;
    return;
  }
  pa_operation_unref(std::exchange(pending_, nullptr));
  if (nextDevice_ == PA_INVALID_INDEX) return Finish();
  pending_ = capture_ ? pa_context_get_source_info_by_index(
                            context_, nextDevice_,
                            [](pa_context*, const pa_source_info* info, int, void* self) {
                              static_cast<SoundServerPathWatch*>(self)->TakeDevice(info);
                            },
                            this)
                      : pa_context_get_sink_info_by_index(
                            context_, nextDevice_,
                            [](pa_context*, const pa_sink_info* info, int, void* self) {
                              static_cast<SoundServerPathWatch*>(self)->TakeDevice(info);
                            },
                            this);
}

template <class Info> void SoundServerPathWatch::TakeDevice(const Info* info) {
  if (info != nullptr) {
    reading_.DeviceAtFull = pa_cvolume_channels_equal_to(&info->volume, PA_VOLUME_NORM) != 0;
    reading_.DevicePercent = Percent(info->volume);
    reading_.DeviceMuted = info->mute != 0;
    reading_.DeviceRate = info->sample_spec.rate;
    reading_.DeviceBits = ExactBits(info->sample_spec.format);
    // The stream left its device: the user moved it, or the server did when
    // the device went away. Said once.
    if (device_ != PA_INVALID_INDEX && info->index != device_) {
      const char* kind = capture_ ? "source" : "sink";
      const std::string gone = deviceRemoved_ ? "the " + std::string(kind) + " '" +
                                                    TerminalText(deviceName_) + "' was removed; "
                                              : "";
      std::fprintf(stderr, "veltrano: %sthe %s now %s the %s '%s'\n", gone.c_str(),
                   capture_ ? "input" : "output", capture_ ? "comes from" : "goes to", kind,
                   TerminalText(info->name).c_str());
    }
    device_ = info->index;
    deviceName_ = info->name;
    deviceRemoved_ = false;
    return;
  }
  pa_operation_unref(std::exchange(pending_, nullptr));
  Finish();
}

void SoundServerPathWatch::Finish() {
  std::vector<std::string> findings = PathFindings(reading_);
  if (!reported_ || findings != findings_) {
    reported_ = true;
    findings_ = findings;
    if (target_ != nullptr)
      QCoreApplication::postEvent(target_, new PathEvent(capture_, std::move(findings)));
  }
  if (std::exchange(again_, false)) Inspect();
}
