// Hive files and key security. This registry lives in memory and the process
// holds neither the backup nor the restore privilege, so these answer as
// Windows answers such a caller: the arguments are checked, a file that cannot
// be found is reported, and otherwise the privilege is missing.
#include <sys/stat.h>

#include "drive_map.h"
#include "registry_store.h"

using winapi::RegistryStore;

namespace {

LSTATUS CheckKey(HKEY key) {
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  return store.Resolve(key).error;
}

bool Empty(LPCWSTR text) { return !text || !text[0]; }

bool FileExists(LPCWSTR file) {
  const std::string path = winapi::LinuxPathOf(file);
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsHiveRoot(HKEY key) { return key == HKEY_LOCAL_MACHINE || key == HKEY_USERS; }

}  // namespace

extern "C" LSTATUS RegLoadKeyW(HKEY key, LPCWSTR subKey, LPCWSTR file) {
  if (Empty(subKey) || Empty(file)) return ERROR_INVALID_PARAMETER;
  if (!IsHiveRoot(key)) return CheckKey(key) != ERROR_SUCCESS ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER;
  return ERROR_PRIVILEGE_NOT_HELD;
}

extern "C" LSTATUS RegUnLoadKeyW(HKEY key, LPCWSTR subKey) {
  if (Empty(subKey)) return ERROR_INVALID_PARAMETER;
  const LSTATUS status = CheckKey(key);
  return status != ERROR_SUCCESS ? status : ERROR_PRIVILEGE_NOT_HELD;
}

extern "C" LSTATUS RegSaveKeyW(HKEY key, LPCWSTR file, const SECURITY_ATTRIBUTES* security) {
  if (Empty(file)) return ERROR_INVALID_PARAMETER;
  const LSTATUS status = CheckKey(key);
  return status != ERROR_SUCCESS ? status : ERROR_PRIVILEGE_NOT_HELD;
}

extern "C" LSTATUS RegRestoreKeyW(HKEY key, LPCWSTR file, DWORD flags) {
  if (Empty(file)) return ERROR_INVALID_PARAMETER;
  const LSTATUS status = CheckKey(key);
  if (status != ERROR_SUCCESS) return status;
  // The file is opened before the restore asks for the privilege.
  return FileExists(file) ? ERROR_PRIVILEGE_NOT_HELD : ERROR_FILE_NOT_FOUND;
}

extern "C" LSTATUS RegReplaceKeyW(HKEY key, LPCWSTR subKey, LPCWSTR newFile, LPCWSTR oldFile) {
  if (Empty(newFile) || Empty(oldFile)) return ERROR_INVALID_PARAMETER;
  const LSTATUS status = CheckKey(key);
  if (status != ERROR_SUCCESS) return status;
  return FileExists(newFile) ? ERROR_PRIVILEGE_NOT_HELD : ERROR_FILE_NOT_FOUND;
}

extern "C" LSTATUS RegGetKeySecurity(HKEY key, SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor,
                                     LPDWORD descriptorSize) {
  if (!descriptorSize) return ERROR_INVALID_PARAMETER;
  const LSTATUS status = CheckKey(key);
  if (status != ERROR_SUCCESS) return status;
  if (information & SACL_SECURITY_INFORMATION) return ERROR_PRIVILEGE_NOT_HELD;
  const DWORD offered = *descriptorSize;
  *descriptorSize = winapi::kEmptyDescriptorSize;
  if (!descriptor || offered < winapi::kEmptyDescriptorSize) return ERROR_INSUFFICIENT_BUFFER;
  winapi::WriteEmptyDescriptor(static_cast<BYTE*>(descriptor));
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegSetKeySecurity(HKEY key, SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor) {
  if (!descriptor) return ERROR_INVALID_PARAMETER;
  const LSTATUS status = CheckKey(key);
  if (status != ERROR_SUCCESS) return status;
  return (information & SACL_SECURITY_INFORMATION) ? ERROR_PRIVILEGE_NOT_HELD : ERROR_ACCESS_DENIED;
}
