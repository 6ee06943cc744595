// Registering an in-process COM class under HKEY_CLASSES_ROOT and removing it.
#include <objbase.h>

#include <algorithm>

#include <unique_task_mem.h>

#include "detect/kc_registry.h"

namespace {

constexpr DWORD kModuleNameChars = 512;
constexpr DWORD kClassIdTextChars = 78;
constexpr DWORD kClassesRootPathChars = 1024;
// A braced class id and its terminator.
constexpr DWORD kBracedClassIdChars = 39;

}  // namespace

void kcRegistry::ClsidToString(REFCLSID classId, WCHAR* buffer, DWORD size) {
  if (!buffer || size < kBracedClassIdChars) return;
  UniqueTaskMem<OLECHAR> text;
  if (FAILED(StringFromCLSID(classId, text.Put())) || !text) return;
  const size_t length = std::min<size_t>(wide::Length(text.Get()), size - 1);
  std::copy(text.Get(), text.Get() + length, buffer);
  buffer[length] = 0;
}

bool kcRegistry::WriteClassesRootDefault(const WCHAR* keyName, const WCHAR* subkeyName, const WCHAR* value) {
  if (!keyName) return false;
  WString path(keyName);
  if (subkeyName) path += W("\\") + WString(subkeyName);
  if (path.size() > kClassesRootPathChars - 1) path.resize(kClassesRootPathChars - 1);
  HKEY created = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &created, nullptr) != ERROR_SUCCESS)
    return false;
  if (value) {
    const DWORD bytes = static_cast<DWORD>((wide::Length(value) + 1) * sizeof(WCHAR));
    RegSetValueExW(created, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
  }
  RegCloseKey(created);
  return true;
}

void kcRegistry::RegisterComClass(HMODULE module, REFCLSID classId, const WCHAR* description,
                                  const WCHAR* versionIndependentProgId, const WCHAR* progId) {
  WCHAR moduleName[kModuleNameChars] = {};
  GetModuleFileNameW(module, moduleName, kModuleNameChars);
  WCHAR classIdText[kClassIdTextChars] = {};
  ClsidToString(classId, classIdText, kClassIdTextChars);
  const WString keyPath = W("CLSID\\") + WString(classIdText);
  // Each step is tried whatever became of the ones before.
  WriteClassesRootDefault(keyPath.c_str(), nullptr, description);
  WriteClassesRootDefault(keyPath.c_str(), W("InprocServer32"), moduleName);
  WriteClassesRootDefault(keyPath.c_str(), W("ProgID"), progId);
  WriteClassesRootDefault(keyPath.c_str(), W("VersionIndependentProgID"), versionIndependentProgId);
  WriteClassesRootDefault(versionIndependentProgId, nullptr, description);
  WriteClassesRootDefault(versionIndependentProgId, W("CLSID"), classIdText);
  WriteClassesRootDefault(versionIndependentProgId, W("CurVer"), progId);
  WriteClassesRootDefault(progId, nullptr, description);
  WriteClassesRootDefault(progId, W("CLSID"), classIdText);
}

void kcRegistry::UnregisterComClass(REFCLSID classId, const WCHAR* versionIndependentProgId, const WCHAR* progId) {
  WCHAR classIdText[kClassIdTextChars] = {};
  ClsidToString(classId, classIdText, kClassIdTextChars);
  const WString keyPath = W("CLSID\\") + WString(classIdText);
  DeleteKeyTree(HKEY_CLASSES_ROOT, keyPath.c_str());
  if (versionIndependentProgId) DeleteKeyTree(HKEY_CLASSES_ROOT, versionIndependentProgId);
  if (progId) DeleteKeyTree(HKEY_CLASSES_ROOT, progId);
}
