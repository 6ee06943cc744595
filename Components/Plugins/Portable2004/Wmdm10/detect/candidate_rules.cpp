// Which devices might be players: human-interface devices, hubs, printers,
// floppy and CD drives are not, and a device is listed only when its service
// reports it as started.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

namespace {

const WCHAR* const kExcludedUsbServices[] = {W("hidusb"), W("usbhub"), W("usbprint")};
const WCHAR* const kExcludedStorageServices[] = {W("cdrom"), W("sfloppy")};

template <size_t N>
bool IsOneOf(const WString& service, const WCHAR* const (&names)[N]) {
  for (const WCHAR* name : names)
    if (wide::EqualsIgnoreCaseAscii(service, name)) return true;
  return false;
}

}  // namespace

const ServiceEnumEntry* kcDeviceInventory::FindService(const WString& name) const {
  for (const ServiceEnumEntry& service : services_)
    if (wide::EqualsIgnoreCaseAscii(service.serviceName, name)) return &service;
  return nullptr;
}

bool kcDeviceInventory::IsCandidateUsbDevice(int usbIndex) const {
  const UsbDeviceEntry& usb = usbDevices_[usbIndex];
  if (usb.service.empty() || IsOneOf(usb.service, kExcludedUsbServices)) return false;
  if (inventory_text::Contains(inventory_text::Lowered(usb.description), W("floppy"))) return false;
  const int storage = FindUsbStorEntry(WString(), usb.instanceId);
  if (storage >= 0) {
    const WString& storageService = storageDevices_[storage].service;
    if (storageService.empty() || IsOneOf(storageService, kExcludedStorageServices)) return false;
  }
  return IsStartedInstance(usb.service, usb.instanceId);
}

bool kcDeviceInventory::IsCandidateStorageDevice(int storageIndex) const {
  const UsbStorEntry& storage = storageDevices_[storageIndex];
  if (storage.service.empty() || IsOneOf(storage.service, kExcludedStorageServices)) return false;
  return IsStartedInstance(storage.service, storage.instanceId);
}

bool kcDeviceInventory::IsInstanceListed(const WString& instanceId) const {
  // A USB device's serial and its storage function's "<serial>&0" share the
  // prefix, so whichever the merge meets first gets the only record.
  return recordsByPrefix_.Contains(InstancePrefix(instanceId));
}
