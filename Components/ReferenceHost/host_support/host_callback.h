// The host's callback object: records what the plug-in reports (thread-safe,
// since arrivals and removals come from the plug-in's worker thread) and can
// echo log lines to a stream.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include <ki_plugin_host_callback.h>

struct HostEvent {
  enum Kind { kLogLine, kDeviceArrived, kDeviceRemoved, kOperationEnded, kContentRemoved, kContentAdded,
              kPlaylistChanged };
  Kind kind;
  DWORD number = 0;  // device number or cookie
  WString text;      // log line or media location
  DWORD threadId = 0;
  // What a content change named: the changed folders and item with their
  // kinds, a playlist's entries, and the host path of the item record.
  std::vector<WString> paths;
  std::vector<LONG> kinds;
  std::vector<WString> entries;
  WString item;
};

class HostCallback : public kiPluginHostCallback {
 public:
  HostCallback() = default;
  HostCallback(const HostCallback&) = delete;
  HostCallback& operator=(const HostCallback&) = delete;

  // Called for every event as it arrives, on the thread that reported it.
  void SetListener(std::function<void(const HostEvent&)> listener);

  std::vector<HostEvent> Events() const;
  std::vector<WString> LogLines() const;
  void ClearEvents();
  // Drops the first `count` events (those a reader has taken in), keeping any
  // recorded since it looked.
  void DropEvents(size_t count);
  // Waits until `predicate` holds over the events or the timeout passes.
  bool WaitFor(const std::function<bool(const std::vector<HostEvent>&)>& predicate, DWORD milliseconds);

  HRESULT DeviceRemoved(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber) override;
  HRESULT DeviceArrived(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber) override;
  HRESULT OperationEnded(DWORD cookie, DWORD reserved) override;
  HRESULT Unused3() override;
  HRESULT LogLine(const WCHAR* text) override;
  HRESULT ContentRemoved(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber, const WCHAR* location,
                                           SAFEARRAY** paths, SAFEARRAY** kinds) override;
  HRESULT ContentAdded(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber, const WCHAR* location,
                                         SAFEARRAY** paths, SAFEARRAY** kinds, kiIPPItem* item) override;
  HRESULT PlaylistChanged(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber,
                                            const WCHAR* location, SAFEARRAY** paths, SAFEARRAY** kinds,
                                            SAFEARRAY** entries, kiIPPItem* playlist) override;

 private:
  void Record(HostEvent event);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<HostEvent> events_;
  std::function<void(const HostEvent&)> listener_;
};
