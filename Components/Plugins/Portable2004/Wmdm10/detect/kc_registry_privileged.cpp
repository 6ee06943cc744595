// Hives, key security, change watches and restoring a key from a file: the
// operations that need privileges or events the device inventory never uses.
#include "detect/kc_registry.h"

namespace {

// Enables the restore privilege in the process token; it stays enabled.
bool EnableRestorePrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = LookupPrivilegeValueW(nullptr, W("SeRestorePrivilege"), &privileges.Privileges[0].Luid) != FALSE;
  if (enabled) {
    // Success of the call alone is not enough: a privilege the token does not
    // hold is reported as ERROR_NOT_ALL_ASSIGNED.
    enabled = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) != FALSE &&
              GetLastError() == ERROR_SUCCESS;
  }
  CloseHandle(token);
  return enabled;
}

}  // namespace

bool kcRegistry::GetKeySecurity(SECURITY_INFORMATION information, PSECURITY_DESCRIPTOR descriptor, DWORD* size) {
  if (!descriptor) return InvalidParameter();
  return Record(RegGetKeySecurity(key_, information, descriptor, size));
}

bool kcRegistry::SetKeySecurity(SECURITY_INFORMATION* information, PSECURITY_DESCRIPTOR descriptor) {
  if (!descriptor || !information) return InvalidParameter();
  return Record(RegSetKeySecurity(key_, *information, descriptor));
}

bool kcRegistry::LoadHive(const WCHAR* subkey, const WCHAR* file) {
  if (!subkey || !file) return InvalidParameter();
  return Record(RegLoadKeyW(root_, subkey, file));
}

bool kcRegistry::UnloadHive(const WCHAR* subkey) {
  if (!subkey) return InvalidParameter();
  return Record(RegUnLoadKeyW(key_, subkey));
}

bool kcRegistry::SaveKey(const WCHAR* file, SECURITY_ATTRIBUTES* security) {
  if (!file) return InvalidParameter();
  return Record(RegSaveKeyW(key_, file, security));
}

bool kcRegistry::ReplaceHive(const WCHAR* subkey, const WCHAR* newFile, const WCHAR* oldFile) {
  if (!subkey || !newFile || !oldFile) return InvalidParameter();
  return Record(RegReplaceKeyW(key_, subkey, newFile, oldFile));
}

bool kcRegistry::RestoreKey(const WCHAR* file, DWORD flags) {
  if (!file) return InvalidParameter();
  const LONG first = RegRestoreKeyW(key_, file, flags);
  if (first == ERROR_SUCCESS) return Record(first);
  if (!EnableRestorePrivilege()) return Record(first);
  return Record(RegRestoreKeyW(key_, file, flags));
}

bool kcRegistry::WatchChanges(HANDLE event, DWORD filter, bool watchSubtree, bool asynchronous) {
  return Record(RegNotifyChangeKeyValue(key_, watchSubtree ? TRUE : FALSE, filter, event, asynchronous ? TRUE : FALSE));
}
