// The location rules of locations.h, applied with the device's own root
// prefix, which only the resolver can check.
#include "content/locations.h"
#include "core/kc_wmdm10_plugin.h"

DeviceRecord* kcWMDM10Plugin::FindDeviceByLocation(const WString& location, size_t* separatorIndex) {
  const LONG number = locations::FindDeviceByLocation(location, deviceList_, separatorIndex);
  return number > 0 ? FindDeviceRecord(number) : nullptr;
}

WString kcWMDM10Plugin::RootPrefix(const WString& location) { return RootPrefix(location, FindDeviceByLocation(location)); }

WString kcWMDM10Plugin::RootPrefix(const WString& location, DeviceRecord* record) {
  if (!record || record->gone || !record->settings || record->alternateRootForgotten) return WString();
  const WString& root = record->settings->AlternateRoot;
  if (root.empty()) return WString();
  if (ResolveStorage(location, root, 0)) return root;
  // A root the device does not have would hide everything: from now on host
  // paths are device paths for this device.
  record->alternateRootForgotten = true;
  return WString();
}

WString kcWMDM10Plugin::ToDevicePath(const WString& location, const WString& hostPath) {
  return locations::ToDevicePath(RootPrefix(location), hostPath);
}

WString kcWMDM10Plugin::ToHostPath(const WString& location, const WString& devicePath) {
  return locations::ToHostPath(RootPrefix(location), devicePath);
}

bool kcWMDM10Plugin::SplitEntryId(const WString& location, const WString& id, WString* playlistPath,
                                  WString* trackPath) {
  return locations::SplitEntryId(RootPrefix(location), id, playlistPath, trackPath);
}

HRESULT kcWMDM10Plugin::MakeEntryId(const WString& location, const WString& playlistDevicePath, kiIPPItem* item) {
  return locations::MakeEntryId(RootPrefix(location), playlistDevicePath, item);
}
