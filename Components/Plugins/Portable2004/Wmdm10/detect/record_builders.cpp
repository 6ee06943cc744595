// Turns a started USB, mass-storage or FireWire entry into a device record.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

namespace {

constexpr DWORD kVolumeLabelChars = 260;

const WCHAR kUnknownVidPid[] = W("Vid_UNK&Pid_UNK");
const WCHAR kUnknownLocation[] = W("LocationInfo UNKNOWN");
const WCHAR kUnknownFireWireVidPid[] = W("Vid_UNK&Pid_UNK_1394");
const WCHAR kAppleFireWireVidPid[] = W("Vid_ffff&Pid_ffff");
// The vendor as the device key spells it, with two spaces before "Inc.".
const WCHAR kAppleVendor[] = W("Apple Computer  Inc.");
const WCHAR kCreativeVendor[] = W("Creative Labs");

}  // namespace

WString kcDeviceInventory::MakeCanonicalName(const DeviceInventoryRecord& record) {
  return record.bus + W("&") + record.deviceKey + W("&") + record.instanceId;
}

WString kcDeviceInventory::ReadVolumeLabel(WCHAR letter) {
  const WCHAR root[] = {letter, W(':'), W('\\'), 0};
  WCHAR label[kVolumeLabelChars] = {};
  DWORD componentLength = 0, fileSystemFlags = 0;
  if (!GetVolumeInformationW(root, label, kVolumeLabelChars, nullptr, &componentLength, &fileSystemFlags, nullptr,
                             0))
    return W("-");
  return label;
}

void kcDeviceInventory::AddUsbDevice(int usbIndex) {
  const UsbDeviceEntry& usb = usbDevices_[usbIndex];
  const int existing = FindByHardwareId(usb.hardwareIds);
  if (existing >= 0) {
    // Another unit of a product already listed.
    ++records_[existing].instanceCount;
    return;
  }
  DeviceInventoryRecord record;
  record.bus = W("USB");
  record.deviceKey = usb.deviceKey;
  record.instanceId = usb.instanceId;
  record.description = usb.description;
  record.hardwareIds = usb.hardwareIds;
  record.location = usb.location;
  record.manufacturer = usb.manufacturer;
  record.service = usb.service;
  record.parentIdPrefix = usb.parentIdPrefix;
  record.driverKey = usb.driverKey;
  record.vidPidText = usb.deviceKey;
  record.present = true;
  record.instanceCount = 1;
  record.capabilities = usb.capabilities;
  record.driveLetter = DriveLetterForUsbInstance(usb.instanceId);
  if (!usb.driverKey.empty()) record.driver = usb.driver;
  if (record.driveLetter) record.volumeLabel = ReadVolumeLabel(record.driveLetter);
  if (usb.storageLink >= 0) {
    const UsbStorEntry& storage = storageDevices_[usb.storageLink];
    ParseStorageKey(storage.deviceKey, record.vendor, record.product, record.revision);
    record.friendlyName = storage.friendlyName;
  } else {
    record.friendlyName = usb.location;
    record.vendor = usb.manufacturer;
    record.product = usb.location;
    record.revision = W("0000");
  }
  record.canonicalName = MakeCanonicalName(record);
  AddRecord(std::move(record));
}

void kcDeviceInventory::AddStorageDevice(int storageIndex) {
  const UsbStorEntry& storage = storageDevices_[storageIndex];
  const int existing = FindByHardwareId(storage.hardwareIds);
  if (existing >= 0) {
    ++records_[existing].instanceCount;
    return;
  }
  DeviceInventoryRecord record;
  record.bus = W("USBSTOR");
  record.massStorage = true;
  record.present = true;
  record.flash = inventory_text::Contains(storage.friendlyName, W("FLASH"));
  record.driveLetter = DriveLetterForParentIdPrefix(storage.parentIdPrefix);
  record.instanceCount = 1;
  record.capabilities = storage.capabilities;
  record.deviceKey = storage.deviceKey;
  record.description = storage.description;
  record.friendlyName = storage.friendlyName;
  record.hardwareIds = storage.hardwareIds;
  record.instanceId = storage.instanceId;
  record.manufacturer = storage.manufacturer;
  record.parentIdPrefix = storage.parentIdPrefix;
  record.service = storage.service;
  if (record.driveLetter) record.volumeLabel = ReadVolumeLabel(record.driveLetter);
  ParseStorageKey(storage.deviceKey, record.vendor, record.product, record.revision);
  if (storage.usbLink >= 0) {
    const UsbDeviceEntry& usb = usbDevices_[storage.usbLink];
    record.vidPidText = usb.deviceKey;
    record.location = usb.location;
    if (!usb.driverKey.empty()) {
      record.driverKey = usb.driverKey;
      record.driver = usb.driver;
    }
  } else {
    record.vidPidText = kUnknownVidPid;
    record.location = kUnknownLocation;
  }
  record.canonicalName = MakeCanonicalName(record);
  AddRecord(std::move(record));
}

void kcDeviceInventory::AddFireWireDevice(int fireWireIndex) {
  const Sbp2DeviceEntry& device = fireWireDevices_[fireWireIndex];
  if (!inventory_text::Contains(device.vendor, kAppleVendor) && !inventory_text::Contains(device.vendor, kCreativeVendor))
    return;
  DeviceInventoryRecord record;
  record.bus = W("SBP2");
  record.present = true;
  record.driveLetter = device.driveLetter;
  record.instanceCount = 1;
  record.capabilities = device.capabilities;
  record.deviceKey = device.deviceKey;
  record.description = device.description;
  record.friendlyName = device.friendlyName;
  record.location = device.location;
  record.hardwareIds = device.hardwareIds;
  record.instanceId = device.instanceId;
  record.manufacturer = device.manufacturer;
  record.parentIdPrefix = device.parentIdPrefix;
  record.service = device.service;
  record.vendor = device.vendor;
  record.product = device.product;
  record.revision = device.revision;
  record.driverKey = device.driverKey;
  record.vidPidText = kUnknownFireWireVidPid;
  // The entry's driver facts never name a portable-player driver: reading
  // them leaves it out for FireWire.
  if (!device.driverKey.empty()) record.driver = device.driver;
  if (record.driveLetter) record.volumeLabel = ReadVolumeLabel(record.driveLetter);
  record.canonicalName = MakeCanonicalName(record);
  if (device.vendor == kAppleVendor) record.vidPidText = kAppleFireWireVidPid;
  // Not merged by hardware ids: each started unit gets its own record.
  AddRecord(std::move(record));
}
