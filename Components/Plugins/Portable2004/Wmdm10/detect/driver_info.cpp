// The driver facts of a device, from its driver key's entry in the device
// classes: "{class guid}\0003" names Control\Class\{class guid}\0003.
#include "detect/inventory_registry.h"
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

void kcDeviceInventory::ReadDriverInfo(const WString& driverKey, bool usb, DriverInfo& driver) {
  const std::vector<WString> parts = inventory_text::SplitParts(driverKey, W('\\'));
  // Without an index part there is no class entry to read.
  if (parts.size() < 2) return;
  kcRegistry key;
  const WString path = inventory_registry::kDeviceClasses + (W("\\") + parts[0]) + W("\\") + parts[1];
  if (!inventory_registry::OpenMachineKey(key, path)) return;
  inventory_registry::ValueReader values(key);
  values.Text(W("DriverDesc"), driver.description);
  // A FireWire disk shares its class entry with every other disk, so a
  // portable-player driver named there is not its own.
  if (usb)
    values.Text(W("NTMPDriver"), driver.portablePlayerDriver);
  else
    driver.portablePlayerDriver.clear();
  values.Text(W("ProviderName"), driver.provider);
  values.Text(W("DriverDate"), driver.date);
  values.Text(W("DriverVersion"), driver.version);
}
