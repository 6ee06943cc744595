// Opening, creating, closing, deleting and listing keys.
#include <algorithm>

#include "registry_store.h"

using winapi::RegistryStore;
using winapi::RegKey;
using winapi::RegText;
using winapi::Resolved;
using winapi::CopyName;

namespace {

constexpr DWORD kGenericRead = 0x80000000u, kGenericWrite = 0x40000000u, kGenericExecute = 0x20000000u,
                kGenericAll = 0x10000000u;

REGSAM GrantedAccess(REGSAM desired) {
  if (desired & (MAXIMUM_ALLOWED | kGenericAll)) return KEY_ALL_ACCESS;
  REGSAM granted = desired & KEY_ALL_ACCESS;
  if (desired & (kGenericRead | kGenericExecute)) granted |= KEY_READ;
  if (desired & kGenericWrite) granted |= KEY_WRITE;
  return granted;
}

bool StartsWithSeparator(const WCHAR* path) { return path && path[0] == u'\\'; }

// Where an open or a create starts, under the store's lock: the key `key`
// designates, and the names along `subKey` below it, checked.
LSTATUS ResolvePath(RegistryStore& store, HKEY key, LPCWSTR subKey, Resolved* from, std::vector<RegText>* parts) {
  *from = store.Resolve(key);
  if (from->error != ERROR_SUCCESS) return from->error;
  if (StartsWithSeparator(subKey)) return ERROR_BAD_PATHNAME;
  *parts = RegistryStore::SplitPath(subKey);
  return RegistryStore::CheckPathNames(*parts);
}

}  // namespace

extern "C" LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  Resolved from;
  std::vector<RegText> parts;
  const LSTATUS start = ResolvePath(store, key, subKey, &from, &parts);
  if (start != ERROR_SUCCESS) return start;
  const std::shared_ptr<RegKey> target = RegistryStore::Find(from.handle.key, subKey);
  if (!target) return ERROR_FILE_NOT_FOUND;
  *result = store.Insert({target, GrantedAccess(desired)});
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                                   REGSAM desired, const SECURITY_ATTRIBUTES* security, PHKEY result,
                                   LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  Resolved from;
  std::vector<RegText> parts;
  const LSTATUS start = ResolvePath(store, key, subKey, &from, &parts);
  if (start != ERROR_SUCCESS) return start;
  // No key lies deeper than the limit, so such a path names none, and nothing
  // of it is created. Windows' key control block refuses a level past the
  // limit, which the call reports as a lack of system resources.
  if (from.handle.key->depth + parts.size() > winapi::kMaxKeyDepth) return ERROR_NO_SYSTEM_RESOURCES;
  const bool makeVolatile = (options & REG_OPTION_VOLATILE) != 0;
  std::shared_ptr<RegKey> current = from.handle.key;
  bool created = false;
  for (const RegText& part : parts) {
    std::shared_ptr<RegKey> next = RegistryStore::FindChild(*current, part);
    if (!next) {
      if (!winapi::Grants(from.handle, KEY_CREATE_SUB_KEY) && current == from.handle.key) return ERROR_ACCESS_DENIED;
      if (current->isVolatile && !makeVolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
      next = RegistryStore::AddChild(*current, part, RegText(), makeVolatile);
      store.Touch(*current, true);
      created = true;
    }
    current = next;
  }
  if (created && keyClass) current->keyClass = keyClass;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = store.Insert({current, GrantedAccess(desired)});
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegCloseKey(HKEY key) {
  if (RegistryStore::IsPredefined(key)) return ERROR_SUCCESS;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  return store.Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

extern "C" LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.Resolve(key);
  if (from.error != ERROR_SUCCESS) return from.error;
  const LSTATUS names = RegistryStore::CheckPathNames(RegistryStore::SplitPath(subKey));
  if (names != ERROR_SUCCESS) return names;
  const std::shared_ptr<RegKey> target = RegistryStore::Find(from.handle.key, subKey);
  if (!target) return ERROR_FILE_NOT_FOUND;
  // Roots cannot go, and a key goes only once it has no subkeys.
  if (!target->parent || !target->subkeys.Empty()) return ERROR_ACCESS_DENIED;
  RegKey& parent = *target->parent;
  RegistryStore::RemoveChild(parent, *target);
  target->deleted = true;
  store.Touch(*target, true);
  target->parent = nullptr;
  store.Touch(parent, true);
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegFlushKey(HKEY key) {
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  return store.Resolve(key).error;
}

extern "C" LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved,
                                 LPWSTR keyClass, LPDWORD classLength, PFILETIME lastWriteTime) {
  if (!name || !nameLength || reserved) return ERROR_INVALID_PARAMETER;
  if (keyClass && !classLength) return ERROR_INVALID_PARAMETER;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.ResolveFor(key, KEY_ENUMERATE_SUB_KEYS);
  if (from.error != ERROR_SUCCESS) return from.error;
  const RegKey* found = from.handle.key->subkeys.At(index);
  if (!found) return ERROR_NO_MORE_ITEMS;
  const RegKey& child = *found;
  if (child.name.size() >= *nameLength) return ERROR_MORE_DATA;
  if (keyClass && child.keyClass.size() >= *classLength) return ERROR_MORE_DATA;
  CopyName(child.name, name, nameLength);
  if (keyClass) CopyName(child.keyClass, keyClass, classLength);
  else if (classLength) *classLength = static_cast<DWORD>(child.keyClass.size());
  if (lastWriteTime) *lastWriteTime = child.lastWrite;
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegEnumKeyW(HKEY key, DWORD index, LPWSTR name, DWORD nameLength) {
  return RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
}

extern "C" LSTATUS RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classLength, LPDWORD reserved,
                                    LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                    LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                                    LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  if (reserved || (keyClass && !classLength)) return ERROR_INVALID_PARAMETER;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.ResolveFor(key, KEY_QUERY_VALUE);
  if (from.error != ERROR_SUCCESS) return from.error;
  const RegKey& k = *from.handle.key;
  DWORD longestName = 0, longestClass = 0, longestValueName = 0, longestData = 0;
  k.subkeys.ForEach([&](const RegKey& child) {
    longestName = std::max<DWORD>(longestName, static_cast<DWORD>(child.name.size()));
    longestClass = std::max<DWORD>(longestClass, static_cast<DWORD>(child.keyClass.size()));
  });
  k.values.ForEach([&](const winapi::RegValue& value) {
    longestValueName = std::max<DWORD>(longestValueName, static_cast<DWORD>(value.name.size()));
    longestData = std::max<DWORD>(longestData, static_cast<DWORD>(value.data.size()));
  });
  if (subKeys) *subKeys = static_cast<DWORD>(k.subkeys.Size());
  if (maxSubKeyLength) *maxSubKeyLength = longestName;
  if (maxClassLength) *maxClassLength = longestClass;
  if (values) *values = static_cast<DWORD>(k.values.Size());
  if (maxValueNameLength) *maxValueNameLength = longestValueName;
  if (maxValueLength) *maxValueLength = longestData;
  if (securityDescriptorSize) *securityDescriptorSize = winapi::kEmptyDescriptorSize;
  if (lastWriteTime) *lastWriteTime = k.lastWrite;
  if (keyClass) {
    const LSTATUS copied = CopyName(k.keyClass, keyClass, classLength);
    return copied == ERROR_MORE_DATA ? ERROR_INSUFFICIENT_BUFFER : copied;
  }
  if (classLength) *classLength = static_cast<DWORD>(k.keyClass.size());
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegOverridePredefKey(HKEY key, HKEY newKey) {
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  return store.Override(key, newKey);
}

extern "C" LSTATUS RegNotifyChangeKeyValue(HKEY key, BOOL watchSubtree, DWORD notifyFilter, HANDLE event,
                                           BOOL asynchronous) {
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.ResolveFor(key, KEY_NOTIFY);
  if (from.error != ERROR_SUCCESS) return from.error;
  // An asynchronous watch signals an event, and this layer has no event
  // objects: whatever handle is given cannot be one.
  if (asynchronous) return ERROR_INVALID_HANDLE;
  const std::shared_ptr<RegKey> watched = from.handle.key;
  const bool names = (notifyFilter & REG_NOTIFY_CHANGE_NAME) != 0;
  const bool valuesToo = (notifyFilter & (REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_ATTRIBUTES)) != 0;
  auto stamp = [&] {
    unsigned long long sum = 0;
    if (names) sum += watchSubtree ? watched->treeNameStamp : watched->nameStamp;
    if (valuesToo) sum += watchSubtree ? watched->treeValueStamp : watched->valueStamp;
    return sum;
  };
  const unsigned long long before = stamp();
  store.Changed().wait(lock, [&] { return watched->deleted || stamp() != before; });
  return ERROR_SUCCESS;
}
