// The FireWire (SBP2) branch and the drive letters of its devices.
#include "detect/inventory_registry.h"
#include "detect/kc_device_inventory.h"

using inventory_registry::InstanceKey;

void kcDeviceInventory::ScanSbp2() {
  inventory_registry::ScanInstanceKeys(inventory_registry::kEnumSbp2, fireWireDevices_,
                                       [&](const InstanceKey& key, Sbp2DeviceEntry& entry) {
                                         key.values.Text(W("LocationInformation"), entry.location);
                                         ParseSbp2Key(key.device, entry.vendor, entry.product, entry.revision);
                                         if (!entry.driverKey.empty()) ReadDriverInfo(entry.driverKey, false, entry.driver);
                                         inventory_registry::ReadDiskValues(key, entry);
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
