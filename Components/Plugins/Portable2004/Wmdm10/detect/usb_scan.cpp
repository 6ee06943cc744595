// The USB branch: one entry per instance key of a device key named "Vid_...".
#include "detect/inventory_registry.h"
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

using inventory_registry::kEnumUsb;

void kcDeviceInventory::ScanUsb() {
  usbDevices_.clear();
  inventory_registry::ForEachSubkey(kEnumUsb, [&](const WString& device) {
    // Root hubs and the like have no vendor id.
    if (!inventory_text::StartsWithIgnoreCase(device, W("Vid_"))) return;
    const WString devicePath = kEnumUsb + (W("\\") + device);
    inventory_registry::ForEachSubkey(devicePath, [&](const WString& instance) {
      kcRegistry key;
      if (!inventory_registry::OpenMachineKey(key, devicePath + W("\\") + instance)) return;
      UsbDeviceEntry entry;
      entry.deviceKey = device;
      entry.instanceId = instance;
      inventory_registry::ValueReader values(key);
      values.Number(W("Capabilities"), entry.capabilities);
      values.Text(W("DeviceDesc"), entry.description);
      values.Text(W("Driver"), entry.driverKey);
      if (!entry.driverKey.empty()) ReadDriverInfo(entry.driverKey, true, entry.driver);
      values.MultiText(W("HardwareID"), entry.hardwareIds);
      values.Text(W("LocationInformation"), entry.location);
      values.Text(W("ParentIdPrefix"), entry.parentIdPrefix);
      values.Text(W("Mfg"), entry.manufacturer);
      values.Text(W("Service"), entry.service);
      usbDevices_.push_back(std::move(entry));
    });
  });
}
