// How the device inventory reads the registry: every key below
// HKEY_LOCAL_MACHINE through its own kcRegistry opened for reading, string
// values through one 4096-byte buffer, and a field written only when its
// value could be read.
#pragma once

#include <functional>
#include <vector>

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

}  // namespace inventory_registry
