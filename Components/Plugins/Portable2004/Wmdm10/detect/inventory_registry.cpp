#include "detect/inventory_registry.h"

#include <string.h>

#include <algorithm>

namespace inventory_registry {

const WCHAR kEnumUsb[] = W("System\\CurrentControlSet\\Enum\\USB");
const WCHAR kEnumUsbStor[] = W("System\\CurrentControlSet\\Enum\\USBSTOR");
const WCHAR kEnumSbp2[] = W("System\\CurrentControlSet\\Enum\\SBP2");
const WCHAR kServices[] = W("System\\CurrentControlSet\\Services");
const WCHAR kMountedDevices[] = W("System\\MountedDevices");
const WCHAR kDeviceClasses[] = W("System\\CurrentControlSet\\Control\\Class");

bool OpenMachineKey(kcRegistry& key, const WString& path) {
  key.SetRoot(HKEY_LOCAL_MACHINE);
  return key.OpenKey(path.c_str(), KEY_READ);
}

bool ForEachSubkey(const WString& path, const std::function<void(const WString&)>& visit) {
  kcRegistry key;
  if (!OpenMachineKey(key, path)) return false;
  WString name, keyClass;
  for (DWORD index = 0; key.EnumerateSubkey(index, name, keyClass); ++index) visit(name);
  return true;
}

void ForEachInstanceKey(const WString& branch, const std::function<void(const InstanceKey&)>& visit,
                        const std::function<bool(const WString&)>& takeDevice) {
  ForEachSubkey(branch, [&](const WString& device) {
    if (takeDevice && !takeDevice(device)) return;
    const WString devicePath = branch + (W("\\") + device);
    ForEachSubkey(devicePath, [&](const WString& instance) {
      kcRegistry key;
      if (!OpenMachineKey(key, devicePath + W("\\") + instance)) return;
      ValueReader values(key);
      visit(InstanceKey{device, instance, values});
    });
  });
}

bool ValueReader::Raw(const WCHAR* name, DWORD type, DWORD bufferBytes, DWORD* size) {
  *size = bufferBytes;
  return key_.ReadRawValue(name, &type, buffer_.data(), size);
}

bool ValueReader::Text(const WCHAR* name, WString& field, DWORD bufferBytes) {
  DWORD size = 0;
  if (!Raw(name, REG_SZ, std::min(bufferBytes, kBufferBytes), &size)) return false;
  WString text(size / sizeof(WCHAR), W('\0'));
  memcpy(&text[0], buffer_.data(), text.size() * sizeof(WCHAR));
  field = text.c_str();
  return true;
}

bool ValueReader::MultiText(const WCHAR* name, WString& field) {
  DWORD size = 0;
  if (!Raw(name, REG_MULTI_SZ, kBufferBytes, &size)) return false;
  field.assign(size / sizeof(WCHAR), W('\0'));
  if (!field.empty()) memcpy(&field[0], buffer_.data(), field.size() * sizeof(WCHAR));
  return true;
}

bool ValueReader::Number(const WCHAR* name, DWORD& field) {
  DWORD value = 0;
  DWORD type = REG_DWORD;
  DWORD size = sizeof(value);
  if (!key_.ReadRawValue(name, &type, reinterpret_cast<BYTE*>(&value), &size)) return false;
  field = value;
  return true;
}

}  // namespace inventory_registry
