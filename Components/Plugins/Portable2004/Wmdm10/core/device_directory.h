// What the floors above the device list may ask of it: a record by number,
// and the list itself to search by identity. Declared here so that the
// resolver depends on the list's answers, not on the plug-in object.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "core/device_record.h"

using DeviceRecords = std::vector<std::unique_ptr<DeviceRecord>>;

class DeviceDirectory {
 public:
  // Null for a number outside the list; completes a pending record first.
  virtual DeviceRecord* FindDeviceRecord(LONG deviceNumber) = 0;
  // Every record, gone ones included; number n is element n-1.
  virtual const DeviceRecords& Records() const = 0;

 protected:
  ~DeviceDirectory() = default;
};
