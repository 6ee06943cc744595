// Reading, writing, listing and deleting the values of a key.
#include <algorithm>

#include <wide_text.h>

#include "registry_store.h"

using winapi::RegistryStore;
using winapi::RegKey;
using winapi::RegText;
using winapi::RegValue;
using winapi::Resolved;

namespace {

// Hands a value's type and data to a caller as RegQueryValueExW and
// RegEnumValueW do: the size is always reported, the data only when it fits.
LSTATUS HandOver(const RegValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (type) *type = value.type;
  if (!dataSize) return ERROR_SUCCESS;
  const DWORD size = static_cast<DWORD>(value.data.size());
  const DWORD offered = *dataSize;
  *dataSize = size;
  if (!data) return ERROR_SUCCESS;
  if (offered < size) return ERROR_MORE_DATA;
  std::copy(value.data.begin(), value.data.end(), data);
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                    LPDWORD dataSize) {
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.ResolveFor(key, KEY_QUERY_VALUE);
  if (from.error != ERROR_SUCCESS) return from.error;
  const RegValue* value = RegistryStore::FindValue(*from.handle.key, valueName);
  if (!value) return ERROR_FILE_NOT_FOUND;
  return HandOver(*value, type, data, dataSize);
}

extern "C" LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                                  DWORD dataSize) {
  if (!data && dataSize) return ERROR_NOACCESS;
  if (wide::Length(valueName) > winapi::kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.ResolveFor(key, KEY_SET_VALUE);
  if (from.error != ERROR_SUCCESS) return from.error;
  RegKey& k = *from.handle.key;
  RegValue* value = RegistryStore::FindValue(k, valueName);
  if (!value) {
    // A new value goes last; rewriting one keeps its place and its name's case.
    value = &k.values.Add(RegValue{valueName ? RegText(valueName) : RegText(), REG_NONE, {}});
  }
  value->type = type;
  value->data.assign(data, data + dataSize);
  store.ValuesChanged(k);
  return ERROR_SUCCESS;
}

extern "C" LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameLength,
                                 LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (!valueName || !valueNameLength || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.ResolveFor(key, KEY_QUERY_VALUE);
  if (from.error != ERROR_SUCCESS) return from.error;
  const RegValue* found = from.handle.key->values.At(index);
  if (!found) return ERROR_NO_MORE_ITEMS;
  const RegValue& value = *found;
  const LSTATUS copied = winapi::CopyName(value.name, valueName, valueNameLength);
  if (copied != ERROR_SUCCESS) return copied;
  return HandOver(value, type, data, dataSize);
}

extern "C" LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
  RegistryStore& store = RegistryStore::Instance();
  auto lock = store.Lock();
  const Resolved from = store.ResolveFor(key, KEY_SET_VALUE);
  if (from.error != ERROR_SUCCESS) return from.error;
  RegKey& k = *from.handle.key;
  const RegValue* value = RegistryStore::FindValue(k, valueName);
  if (!value) return ERROR_FILE_NOT_FOUND;
  k.values.Remove(*value);
  store.ValuesChanged(k);
  return ERROR_SUCCESS;
}
