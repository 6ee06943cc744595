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
