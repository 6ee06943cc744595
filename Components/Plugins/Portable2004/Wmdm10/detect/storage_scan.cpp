// The mass-storage branch: one entry per instance key, every device key taken.
#include "detect/inventory_registry.h"
#include "detect/kc_device_inventory.h"

using inventory_registry::InstanceKey;

void kcDeviceInventory::ScanUsbStor() {
  inventory_registry::ScanInstanceKeys(inventory_registry::kEnumUsbStor, storageDevices_,
                                       [&](const InstanceKey& key, UsbStorEntry& entry) {
                                         ParseStorageKey(key.device, entry.vendor, entry.product, entry.revision);
                                         inventory_registry::ReadDiskValues(key, entry);
                                       });
}
