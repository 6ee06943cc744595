#include "host_support/host_callback.h"

#include <algorithm>
#include <chrono>

#include <ki_ipp_item.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

namespace {

// The arrays belong to the plug-in; only their contents are copied.
std::vector<WString> TextsOf(SAFEARRAY** array) {
  std::vector<WString> texts;
  if (!array || !*array) return texts;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(*array, 1, &lower)) || FAILED(SafeArrayGetUBound(*array, 1, &upper))) return texts;
  ScopedSafeArrayAccess<BSTR> data(*array);
  if (!data) return texts;
  for (LONG i = 0; i <= upper - lower; ++i) texts.push_back(wide::FromPtr(data.Data()[i]));
  return texts;
}

std::vector<LONG> KindsOf(SAFEARRAY** array) {
  std::vector<LONG> kinds;
  if (!array || !*array) return kinds;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(*array, 1, &lower)) || FAILED(SafeArrayGetUBound(*array, 1, &upper))) return kinds;
  ScopedSafeArrayAccess<LONG> data(*array);
  if (!data) return kinds;
  for (LONG i = 0; i <= upper - lower; ++i) kinds.push_back(data.Data()[i]);
  return kinds;
}

WString LocationOf(kiIPPItem* item) {
  if (!item) return WString();
  const UniqueBstr location = UniqueBstr::Adopt(item->GetLocation());
  return wide::FromPtr(location.Get());
}

HostEvent ContentEvent(HostEvent::Kind kind, DWORD deviceNumber, const WCHAR* location, SAFEARRAY** paths,
                       SAFEARRAY** kinds, SAFEARRAY** entries, kiIPPItem* item) {
  HostEvent event{kind, deviceNumber, wide::FromPtr(location)};
  event.paths = TextsOf(paths);
  event.kinds = KindsOf(kinds);
  event.entries = TextsOf(entries);
  event.item = LocationOf(item);
  return event;
}

}  // namespace

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

void HostCallback::DropEvents(size_t count) {
  std::lock_guard<std::mutex> guard(mutex_);
  events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(std::min(count, events_.size())));
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

HRESULT HostCallback::ContentRemoved(kiMusicDevicePlugin2004*, DWORD deviceNumber, const WCHAR* location, SAFEARRAY** paths,
                                     SAFEARRAY** kinds) {
  Record(ContentEvent(HostEvent::kContentRemoved, deviceNumber, location, paths, kinds, nullptr, nullptr));
  return S_OK;
}

HRESULT HostCallback::ContentAdded(kiMusicDevicePlugin2004*, DWORD deviceNumber, const WCHAR* location, SAFEARRAY** paths,
                                   SAFEARRAY** kinds, kiIPPItem* item) {
  Record(ContentEvent(HostEvent::kContentAdded, deviceNumber, location, paths, kinds, nullptr, item));
  return S_OK;
}

HRESULT HostCallback::PlaylistChanged(kiMusicDevicePlugin2004*, DWORD deviceNumber, const WCHAR* location,
                                      SAFEARRAY** paths, SAFEARRAY** kinds, SAFEARRAY** entries,
                                      kiIPPItem* playlist) {
  Record(ContentEvent(HostEvent::kPlaylistChanged, deviceNumber, location, paths, kinds, entries, playlist));
  return S_OK;
}
