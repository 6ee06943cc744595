// Ties each mass-storage function to its USB device: shared instance counts,
// storage links (the first pair found wins on each side) and flash flags.
#include <algorithm>

#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

using inventory_text::Contains;
using inventory_text::Lowered;

namespace {

template <typename Entry>
void CountSharedInstances(std::vector<Entry>& entries) {
  for (Entry& entry : entries) entry.sharedInstanceCount = 1;
  for (size_t i = 0; i < entries.size(); ++i) {
    for (size_t j = i + 1; j < entries.size(); ++j) {
      if (entries[i].instanceId.empty() || entries[i].instanceId != entries[j].instanceId) continue;
      ++entries[i].sharedInstanceCount;
      ++entries[j].sharedInstanceCount;
    }
  }
}

WString WithoutSpaces(WString text) {
  text.erase(std::remove(text.begin(), text.end(), W(' ')), text.end());
  return text;
}

// Whether `storage` is the mass-storage function of `usb`.
bool BelongTogether(const UsbDeviceEntry& usb, const UsbStorEntry& storage) {
  if (kcDeviceInventory::SameInstancePrefix(usb.instanceId, storage.instanceId)) {
    // A serial number shared by several functions needs a name to match.
    if (storage.sharedInstanceCount == 1) return true;
    if (kcDeviceInventory::SharesSignificantWord(storage.product, usb.location)) return true;
    const WString friendly = Lowered(storage.friendlyName);
    const WString location = Lowered(usb.location);
    return Contains(friendly, location) || Contains(friendly, WithoutSpaces(location));
  }
  return !usb.parentIdPrefix.empty() && storage.instanceId.compare(0, usb.parentIdPrefix.size(), usb.parentIdPrefix) == 0;
}

}  // namespace

void kcDeviceInventory::LinkStorage() {
  CountSharedInstances(usbDevices_);
  CountSharedInstances(storageDevices_);
  for (size_t u = 0; u < usbDevices_.size(); ++u) {
    for (size_t s = 0; s < storageDevices_.size(); ++s) {
      if (!BelongTogether(usbDevices_[u], storageDevices_[s])) continue;
      if (usbDevices_[u].storageLink == -1) usbDevices_[u].storageLink = static_cast<int>(s);
      if (storageDevices_[s].usbLink == -1) storageDevices_[s].usbLink = static_cast<int>(u);
    }
  }
  for (UsbStorEntry& storage : storageDevices_)
    if (!storage.friendlyName.empty()) storage.flash = Contains(storage.friendlyName, W("FLASH"));
}
