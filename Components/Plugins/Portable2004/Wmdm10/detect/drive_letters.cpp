// Which mounted volume, and so which drive letter, belongs to a device.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

WCHAR kcDeviceInventory::DriveLetterForUsbInstance(const WString& instanceId) const {
  // Through the device's storage function and the volume named after its
  // parent id prefix...
  for (const UsbStorEntry& storage : storageDevices_) {
    if (!SameInstancePrefix(storage.instanceId, instanceId)) continue;
    for (const MountedDeviceEntry& volume : mountedVolumes_)
      if (SameInstancePrefix(storage.parentIdPrefix, volume.instancePart)) return volume.driveLetter;
  }
  // ...or through the device's own parent id prefix and a removable volume.
  for (const UsbDeviceEntry& usb : usbDevices_) {
    if (!SameInstancePrefix(usb.instanceId, instanceId) || usb.parentIdPrefix.empty()) continue;
    for (const MountedDeviceEntry& volume : mountedVolumes_)
      if (volume.removable && SameInstancePrefix(usb.parentIdPrefix, volume.instancePart)) return volume.driveLetter;
  }
  return 0;
}

WCHAR kcDeviceInventory::DriveLetterForParentIdPrefix(const WString& prefix) const {
  if (prefix.empty()) return 0;
  for (const MountedDeviceEntry& volume : mountedVolumes_)
    if (inventory_text::Contains(volume.instancePart, prefix)) return volume.driveLetter;
  return 0;
}
