// Builds the device records from the services' lists of started instances: only
// devices that a service reports as started are listed, in the order of the
// services and, within one, of its values.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

void kcDeviceInventory::MergeDevices() {
  ClearRecords();
  IndexEntries();
  for (const ServiceEnumEntry& service : services_) {
    for (const ServiceInstance& instance : service.instances) {
      if (IsDeviceListed(instance.deviceId, instance.instanceId)) continue;
      if (wide::EqualsIgnoreCaseAscii(instance.enumerator, W("USB"))) {
        const int usb = FindUsbEntry(instance.deviceId, instance.instanceId);
        if (usb >= 0 && IsCandidateUsbDevice(usb) && !IsInstanceListed(instance.instanceId)) AddUsbDevice(usb);
      } else if (wide::EqualsIgnoreCaseAscii(instance.enumerator, W("USBSTOR"))) {
        const int storage = FindUsbStorEntry(instance.deviceId, instance.instanceId);
        if (storage >= 0 && IsCandidateStorageDevice(storage) && !IsInstanceListed(instance.instanceId))
          AddStorageDevice(storage);
      } else if (wide::EqualsIgnoreCaseAscii(instance.enumerator, W("SBP2"))) {
        // FireWire devices pass no candidate test; their vendor decides.
        const int fireWire = FindSbp2Entry(instance.deviceId, instance.instanceId);
        if (fireWire >= 0) AddFireWireDevice(fireWire);
      }
    }
  }
}

bool kcDeviceInventory::IsDeviceListed(const WString& deviceId, const WString& instanceId) const {
  // Ids are key names, which hold no backslash.
  return recordsByIds_.Contains(instanceId + W("\\") + deviceId) || recordsByVidPid_.Contains(deviceId);
}

int kcDeviceInventory::FindUsbEntry(const WString& deviceId, const WString& instanceId) const {
  for (size_t i = 0; i < usbDevices_.size(); ++i)
    if (usbDevices_[i].instanceId == instanceId && usbDevices_[i].deviceKey == deviceId) return static_cast<int>(i);
  return -1;
}

int kcDeviceInventory::FindUsbStorEntry(const WString& deviceId, const WString& instanceId) const {
  const std::vector<int>* samePrefix = storageByPrefix_.Find(InstancePrefix(instanceId));
  if (!samePrefix) return -1;
  // With no device id the instance alone decides: a USB device's serial
  // finds its storage function "<serial>&0".
  for (const int i : *samePrefix)
    if (deviceId.empty() || storageDevices_[i].deviceKey == deviceId) return i;
  return -1;
}

int kcDeviceInventory::FindSbp2Entry(const WString& deviceId, const WString& instanceId) const {
  for (size_t i = 0; i < fireWireDevices_.size(); ++i)
    if (fireWireDevices_[i].instanceId == instanceId && fireWireDevices_[i].deviceKey == deviceId)
      return static_cast<int>(i);
  return -1;
}

int kcDeviceInventory::FindByHardwareId(const WString& hardwareIds) const {
  const std::vector<int>* same = recordsByHardwareIds_.Find(hardwareIds);
  return same ? same->front() : -1;
}
