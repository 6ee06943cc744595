// The wrapper's life, its keys and what it reports about them.
#include "detect/kc_registry.h"

#include <algorithm>
#include <memory>

namespace {

struct RootName {
  HKEY root;
  const WCHAR* name;
};

const RootName kRootNames[] = {
    {HKEY_LOCAL_MACHINE, W("HKEY_LOCAL_MACHINE")},       {HKEY_CLASSES_ROOT, W("HKEY_CLASSES_ROOT")},
    {HKEY_USERS, W("HKEY_USERS")},                       {HKEY_CURRENT_USER, W("HKEY_CURRENT_USER")},
    {HKEY_PERFORMANCE_DATA, W("HKEY_PERFORMANCE_DATA")}, {HKEY_CURRENT_CONFIG, W("HKEY_CURRENT_CONFIG")},
    {HKEY_DYN_DATA, W("HKEY_DYN_DATA")},
};

}  // namespace

kcRegistry::kcRegistry() { Reset(); }

kcRegistry::~kcRegistry() {
  if (root_) {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
    if (RegCloseKey(root_) == ERROR_SUCCESS) Reset();
  }
  Reset();
}

void kcRegistry::Reset() {
  keyClass_.clear();
  machineName_.clear();
  keyPath_.clear();
  rootName_.clear();
  key_ = nullptr;
  root_ = nullptr;
  errorCode_ = 0;
  subkeyCount_ = valueCount_ = 0;
  longestSubkeyName_ = longestClassName_ = longestValueName_ = longestValueData_ = 0;
  securityDescriptorSize_ = 0;
  lastWriteTime_ = FILETIME{0, 0};
}

bool kcRegistry::Record(LONG result) {
  errorCode_ = result;
  return result == ERROR_SUCCESS;
}

bool kcRegistry::InvalidParameter() { return Record(ERROR_INVALID_PARAMETER); }

bool kcRegistry::Close() {
  if (key_) {
    RegCloseKey(key_);
    key_ = nullptr;
  }
  if (!root_) return true;
  const LONG result = RegCloseKey(root_);
  if (result != ERROR_SUCCESS) return Record(result);
  root_ = nullptr;
  Reset();
  return true;
}

void kcRegistry::SetRoot(HKEY root) {
  for (const RootName& known : kRootNames) {
    if (known.root == root) {
      root_ = root;
      rootName_ = known.name;
      return;
    }
  }
  rootName_ = W("Unknown");
}

bool kcRegistry::OpenKey(const WCHAR* path, REGSAM access) {
  try {
    if (key_) {
      RegCloseKey(key_);
      key_ = nullptr;
    }
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(root_, path, 0, access, &opened);
    if (result != ERROR_SUCCESS) return Record(result);
    key_ = opened;
    RefreshKeyInfo();
    keyPath_ = wide::FromPtr(path);
    return true;
  } catch (...) {
    return Record(kErrorExceptionInOperation);
  }
}

bool kcRegistry::CreateKey(const WCHAR* path, const WCHAR* keyClass, DWORD options, REGSAM access,
                           SECURITY_ATTRIBUTES* security, DWORD* disposition) {
  if (!path) return InvalidParameter();
  try {
    if (key_) {
      RegCloseKey(key_);
      key_ = nullptr;
    }
    WString classText = wide::FromPtr(keyClass);
    HKEY created = nullptr;
    DWORD createdDisposition = 0;
    const LONG result = RegCreateKeyExW(root_, path, 0, &classText[0], options, access, security, &created,
                                        &createdDisposition);
    if (result != ERROR_SUCCESS) return Record(result);
    key_ = created;
    if (disposition) *disposition = createdDisposition;
    keyPath_ = path;
    return Record(result);
  } catch (...) {
    return Record(kErrorExceptionInOperation);
  }
}

WString kcRegistry::FilledText(const WCHAR* buffer, size_t chars) {
  return WString(buffer, std::find(buffer, buffer + chars, WCHAR(0)));
}

bool kcRegistry::RefreshKeyInfo() {
  std::unique_ptr<WCHAR[]> keyClass(new WCHAR[kNameBufferChars]);
  DWORD classLength = kNameBufferChars - 1;
  const LONG result = RegQueryInfoKeyW(key_, keyClass.get(), &classLength, nullptr, &subkeyCount_,
                                       &longestSubkeyName_, &longestClassName_, &valueCount_, &longestValueName_,
                                       &longestValueData_, &securityDescriptorSize_, &lastWriteTime_);
  if (result == ERROR_SUCCESS) keyClass_ = FilledText(keyClass.get(), std::min(classLength, kNameBufferChars));
  return Record(result);
}

bool kcRegistry::EnumerateSubkey(DWORD index, WString& name, WString& keyClass) {
  std::unique_ptr<WCHAR[]> nameBuffer(new WCHAR[kNameBufferChars]);
  std::unique_ptr<WCHAR[]> classBuffer(new WCHAR[kNameBufferChars]);
  DWORD nameLength = kNameBufferChars - 1;
  DWORD classLength = kNameBufferChars - 1;
  const LONG result = RegEnumKeyExW(key_, index, nameBuffer.get(), &nameLength, nullptr, classBuffer.get(),
                                    &classLength, &lastWriteTime_);
  if (result == ERROR_SUCCESS) {
    name = FilledText(nameBuffer.get(), std::min(nameLength, kNameBufferChars));
    keyClass = FilledText(classBuffer.get(), std::min(classLength, kNameBufferChars));
  }
  return Record(result);
}

bool kcRegistry::FlushKey() { return Record(RegFlushKey(key_)); }

void kcRegistry::GetKeyClass(WString& out) { out = keyClass_; }
void kcRegistry::GetMachineName(WString& out) { out = machineName_; }
LONG kcRegistry::GetLastErrorCode() { return errorCode_; }
void kcRegistry::GetKeyPath(WString& out) { out = keyPath_; }
DWORD kcRegistry::GetSubkeyCount() { return subkeyCount_; }
DWORD kcRegistry::GetValueCount() { return valueCount_; }
void kcRegistry::GetRootName(WString& out) { out = rootName_; }
