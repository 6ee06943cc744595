// What the plug-in asks the inventory about a WMDM device: by drive letter, by
// identity (canonical name) or by a name text, and a better manufacturer name.
// Every lookup searches the lists in order and changes nothing.
#include "detect/inventory_text.h"
#include "detect/kc_device_inventory.h"

using inventory_text::Contains;
using inventory_text::Lowered;
using inventory_text::SplitParts;

namespace {

// Texts are handled in buffers of 2048 characters.
constexpr size_t kTextChars = 2047;

WCHAR UpperAscii(WCHAR c) { return (c >= W('a') && c <= W('z')) ? static_cast<WCHAR>(c - 32) : c; }

// The third "#"-separated part of an identity such as
// \\?\STORAGE#RemovableMedia#7&1a2b3c4d&0&RM#{...}; empty without one.
WString InstancePartOf(const WString& identity) {
  const std::vector<WString> parts = SplitParts(identity, W('#'));
  return parts.size() >= 3 ? parts[2] : WString();
}

}  // namespace

bool kcDeviceInventory::FindRecordByDriveLetter(WCHAR letter, DeviceInventoryRecord& out) const {
  if (!letter) return false;
  for (const DeviceInventoryRecord& record : records_) {
    if (record.driveLetter == letter) {
      out = record;
      return true;
    }
  }
  return false;
}

WCHAR kcDeviceInventory::DriveLetterForIdentity(const WString& identity) const {
  const WString instancePart = InstancePartOf(inventory_text::Clipped(identity, kTextChars));
  for (const MountedDeviceEntry& volume : mountedVolumes_)
    if (SameInstancePrefix(instancePart, volume.instancePart)) return volume.driveLetter;
  for (const UsbDeviceEntry& usb : usbDevices_) {
    if (usb.instanceId != instancePart || usb.storageLink < 0) continue;
    const WString& storagePrefix = storageDevices_[usb.storageLink].parentIdPrefix;
    for (const MountedDeviceEntry& volume : mountedVolumes_)
      if (SameInstancePrefix(storagePrefix, volume.instancePart)) return volume.driveLetter;
  }
  return 0;
}

bool kcDeviceInventory::FindRecordByName(const WString& key, DeviceInventoryRecord& out, bool strict) const {
  const WString text = inventory_text::Clipped(key, kTextChars);
  const std::vector<WString> parts = SplitParts(text, W('#'));
  auto found = [&](const DeviceInventoryRecord& record) {
    out = record;
    return true;
  };
  // \\?\usb#vid_1234&pid_5678#...: the VID/PID part.
  if (parts.size() >= 2 && inventory_text::StartsWithIgnoreCase(parts[1], W("vid_"))) {
    for (const DeviceInventoryRecord& record : records_)
      if (wide::EqualsIgnoreCaseAscii(record.vidPidText, parts[1])) return found(record);
  }
  // \\?\STORAGE#RemovableMedia#<parent id prefix>...: the instance part.
  if (parts.size() >= 3) {
    for (const DeviceInventoryRecord& record : records_)
      if (wide::EqualsIgnoreCaseAscii(record.parentIdPrefix, parts[2])) return found(record);
  }
  for (const DeviceInventoryRecord& record : records_)
    if (Contains(record.instanceId, text)) return found(record);
  if (const DeviceInventoryRecord* byWords = FindRecordByWords(text)) return found(*byWords);
  if (!strict && records_.size() == 1) return found(records_.front());
  return false;
}

const DeviceInventoryRecord* kcDeviceInventory::FindRecordByWords(const WString& key) const {
  std::vector<WString> words;
  for (WString& word : inventory_text::SplitWords(Lowered(key)))
    if (!IsCommonWord(word)) words.push_back(std::move(word));
  const DeviceInventoryRecord* best = nullptr;
  int bestScore = 0;
  for (const DeviceInventoryRecord& record : records_) {
    const WString fields[] = {Lowered(record.friendlyName), Lowered(record.description), Lowered(record.manufacturer),
                              Lowered(record.hardwareIds),  Lowered(record.vendor),      Lowered(record.product),
                              Lowered(record.volumeLabel),  Lowered(record.location)};
    int score = 0;
    for (const WString& word : words)
      for (const WString& field : fields)
        if (Contains(field, word)) ++score;
    // On a tie the earlier record stays.
    if (score > bestScore) {
      bestScore = score;
      best = &record;
    }
  }
  return best;
}

bool kcDeviceInventory::ManufacturerForDriveLetter(WCHAR letter, WString& manufacturer) const {
  const MountedDeviceEntry* volume = nullptr;
  for (const MountedDeviceEntry& candidate : mountedVolumes_) {
    if (candidate.driveLetter == letter) {
      volume = &candidate;
      break;
    }
  }
  if (!volume) return false;
  for (const UsbStorEntry& storage : storageDevices_) {
    if (storage.parentIdPrefix.empty() || !Contains(volume->instancePart, storage.parentIdPrefix)) continue;
    manufacturer = storage.manufacturer;
    WString firstWord;
    if (FirstWordOf(storage.friendlyName, firstWord)) manufacturer = firstWord;
    return true;
  }
  return false;
}

bool kcDeviceInventory::FirstWordOf(const WString& text, WString& out) {
  const std::vector<WString> words = inventory_text::SplitWords(inventory_text::Clipped(text, kTextChars));
  if (words.empty()) return false;
  WString word = Lowered(words.front());
  if (!word.empty()) word[0] = UpperAscii(word[0]);
  out = word;
  return true;
}
