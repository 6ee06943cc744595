// The mass-storage branch: one entry per instance key, every device key taken.
#include "detect/inventory_registry.h"
#include "detect/kc_device_inventory.h"

using inventory_registry::kEnumUsbStor;

void kcDeviceInventory::ScanUsbStor() {
  storageDevices_.clear();
  inventory_registry::ForEachSubkey(kEnumUsbStor, [&](const WString& device) {
    const WString devicePath = kEnumUsbStor + (W("\\") + device);
    inventory_registry::ForEachSubkey(devicePath, [&](const WString& instance) {
      kcRegistry key;
      if (!inventory_registry::OpenMachineKey(key, devicePath + W("\\") + instance)) return;
      UsbStorEntry entry;
      entry.deviceKey = device;
      entry.instanceId = instance;
      ParseStorageKey(device, entry.vendor, entry.product, entry.revision);
      inventory_registry::ValueReader values(key);
      values.Number(W("Capabilities"), entry.capabilities);
      values.Text(W("Class"), entry.deviceClass);
      values.Text(W("DeviceDesc"), entry.description);
      values.Text(W("FriendlyName"), entry.friendlyName);
      values.Text(W("Driver"), entry.driverKey);
      values.MultiText(W("HardwareID"), entry.hardwareIds);
      values.Text(W("Mfg"), entry.manufacturer);
      values.Text(W("ParentIdPrefix"), entry.parentIdPrefix);
      values.Text(W("Service"), entry.service);
      storageDevices_.push_back(std::move(entry));
    });
  });
}
