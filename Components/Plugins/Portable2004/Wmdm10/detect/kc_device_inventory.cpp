// The inventory's lists and the order Rebuild fills them in.
#include "detect/kc_device_inventory.h"

#include "detect/inventory_text.h"

void kcDeviceInventory::Clear() {
  services_.clear();
  usbDevices_.clear();
  storageDevices_.clear();
  fireWireDevices_.clear();
  mountedVolumes_.clear();
  storageByPrefix_.Clear();
  startedByServiceAndPrefix_.Clear();
  ClearRecords();
}

namespace {

// A key for a started instance of the service at `position`: key names hold
// no backslash, so the two parts cannot run into each other.
WString ServiceInstanceKey(size_t position, const WString& instanceId) {
  return wide::FromUnsigned(static_cast<unsigned>(position)) + W("\\") + kcDeviceInventory::InstancePrefix(instanceId);
}

}  // namespace

void kcDeviceInventory::IndexEntries() {
  storageByPrefix_.Clear();
  for (size_t i = 0; i < storageDevices_.size(); ++i)
    storageByPrefix_.Add(InstancePrefix(storageDevices_[i].instanceId), static_cast<int>(i));
  startedByServiceAndPrefix_.Clear();
  for (size_t s = 0; s < services_.size(); ++s)
    for (const ServiceInstance& instance : services_[s].instances)
      startedByServiceAndPrefix_.Add(ServiceInstanceKey(s, instance.instanceId), 0);
}

void kcDeviceInventory::ClearRecords() {
  records_.clear();
  recordsByIds_.Clear();
  recordsByVidPid_.Clear();
  recordsByPrefix_.Clear();
  recordsByHardwareIds_.Clear();
}

void kcDeviceInventory::AddRecord(DeviceInventoryRecord record) {
  const int position = static_cast<int>(records_.size());
  recordsByIds_.Add(record.instanceId + W("\\") + record.deviceKey, position);
  recordsByVidPid_.Add(record.vidPidText, position);
  recordsByPrefix_.Add(InstancePrefix(record.instanceId), position);
  recordsByHardwareIds_.Add(record.hardwareIds, position);
  records_.push_back(std::move(record));
}

bool kcDeviceInventory::IsStartedInstance(const WString& serviceName, const WString& instanceId) const {
  const ServiceEnumEntry* service = FindService(serviceName);
  return service && startedByServiceAndPrefix_.Contains(ServiceInstanceKey(service - services_.data(), instanceId));
}

void kcDeviceInventory::Rebuild() {
  Clear();
  // FireWire drive letters need the mounted volumes; linking needs the USB
  // and mass-storage lists; the merge needs everything.
  ScanMountedDevices();
  ScanUsb();
  ScanUsbStor();
  ScanSbp2();
  ScanServices();
  LinkStorage();
  MergeDevices();
}

namespace {

// The "&" that ends the prefix stands at position 2 or later, so the
// logical-unit or port suffix goes and a leading "5&" stays.
size_t InstancePrefixLength(const WString& text) {
  const size_t ampersand = text.find(W('&'), 2);
  return ampersand == WString::npos ? text.size() : ampersand;
}

}  // namespace

WString kcDeviceInventory::InstancePrefix(const WString& text) { return text.substr(0, InstancePrefixLength(text)); }

bool kcDeviceInventory::SameInstancePrefix(const WString& a, const WString& b) {
  // The rebuild compares prefixes in loops over whole lists, so this walks
  // both texts once and stops at the first difference, copying nothing.
  for (size_t i = 0;; ++i) {
    const bool endOfA = i == a.size() || (i >= 2 && a[i] == W('&'));
    const bool endOfB = i == b.size() || (i >= 2 && b[i] == W('&'));
    if (endOfA || endOfB) return endOfA && endOfB;
    if (a[i] != b[i]) return false;
  }
}
