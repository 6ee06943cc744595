#include "host_support/registry_tree.h"

LSTATUS DeleteRegistryTree(HKEY parent, const WString& path) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (status != ERROR_SUCCESS) return status;
  WCHAR child[256];
  for (;;) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    status = DeleteRegistryTree(key, child);
    if (status != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? RegDeleteKeyW(parent, path.c_str()) : status;
}
