// Ties each mass-storage function to its USB device: shared instance counts,
// storage links (the first pair found wins on each side) and flash flags.
#include <algorithm>
#include <unordered_map>

#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

using inventory_text::Contains;
using inventory_text::Lowered;

namespace {

// Each entry counts the entries with its instance id, itself included; an
// empty id shares nothing.
template <typename Entry>
void CountSharedInstances(std::vector<Entry>& entries) {
  std::unordered_map<WString, int> counts;
  for (const Entry& entry : entries)
    if (!entry.instanceId.empty()) ++counts[entry.instanceId];
  for (Entry& entry : entries) entry.sharedInstanceCount = entry.instanceId.empty() ? 1 : counts[entry.instanceId];
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
  IndexEntries();
  const auto link = [&](size_t u, size_t s) {
    if (!BelongTogether(usbDevices_[u], storageDevices_[s])) return;
    if (usbDevices_[u].storageLink == -1) usbDevices_[u].storageLink = static_cast<int>(s);
    if (storageDevices_[s].usbLink == -1) storageDevices_[s].usbLink = static_cast<int>(u);
  };
  for (size_t u = 0; u < usbDevices_.size(); ++u) {
    // Without a parent id prefix only a storage function of the same instance
    // prefix can belong to the device; with one, any storage may.
    if (usbDevices_[u].parentIdPrefix.empty()) {
      if (const std::vector<int>* samePrefix = storageByPrefix_.Find(InstancePrefix(usbDevices_[u].instanceId)))
        for (const int s : *samePrefix) link(u, static_cast<size_t>(s));
    } else {
      for (size_t s = 0; s < storageDevices_.size(); ++s) link(u, s);
    }
  }
  for (UsbStorEntry& storage : storageDevices_)
    if (!storage.friendlyName.empty()) storage.flash = Contains(storage.friendlyName, W("FLASH"));
}
