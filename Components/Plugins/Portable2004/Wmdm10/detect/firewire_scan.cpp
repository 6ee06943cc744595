// The FireWire (SBP2) branch and the drive letters of its devices.
#include "detect/inventory_registry.h"
#include "detect/kc_device_inventory.h"

using inventory_registry::kEnumSbp2;

void kcDeviceInventory::ScanSbp2() {
  fireWireDevices_.clear();
  inventory_registry::ForEachSubkey(kEnumSbp2, [&](const WString& device) {
    const WString devicePath = kEnumSbp2 + (W("\\") + device);
    inventory_registry::ForEachSubkey(devicePath, [&](const WString& instance) {
      kcRegistry key;
      if (!inventory_registry::OpenMachineKey(key, devicePath + W("\\") + instance)) return;
      Sbp2DeviceEntry entry;
      entry.deviceKey = device;
      entry.instanceId = instance;
      ParseSbp2Key(device, entry.vendor, entry.product, entry.revision);
      inventory_registry::ValueReader values(key);
      values.Number(W("Capabilities"), entry.capabilities);
      values.Text(W("Class"), entry.deviceClass);
      values.Text(W("DeviceDesc"), entry.description);
      values.Text(W("FriendlyName"), entry.friendlyName);
      values.Text(W("Driver"), entry.driverKey);
      if (!entry.driverKey.empty()) ReadDriverInfo(entry.driverKey, false, entry.driver);
      values.MultiText(W("HardwareID"), entry.hardwareIds);
      values.Text(W("Mfg"), entry.manufacturer);
      values.Text(W("ParentIdPrefix"), entry.parentIdPrefix);
      values.Text(W("Service"), entry.service);
      values.Text(W("LocationInformation"), entry.location);
      fireWireDevices_.push_back(std::move(entry));
    });
  });
  AssignSbp2DriveLetters();
}

void kcDeviceInventory::AssignSbp2DriveLetters() {
  for (Sbp2DeviceEntry& device : fireWireDevices_) {
    // A later volume of the same device replaces an earlier one.
    for (const MountedDeviceEntry& volume : mountedVolumes_)
      if (SameInstancePrefix(device.parentIdPrefix, volume.instancePart)) device.driveLetter = volume.driveLetter;
  }
}
