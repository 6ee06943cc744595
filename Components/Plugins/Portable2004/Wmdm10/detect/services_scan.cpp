// The services' lists of started device instances (their volatile "Enum" keys).
#include "detect/inventory_registry.h"
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

#include <algorithm>
#include <vector>

using inventory_registry::kServices;

namespace {

// Bytes a numbered value of an "Enum" key is read into.
constexpr DWORD kInstancePathBytes = 2048;

// The index a value name stands for when it is an index written with "%d"
// (as the loop below writes names: indexes from 2^31 on come out negative),
// and below `count`.
bool IndexNamed(const WString& name, DWORD count, DWORD* index) {
  const bool negative = !name.empty() && name[0] == W('-');
  const size_t first = negative ? 1 : 0;
  if (name.size() <= first || name.size() - first > 10) return false;
  if (name[first] == W('0') && name.size() - first > 1) return false;  // no leading zeros
  long long value = 0;
  for (size_t i = first; i < name.size(); ++i) {
    if (name[i] < W('0') || name[i] > W('9')) return false;
    value = value * 10 + (name[i] - W('0'));
  }
  if (negative) value = -value;
  if (value == 0 && negative) return false;  // "%d" never writes "-0"
  if (value < -2147483648LL || value > 2147483647LL) return false;
  const DWORD asIndex = static_cast<DWORD>(static_cast<LONG>(value));
  if (asIndex >= count) return false;
  *index = asIndex;
  return true;
}

// The indexes below `count` for which the key holds a value, ascending. A
// count can claim four billion values; the key holds only so many, so only
// the indexes it names are read, with the same records as reading them all.
std::vector<DWORD> IndexesPresent(kcRegistry& enumKey, DWORD count) {
  std::vector<DWORD> indexes;
  WString name;
  for (DWORD position = 0;; ++position) {
    if (!enumKey.EnumerateValue(position, name, nullptr, nullptr, nullptr)) {
      // A name too long for the buffer is no index; any other failure ends the walk.
      if (enumKey.GetLastErrorCode() == ERROR_MORE_DATA) continue;
      break;
    }
    DWORD index = 0;
    if (IndexNamed(name, count, &index)) indexes.push_back(index);
  }
  std::sort(indexes.begin(), indexes.end());
  return indexes;
}

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
    for (const DWORD index : IndexesPresent(enumKey, count)) {
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
