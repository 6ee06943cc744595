#include "host_support/host_callback.h"

#include <chrono>

void HostCallback::SetListener(std::function<void(const HostEvent&)> listener) {
  std::lock_guard<std::mutex> guard(mutex_);
  listener_ = std::move(listener);
}

std::vector<HostEvent> HostCallback::Events() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return events_;
}

std::vector<WString> HostCallback::LogLines() const {
  std::vector<WString> lines;
  for (const HostEvent& event : Events())
    if (event.kind == HostEvent::kLogLine) lines.push_back(event.text);
  return lines;
}

void HostCallback::ClearEvents() {
  std::lock_guard<std::mutex> guard(mutex_);
  events_.clear();
}

bool HostCallback::WaitFor(const std::function<bool(const std::vector<HostEvent>&)>& predicate,
                           DWORD milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return predicate(events_); });
}

void HostCallback::Record(HostEvent event) {
  event.threadId = GetCurrentThreadId();
  std::function<void(const HostEvent&)> listener;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    events_.push_back(event);
    listener = listener_;
  }
  changed_.notify_all();
  if (listener) listener(event);
}

HRESULT HostCallback::DeviceRemoved(kiMusicDevicePlugin2004*, DWORD deviceNumber) {
  Record({HostEvent::kDeviceRemoved, deviceNumber, WString()});
  return S_OK;
}

HRESULT HostCallback::DeviceArrived(kiMusicDevicePlugin2004*, DWORD deviceNumber) {
  Record({HostEvent::kDeviceArrived, deviceNumber, WString()});
  return S_OK;
}

HRESULT HostCallback::OperationEnded(DWORD cookie, DWORD) {
  Record({HostEvent::kOperationEnded, cookie, WString()});
  return S_OK;
}

HRESULT HostCallback::Unused3() { return S_OK; }

HRESULT HostCallback::LogLine(const WCHAR* text) {
  Record({HostEvent::kLogLine, 0, wide::FromPtr(text)});
  return S_OK;
}

HRESULT HostCallback::ContentRemoved(kiMusicDevicePlugin2004*, DWORD deviceNumber, const WCHAR* location, SAFEARRAY**,
                                     SAFEARRAY**) {
  Record({HostEvent::kContentRemoved, deviceNumber, wide::FromPtr(location)});
  return S_OK;
}

HRESULT HostCallback::ContentAdded(kiMusicDevicePlugin2004*, DWORD deviceNumber, const WCHAR* location, SAFEARRAY**,
                                   SAFEARRAY**, kiIPPItem*) {
  Record({HostEvent::kContentAdded, deviceNumber, wide::FromPtr(location)});
  return S_OK;
}

HRESULT HostCallback::PlaylistChanged(kiMusicDevicePlugin2004*, DWORD deviceNumber, const WCHAR* location,
                                      SAFEARRAY**, SAFEARRAY**, SAFEARRAY**, kiIPPItem*) {
  Record({HostEvent::kPlaylistChanged, deviceNumber, wide::FromPtr(location)});
  return S_OK;
}
