// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundServerConnection.h"

#include <utility>

#include <pulse/rtclock.h>
#include <pulse/timeval.h>

#include <QCoreApplication>
#include <QGuiApplication>

#include "platform/SoundServerPathWatch.h"

namespace {

void WakeOnContextState(pa_context*, void* loop) {
  SoundServerConnection::Wake(loop);
}

struct DefaultQuery {
  DefaultQuery(pa_threaded_mainloop* loop_, bool capture_) : loop(loop_), capture(capture_) {}
  pa_threaded_mainloop* loop;
  bool capture;
  bool answered = false;
  std::string name;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
  auto* query = static_cast<DefaultQuery*>(userdata);
  if (info != nullptr) {
    const char* name = query->capture ? info->default_source_name : info->default_sink_name;
    if (name != nullptr) query->name = name;
    query->answered = true;
  }
  SoundServerConnection::Wake(query->loop);
}

struct DeviceQuery {
  pa_threaded_mainloop* loop;
  bool found = false;
};

// Called once per matching device, then once more with eol set.
void OnSourceInfo(pa_context*, const pa_source_info* info, int, void* userdata) {
  auto* query = static_cast<DeviceQuery*>(userdata);
  if (info != nullptr) query->found = true;
  SoundServerConnection::Wake(query->loop);
}

void OnSinkInfo(pa_context*, const pa_sink_info* info, int, void* userdata) {
  auto* query = static_cast<DeviceQuery*>(userdata);
  if (info != nullptr) query->found = true;
  SoundServerConnection::Wake(query->loop);
}

} // namespace

SoundServerDeadline SoundServerDeadlineFromNow(pa_usec_t timeout) {
  return pa_rtclock_now() + timeout;
}

MMRESULT CodeFromPulseError(int error) {
  switch (error) {
  case PA_ERR_NOENTITY:
  case PA_ERR_CONNECTIONREFUSED:
  case PA_ERR_CONNECTIONTERMINATED:
  case PA_ERR_TIMEOUT:
  case PA_ERR_INVALIDSERVER:
  case PA_ERR_KILLED:
  case PA_ERR_ACCESS:
  case PA_ERR_AUTHKEY:
  case PA_ERR_VERSION:
    return MMSYSERR_BADDEVICEID;
  case PA_ERR_NOTSUPPORTED:
  case PA_ERR_INVALID:
    return WAVERR_BADFORMAT;
  default:
    return MMSYSERR_ERROR;
  }
}

SoundServerConnection::SoundServerConnection(const char* appName)
    : appName_(appName != nullptr ? appName : ""),
      // The desktop entry's name is the program's id and its icon's name.
      appId_(QGuiApplication::desktopFileName().toStdString()), iconName_(appId_),
      version_(QCoreApplication::applicationVersion().toStdString()) {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ == nullptr) return;
  pa_threaded_mainloop_set_name(loop_, "audio");
  running_ = pa_threaded_mainloop_start(loop_) == 0;
}

SoundServerConnection::~SoundServerConnection() {
  if (loop_ == nullptr) return;
  if (running_) {
    {
      SoundServerLock lock(loop_);
      Drop();
      DropProbe();
      if (probeTimer_ != nullptr) pa_threaded_mainloop_get_api(loop_)->time_free(probeTimer_);
    }
    pa_threaded_mainloop_stop(loop_);
  }
  pa_threaded_mainloop_free(loop_);
}

void SoundServerConnection::Wake(void* loop) {
  pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

SoundServerConnection::Timer::Timer(SoundServerConnection& owner_, pa_context* context,
                                    SoundServerDeadline deadline)
    : owner(owner_) {
  event = pa_context_rttime_new(
      context, deadline,
      [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
        auto* timer = static_cast<Timer*>(userdata);
        timer->expired = true;
        Wake(timer->owner.loop_);
      },
      this);
  expired = event == nullptr;
}

SoundServerConnection::Timer::~Timer() {
  if (event == nullptr) return;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(owner.loop_);
  api->time_free(event);
}

void SoundServerConnection::Drop() {
  if (context_ == nullptr) return;
  pa_context_set_state_callback(context_, nullptr, nullptr);
  pa_context_unref(context_);
  context_ = nullptr;
}

MMRESULT SoundServerConnection::Connect(SoundServerDeadline deadline, pa_context** context) {
  *context = nullptr;
  if (!running_) return MMSYSERR_NOMEM;
  if (context_ != nullptr) {
    if (pa_context_get_state(context_) == PA_CONTEXT_READY) {
      *context = context_;
      return MMSYSERR_NOERROR;
    }
    Drop();
  }

  context_ = NewContext();
  if (context_ == nullptr) return MMSYSERR_NOMEM;
  pa_context_set_state_callback(context_, WakeOnContextState, loop_);
  // Never spawn a server: a missing one is a failure the window reports.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    const MMRESULT code = CodeFromPulseError(pa_context_errno(context_));
    Drop();
    return code == MMSYSERR_ERROR ? MMSYSERR_BADDEVICEID : code;
  }
  pa_context_state_t state = PA_CONTEXT_UNCONNECTED;
  const bool settled = WaitUntil(context_, deadline, [&] {
    state = pa_context_get_state(context_);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
  });
  if (!settled || state != PA_CONTEXT_READY) {
    Drop();
    return MMSYSERR_BADDEVICEID;
  }
  // The streams' paths are read again whenever a stream or device changes.
  pa_context_set_subscribe_callback(context_, OnServerEvent, this);
  const auto mask = static_cast<pa_subscription_mask_t>(
      PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK_INPUT |
      PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT);
  if (pa_operation* operation = pa_context_subscribe(context_, mask, nullptr, nullptr))
    pa_operation_unref(operation);
  *context = context_;
  return MMSYSERR_NOERROR;
}

pa_context* SoundServerConnection::NewContext() {
  pa_proplist* props = pa_proplist_new();
  Describe(props);
  pa_context* context =
      pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), appName_.c_str(), props);
  pa_proplist_free(props);
  return context;
}

void SoundServerConnection::AwaitServer(QObject* target) {
  if (!running_) return;
  awaiting_ = target;
  if (probe_ == nullptr) Probe();
}

// Any thread, lock held: one attempt, with its timeout armed.
void SoundServerConnection::Probe() {
  DropProbe();
  constexpr pa_usec_t kRetry = 250 * PA_USEC_PER_MSEC;
  probe_ = NewContext();
  if (probe_ == nullptr) return ProbeAgainIn(kRetry);
  pa_context_set_state_callback(
      probe_,
      [](pa_context* context, void* userdata) {
        auto* self = static_cast<SoundServerConnection*>(userdata);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) {
          self->DropProbe();
          if (QObject* target = std::exchange(self->awaiting_, nullptr))
            QCoreApplication::postEvent(target, new DeviceEvent(MM_SERVER_BACK, nullptr, nullptr));
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
          self->DropProbe();
          self->ProbeAgainIn(kRetry);
        }
      },
      this);
  // A missing server fails at once, inside the connect: the state callback
  // has then dropped the probe and set the retry already.
  if (pa_context_connect(probe_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    DropProbe();
    return ProbeAgainIn(kRetry);
  }
  if (probe_ != nullptr) ProbeAgainIn(kSoundServerTimeout);
}

void SoundServerConnection::DropProbe() {
  if (probe_ == nullptr) return;
  pa_context_set_state_callback(probe_, nullptr, nullptr);
  pa_context_disconnect(probe_);
  pa_context_unref(std::exchange(probe_, nullptr));
}

// The next attempt after `delay`, unless the server answers first.
void SoundServerConnection::ProbeAgainIn(pa_usec_t delay) {
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  timeval when;
  pa_timeval_add(pa_gettimeofday(&when), delay);
  if (probeTimer_ != nullptr) return api->time_restart(probeTimer_, &when);
  probeTimer_ = api->time_new(
      api, &when,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata) {
        auto* self = static_cast<SoundServerConnection*>(userdata);
        if (self->awaiting_ != nullptr) self->Probe();
      },
      this);
}

void SoundServerConnection::Unwatch(SoundServerPathWatch* watch) {
  std::erase(watches_, watch);
}

void SoundServerConnection::OnServerEvent(pa_context*, pa_subscription_event_type_t type,
                                          uint32_t index, void* self) {
  for (SoundServerPathWatch* watch : static_cast<SoundServerConnection*>(self)->watches_)
    watch->OnServerEvent(type, index);
}

void SoundServerConnection::Describe(pa_proplist* props) const {
  pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, appName_.c_str());
  for (const auto& [key, value] : {std::pair{PA_PROP_APPLICATION_ID, &appId_},
                                   {PA_PROP_APPLICATION_ICON_NAME, &iconName_},
                                   {PA_PROP_APPLICATION_VERSION, &version_}})
    if (!value->empty()) pa_proplist_sets(props, key, value->c_str());
}

bool SoundServerConnection::Await(pa_context* context, pa_operation* operation,
                                  SoundServerDeadline deadline) {
  if (operation == nullptr) return false;
  const bool finished = WaitUntil(
      context, deadline, [&] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
  if (!finished) pa_operation_cancel(operation);
  pa_operation_unref(operation);
  return finished;
}

MMRESULT SoundServerConnection::DefaultDevice(pa_context* context, bool capture,
                                              SoundServerDeadline deadline, std::string* name) {
  DefaultQuery query(loop_, capture);
  pa_operation* operation = pa_context_get_server_info(context, OnServerInfo, &query);
  if (operation == nullptr) return CodeFromPulseError(pa_context_errno(context));
  if (!Await(context, operation, deadline)) {
    Drop();
    return MMSYSERR_BADDEVICEID;
  }
  if (!query.answered || query.name.empty()) return MMSYSERR_BADDEVICEID;
  *name = std::move(query.name);
  return MMSYSERR_NOERROR;
}

MMRESULT SoundServerConnection::PickDevice(pa_context* context, bool capture,
                                           const std::string& chosen, SoundServerDeadline deadline,
                                           std::string* device, bool* fellBack) {
  *fellBack =
      !chosen.empty() && CheckDevice(context, capture, chosen, deadline) != MMSYSERR_NOERROR;
  if (chosen.empty() || *fellBack) return DefaultDevice(context, capture, deadline, device);
  *device = chosen;
  return MMSYSERR_NOERROR;
}

MMRESULT SoundServerConnection::CheckDevice(pa_context* context, bool capture,
                                            const std::string& name, SoundServerDeadline deadline) {
  DeviceQuery query{loop_};
  pa_operation* operation =
      capture ? pa_context_get_source_info_by_name(context, name.c_str(), OnSourceInfo, &query)
              : pa_context_get_sink_info_by_name(context, name.c_str(), OnSinkInfo, &query);
  if (operation == nullptr) return CodeFromPulseError(pa_context_errno(context));
  if (!Await(context, operation, deadline)) {
    Drop();
    return MMSYSERR_BADDEVICEID;
  }
  return query.found ? MMSYSERR_NOERROR : MMSYSERR_BADDEVICEID;
}
