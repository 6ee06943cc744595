// The inventory's lists and the order Rebuild fills them in.
#include "detect/kc_device_inventory.h"

#include "detect/inventory_text.h"

void kcDeviceInventory::Clear() {
  services_.clear();
  usbDevices_.clear();
  storageDevices_.clear();
  fireWireDevices_.clear();
  mountedVolumes_.clear();
  records_.clear();
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

WString kcDeviceInventory::InstancePrefix(const WString& text) {
  // The "&" that ends the prefix stands at position 2 or later, so the
  // logical-unit or port suffix goes and a leading "5&" stays.
  const size_t ampersand = text.find(W('&'), 2);
  return ampersand == WString::npos ? text : text.substr(0, ampersand);
}
