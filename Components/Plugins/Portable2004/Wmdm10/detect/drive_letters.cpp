// Which mounted volume, and so which drive letter, belongs to a device.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

WCHAR kcDeviceInventory::DriveLetterForUsbInstance(const WString& instanceId) const {
  const WString prefix = InstancePrefix(instanceId);
  // Through the device's storage function and the volume named after its
  // parent id prefix...
  for (const UsbStorEntry& storage : storageDevices_) {
    if (InstancePrefix(storage.instanceId) != prefix) continue;
    const WString storagePrefix = InstancePrefix(storage.parentIdPrefix);
    for (const MountedDeviceEntry& volume : mountedVolumes_)
      if (storagePrefix == InstancePrefix(volume.instancePart)) return volume.driveLetter;
  }
  // ...or through the device's own parent id prefix and a removable volume.
  for (const UsbDeviceEntry& usb : usbDevices_) {
    if (InstancePrefix(usb.instanceId) != prefix || usb.parentIdPrefix.empty()) continue;
    const WString usbPrefix = InstancePrefix(usb.parentIdPrefix);
    for (const MountedDeviceEntry& volume : mountedVolumes_)
      if (volume.removable && usbPrefix == InstancePrefix(volume.instancePart)) return volume.driveLetter;
  }
  return 0;
}

WCHAR kcDeviceInventory::DriveLetterForParentIdPrefix(const WString& prefix) const {
  if (prefix.empty()) return 0;
  for (const MountedDeviceEntry& volume : mountedVolumes_)
    if (inventory_text::Contains(volume.instancePart, prefix)) return volume.driveLetter;
  return 0;
}
