// The services' lists of started device instances (their volatile "Enum" keys).
#include "detect/inventory_registry.h"
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

using inventory_registry::kServices;

namespace {

// Bytes a numbered value of an "Enum" key is read into.
constexpr DWORD kInstancePathBytes = 2048;

bool HasEnumSubkey(kcRegistry& service) {
  WString name, keyClass;
  for (DWORD index = 0; service.EnumerateSubkey(index, name, keyClass); ++index)
    if (name == W("Enum")) return true;
  return false;
}

}  // namespace

void kcDeviceInventory::ScanServices() {
  services_.clear();
  inventory_registry::ForEachSubkey(kServices, [&](const WString& service) {
    const WString servicePath = kServices + (W("\\") + service);
    kcRegistry serviceKey;
    if (!inventory_registry::OpenMachineKey(serviceKey, servicePath) || !HasEnumSubkey(serviceKey)) return;
    kcRegistry enumKey;
    if (!inventory_registry::OpenMachineKey(enumKey, servicePath + W("\\Enum"))) return;
    inventory_registry::ValueReader values(enumKey);
    DWORD count = 0;
    if (!values.Number(W("Count"), count) || count == 0) return;
    ServiceEnumEntry entry;
    entry.serviceName = service;
    for (DWORD index = 0; index < count; ++index) {
      WString path;
      if (!values.Text(wide::FromSigned(static_cast<LONG>(index)).c_str(), path, kInstancePathBytes)) continue;
      // USB\Vid_1234&Pid_5678\0001: later parts are ignored, shorter paths dropped.
      const std::vector<WString> parts = inventory_text::SplitParts(path, W('\\'));
      if (parts.size() < 3) continue;
      entry.instances.push_back(ServiceInstance{parts[0], parts[1], parts[2]});
    }
    services_.push_back(std::move(entry));
  });
}
