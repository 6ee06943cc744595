// Deleting keys with everything below them.
#include <vector>

#include "detect/kc_registry.h"

namespace {

// Access the parent of a key to delete is opened with: query, set, create
// subkey, enumerate and notify.
constexpr REGSAM kParentAccess = 0x1F;
constexpr DWORD kChildNameChars = 260;
constexpr DWORD kTreeChildNameChars = 256;

}  // namespace

bool kcRegistry::DeleteKey(const WCHAR* path) {
  if (!path) return InvalidParameter();
  try {
    const WString fullPath(path);
    const size_t separator = fullPath.rfind(W('\\'));
    if (separator == WString::npos) return Record(DeleteKeyRecursive(key_, path));
    const WString parent = fullPath.substr(0, separator);
    const WString last = fullPath.substr(separator + 1);
    const WString previousPath = keyPath_;
    if (!OpenKey(parent.c_str(), kParentAccess)) {
      keyPath_ = previousPath;
      return false;
    }
    // The wrapper stays on the parent.
    return Record(DeleteKeyRecursive(key_, last.c_str()));
  } catch (...) {
    return Record(kErrorExceptionInOperation);
  }
}

LONG kcRegistry::DeleteKeyRecursive(HKEY parent, const WCHAR* subkey) {
  HKEY opened = nullptr;
  const LONG openResult = RegOpenKeyExW(parent, subkey, 0, KEY_ALL_ACCESS, &opened);
  if (openResult != ERROR_SUCCESS) return openResult;
  std::vector<WCHAR> child;
  try {
    child.assign(kChildNameChars, 0);
  } catch (...) {
    RegCloseKey(opened);
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  while (RegEnumKeyW(opened, 0, child.data(), kChildNameChars) == ERROR_SUCCESS) {
    const LONG childResult = DeleteKeyRecursive(opened, child.data());
    if (childResult != ERROR_SUCCESS) {
      RegCloseKey(opened);
      return childResult;
    }
  }
  RegCloseKey(opened);
  return RegDeleteKeyW(parent, subkey);
}

LONG kcRegistry::DeleteKeyTree(HKEY root, const WCHAR* subkey) {
  HKEY opened = nullptr;
  const LONG openResult = RegOpenKeyExW(root, subkey, 0, KEY_ALL_ACCESS, &opened);
  if (openResult != ERROR_SUCCESS) return openResult;
  WCHAR child[kTreeChildNameChars];
  for (;;) {
    DWORD length = kTreeChildNameChars;
    if (RegEnumKeyExW(opened, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const LONG childResult = DeleteKeyTree(opened, child);
    if (childResult != ERROR_SUCCESS) {
      RegCloseKey(opened);
      return childResult;
    }
  }
  RegCloseKey(opened);
  return RegDeleteKeyW(root, subkey);
}
