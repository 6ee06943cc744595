// The USB branch: one entry per instance key of a device key named "Vid_...".
#include "detect/inventory_registry.h"
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

using inventory_registry::InstanceKey;

void kcDeviceInventory::ScanUsb() {
  // Root hubs and the like have no vendor id.
  const auto hasVendorId = [](const WString& device) { return inventory_text::StartsWithIgnoreCase(device, W("Vid_")); };
  inventory_registry::ScanInstanceKeys(
      inventory_registry::kEnumUsb, usbDevices_,
      [&](const InstanceKey& key, UsbDeviceEntry& entry) {
        key.values.Text(W("LocationInformation"), entry.location);
        if (!entry.driverKey.empty()) ReadDriverInfo(entry.driverKey, true, entry.driver);
      },
      hasVendorId);
}
