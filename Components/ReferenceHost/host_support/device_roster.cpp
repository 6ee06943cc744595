#include "host_support/device_roster.h"

#include <ki_music_device_plugin2004.h>

void DeviceRoster::ApplyOne(const HostEvent& event) {
  if (event.kind == HostEvent::kDeviceArrived) numbers_.insert(event.number);
  if (event.kind == HostEvent::kDeviceRemoved) numbers_.erase(event.number);
}

void DeviceRoster::Apply(const std::vector<HostEvent>& events, size_t* seen, DWORD now) {
  for (; *seen < events.size(); ++*seen) {
    const HostEvent& event = events[*seen];
    if (event.kind != HostEvent::kDeviceArrived && event.kind != HostEvent::kDeviceRemoved) continue;
    ApplyOne(event);
    due_ = true;
    lastNotified_ = now;
  }
}

HRESULT DeviceRoster::Rescan(kiMusicDevicePlugin2004* plugin, HostCallback& callback, size_t* seen) {
  // Notifications already recorded are applied first, so that only the
  // rescan's own reports follow, and those make no further rescan due.
  const std::vector<HostEvent> before = callback.Events();
  for (; *seen < before.size(); ++*seen) ApplyOne(before[*seen]);
  due_ = false;
  const HRESULT result = plugin->ReScanDevices();
  const std::vector<HostEvent> after = callback.Events();
  for (; *seen < after.size(); ++*seen) ApplyOne(after[*seen]);
  return result;
}
