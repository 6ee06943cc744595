// What the notification worker hands each queued device message to. The
// plug-in implements it; notify/ knows nothing else of the plug-in.
#pragma once

#include <wide_text.h>

class DeviceChangeTarget {
 public:
  // `arrived` is true only for a device arrival; removals and media arrivals
  // come with false. Name and manufacturer are empty for removals.
  virtual void OnDeviceChange(WString identity, WString name, WString manufacturer, bool arrived) = 0;

 protected:
  ~DeviceChangeTarget() = default;
};
