// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundServerDevices.h"

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include "platform/PrintableText.h"

namespace {

constexpr pa_usec_t kTimeout = 2 * PA_USEC_PER_SEC;

struct Listing {
  std::vector<SoundDevice>* devices;
  bool done = false;
};

template <class Info> void Collect(const Info* info, int eol, void* userdata) {
  auto* listing = static_cast<Listing*>(userdata);
  if (eol != 0) {
    listing->done = true;
    return;
  }
  listing->devices->push_back({info->name, info->description ? info->description : info->name});
}

// One connection on a private main loop, freed with it.
class ShortConnection {
public:
  ShortConnection() : loop_(pa_mainloop_new()) {}
  ~ShortConnection() {
    if (context_ != nullptr) {
      pa_context_disconnect(context_);
      pa_context_unref(context_);
    }
    pa_mainloop_free(loop_);
  }
  ShortConnection(const ShortConnection&) = delete;
  ShortConnection& operator=(const ShortConnection&) = delete;

  // Turns the loop until done() holds or the deadline passes.
  template <class Done> bool RunUntil(Done done) {
    while (!done()) {
      if (pa_rtclock_now() > deadline_ || pa_mainloop_iterate(loop_, 1, nullptr) < 0) return false;
    }
    return true;
  }

  pa_context* Connect() {
    context_ = pa_context_new(pa_mainloop_get_api(loop_), "Veltrano");
    if (context_ == nullptr ||
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
      return nullptr;
    // A wake-up at the deadline, so that a silent server cannot hold the loop.
    pa_context_rttime_new(
        context_, deadline_ + 1, [](pa_mainloop_api*, pa_time_event*, const timeval*, void*) {},
        nullptr);
    pa_context_state_t state = PA_CONTEXT_UNCONNECTED;
    const bool settled = RunUntil([&] {
      state = pa_context_get_state(context_);
      return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    return settled && state == PA_CONTEXT_READY ? context_ : nullptr;
  }

private:
  pa_mainloop* loop_;
  pa_context* context_ = nullptr;
  pa_usec_t deadline_ = pa_rtclock_now() + kTimeout;
};

} // namespace

bool ListSoundDevices(bool capture, std::vector<SoundDevice>* devices, std::string* error) {
  ShortConnection connection;
  pa_context* context = connection.Connect();
  if (context == nullptr) {
    *error = "the sound server cannot be reached";
    return false;
  }
  Listing listing{devices};
  pa_operation* operation = capture ? pa_context_get_source_info_list(
                                          context,
                                          [](pa_context*, const pa_source_info* info, int eol,
                                             void* userdata) { Collect(info, eol, userdata); },
                                          &listing)
                                    : pa_context_get_sink_info_list(
                                          context,
                                          [](pa_context*, const pa_sink_info* info, int eol,
                                             void* userdata) { Collect(info, eol, userdata); },
                                          &listing);
  const bool answered = operation != nullptr && connection.RunUntil([&] { return listing.done; });
  if (operation != nullptr) pa_operation_unref(operation);
  if (!answered) *error = "the sound server did not list its devices in time";
  return answered;
}

int CheckSoundDevice(bool capture, const std::string& name, std::string* message) {
  std::vector<SoundDevice> devices;
  std::string error;
  if (!ListSoundDevices(capture, &devices, &error)) {
    *message = error + ", so '" + TerminalText(name) + "' cannot be looked up";
    return 1;
  }
  std::string names;
  for (const SoundDevice& device : devices) {
    if (device.Name == name) return 0;
    names += "\n  " + TerminalText(device.Name) + "  (" + TerminalText(device.Description) + ")";
  }
  *message = std::string("the sound server has no ") + (capture ? "source" : "sink") + " named '" +
             TerminalText(name) + "'; its " + (capture ? "sources" : "sinks") +
             " are:" + (names.empty() ? "\n  (none)" : names);
  return 2;
}
