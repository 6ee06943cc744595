// One listed device: its WMDM device, what the registry inventory knows of it,
// its identity and settings, and the answers of the property getters. Owned
// by the plug-in's device list; never copied.
#pragma once

#include <windows.h>

#include <map>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "detect/device_inventory_record.h"
#include "settings/kc_device_settings.h"

struct DeviceRecord {
  DeviceRecord() = default;
  DeviceRecord(const DeviceRecord&) = delete;
  DeviceRecord& operator=(const DeviceRecord&) = delete;

  std::map<WString, bool> boolCache;
  std::map<WString, LONG> longCache;
  std::map<WString, WString> stringCache;
  ComPtr<IWMDMDevice> device;  // may be empty while details are pending
  DWORD deviceNumber = 0;      // 1-based position when the record was filled
  DeviceInventoryRecord inventory;
  bool detailsPending = false;  // only the identity is known yet
  WString identity;
  const kcDeviceSettings* settings = nullptr;  // the manifest's; not owned
  // The settings' alternate root is missing on this device: ignore it. The
  // settings are shared by every device of the model, so they stay as read.
  bool alternateRootForgotten = false;
  bool seen = false;                           // scratch mark of a rescan
  bool gone = false;  // removed; kept so that later numbers do not shift
  WString supportedFormats;
  bool playlistFormatSupported = false;
};
