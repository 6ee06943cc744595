// The volumes of System\MountedDevices that have a drive letter and name the
// device they live on.
#include <string.h>

#include <vector>

#include "detect/inventory_registry.h"
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

namespace {

// "\DosDevices\X:": the letter stands at position 12.
constexpr size_t kLetterPosition = 12;

}  // namespace

void kcDeviceInventory::ScanMountedDevices() {
  mountedVolumes_.clear();
  kcRegistry key;
  if (!inventory_registry::OpenMachineKey(key, inventory_registry::kMountedDevices)) return;
  std::vector<BYTE> data(inventory_registry::ValueReader::kBufferBytes);
  WString name;
  for (DWORD index = 0;; ++index) {
    DWORD type = REG_BINARY;
    DWORD size = static_cast<DWORD>(data.size());
    if (!key.EnumerateValue(index, name, &type, data.data(), &size)) break;
    if (!inventory_text::StartsWithIgnoreCase(name, W("\\DosDevices")) || name.size() <= kLetterPosition) continue;
    const WCHAR letter = name[kLetterPosition];
    // The floppy and the system drive are never a player.
    if (letter == W('A') || letter == W('C')) continue;
    type = REG_BINARY;
    size = static_cast<DWORD>(data.size());
    if (!key.ReadRawValue(name.c_str(), &type, data.data(), &size)) continue;
    WString text(size / sizeof(WCHAR), W('\0'));
    if (!text.empty()) memcpy(&text[0], data.data(), text.size() * sizeof(WCHAR));
    // A fixed disk's volume is a binary disk signature and stops here; so do
    // the newer "_??_" forms.
    const std::vector<WString> parts = inventory_text::SplitParts(text, W('#'));
    if (!inventory_text::StartsWithIgnoreCase(parts[0], W("\\??\\")) || parts.size() < 3) continue;
    MountedDeviceEntry entry;
    entry.driveLetter = letter;
    entry.valueText = text;
    entry.busPart = parts[0].substr(4);
    entry.classPart = parts[1];
    entry.instancePart = parts[2];
    entry.removable = inventory_text::Contains(entry.classPart, W("RemovableMedia"));
    mountedVolumes_.push_back(std::move(entry));
  }
}
