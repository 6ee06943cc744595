// The location rules of locations.h, applied with the device's own root
// prefix, which only the resolver can check.
#include "content/locations.h"
#include "content/storage_resolver.h"

DeviceRecord* StorageResolver::FindDeviceByLocation(const WString& location, size_t* separatorIndex) {
  const LONG number = locations::FindDeviceByLocation(location, devices_.Records(), separatorIndex);
  return number > 0 ? devices_.FindDeviceRecord(number) : nullptr;
}

WString StorageResolver::RootPrefix(const WString& location) {
  return RootPrefix(location, FindDeviceByLocation(location));
}

WString StorageResolver::RootPrefix(const WString& location, DeviceRecord* record) {
  if (!record || record->gone || !record->settings || record->alternateRootForgotten) return WString();
  const WString& root = record->settings->AlternateRoot;
  if (root.empty()) return WString();
  if (ResolveStorage(location, root, 0)) return root;
  // A root the device does not have would hide everything: from now on host
  // paths are device paths for this device.
  record->alternateRootForgotten = true;
  return WString();
}

WString StorageResolver::ToDevicePath(const WString& location, const WString& hostPath) {
  return locations::ToDevicePath(RootPrefix(location), hostPath);
}

WString StorageResolver::ToHostPath(const WString& location, const WString& devicePath) {
  return locations::ToHostPath(RootPrefix(location), devicePath);
}

bool StorageResolver::SplitEntryId(const WString& location, const WString& id, WString* playlistPath,
                                  WString* trackPath) {
  return locations::SplitEntryId(RootPrefix(location), id, playlistPath, trackPath);
}

HRESULT StorageResolver::MakeEntryId(const WString& location, const WString& playlistDevicePath, kiIPPItem* item) {
  return locations::MakeEntryId(RootPrefix(location), playlistDevicePath, item);
}
