// How the device inventory reads the registry: every key below
// HKEY_LOCAL_MACHINE through its own kcRegistry opened for reading, string
// values through one 4096-byte buffer, and a field written only when its
// value could be read.
#pragma once

#include <functional>
#include <vector>

#include "detect/inventory_entries.h"
#include "detect/kc_registry.h"

namespace inventory_registry {

extern const WCHAR kEnumUsb[];
extern const WCHAR kEnumUsbStor[];
extern const WCHAR kEnumSbp2[];
extern const WCHAR kServices[];
extern const WCHAR kMountedDevices[];
extern const WCHAR kDeviceClasses[];

// Opens HKEY_LOCAL_MACHINE\path in `key` for reading.
bool OpenMachineKey(kcRegistry& key, const WString& path);

// Calls `visit` with each subkey name of HKEY_LOCAL_MACHINE\path, in the
// registry's order, until the enumeration ends; false when the key does not
// open.
bool ForEachSubkey(const WString& path, const std::function<void(const WString&)>& visit);

class ValueReader;

// One instance key of an Enum branch, branch\device\instance, open for reading.
struct InstanceKey {
  const WString& device;
  const WString& instance;
  ValueReader& values;
};

// Calls `visit` with each instance key two levels below
// HKEY_LOCAL_MACHINE\branch, in the registry's order, passing over instance
// keys that do not open and device keys that `takeDevice`, when given, refuses.
void ForEachInstanceKey(const WString& branch, const std::function<void(const InstanceKey&)>& visit,
                        const std::function<bool(const WString&)>& takeDevice = nullptr);

// Reads the values of one open key by the inventory's rules.
class ValueReader {
 public:
  static constexpr DWORD kBufferBytes = 4096;

  explicit ValueReader(kcRegistry& key) : key_(key), buffer_(kBufferBytes) {}

  // REG_SZ: the text up to its first zero character.
  bool Text(const WCHAR* name, WString& field, DWORD bufferBytes = kBufferBytes);
  // REG_MULTI_SZ: the whole value, every terminating zero included.
  bool MultiText(const WCHAR* name, WString& field);
  // REG_DWORD.
  bool Number(const WCHAR* name, DWORD& field);

 private:
  bool Raw(const WCHAR* name, DWORD type, DWORD bufferBytes, DWORD* size);

  kcRegistry& key_;
  std::vector<BYTE> buffer_;
};

// The names and values every branch's entries share.
inline void ReadInstanceValues(const InstanceKey& key, InstanceEntry& entry) {
  entry.deviceKey = key.device;
  entry.instanceId = key.instance;
  key.values.Number(W("Capabilities"), entry.capabilities);
  key.values.Text(W("DeviceDesc"), entry.description);
  key.values.Text(W("Driver"), entry.driverKey);
  key.values.MultiText(W("HardwareID"), entry.hardwareIds);
  key.values.Text(W("Mfg"), entry.manufacturer);
  key.values.Text(W("ParentIdPrefix"), entry.parentIdPrefix);
  key.values.Text(W("Service"), entry.service);
}

// What the disk branches add: the class and the friendly name.
inline void ReadDiskValues(const InstanceKey& key, DiskEntry& entry) {
  key.values.Text(W("Class"), entry.deviceClass);
  key.values.Text(W("FriendlyName"), entry.friendlyName);
}

// Replaces `entries` with one entry per instance key of the branch: the shared
// values, then what `readMore` adds for the branch.
template <typename Entry, typename ReadMore>
void ScanInstanceKeys(const WString& branch, std::vector<Entry>& entries, ReadMore readMore,
                      const std::function<bool(const WString&)>& takeDevice = nullptr) {
  entries.clear();
  ForEachInstanceKey(
      branch,
      [&](const InstanceKey& key) {
        Entry entry;
        ReadInstanceValues(key, entry);
        readMore(key, entry);
        entries.push_back(std::move(entry));
      },
      takeDevice);
}

}  // namespace inventory_registry
