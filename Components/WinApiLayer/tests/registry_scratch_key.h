// A key of the test's own below HKEY_CURRENT_USER\Software\MDPluginTests,
// removed with everything below it when the test ends. On the Windows lane it
// lives in the real registry, so the tests state what Windows answers.
#pragma once

#include <gtest/gtest.h>

#include <wide_text.h>

#include <random>
#include <vector>

inline LSTATUS DeleteRegistryTree(HKEY parent, const WString& name) {
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (status != ERROR_SUCCESS) return status;
  WCHAR child[256];
  while (RegEnumKeyW(key, 0, child, 256) == ERROR_SUCCESS) {
    status = DeleteRegistryTree(key, child);
    if (status != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? RegDeleteKeyW(parent, name.c_str()) : status;
}

class ScratchKey {
 public:
  explicit ScratchKey(DWORD options = REG_OPTION_NON_VOLATILE) {
    std::random_device random;
    name_ = W("Software\\MDPluginTests\\") + wide::FromUnsigned(random()) + wide::FromUnsigned(random());
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, options,
                                             KEY_ALL_ACCESS, nullptr, &key_, nullptr));
  }
  ~ScratchKey() {
    if (key_) RegCloseKey(key_);
    DeleteRegistryTree(HKEY_CURRENT_USER, name_);
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY Get() const { return key_; }
  const WString& Path() const { return name_; }

  // Creates (or opens) a subkey and closes it again.
  void Create(const WString& path, DWORD options = REG_OPTION_NON_VOLATILE) const {
    HKEY child = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(key_, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr,
                                             &child, nullptr));
    RegCloseKey(child);
  }

  std::vector<WString> SubkeyNames() const {
    std::vector<WString> names;
    WCHAR name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (RegEnumKeyExW(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
    return names;
  }

 private:
  WString name_;
  HKEY key_ = nullptr;
};

// Holds a key opened by the test and closes it.
class KeyHolder {
 public:
  KeyHolder() = default;
  ~KeyHolder() {
    if (key_) RegCloseKey(key_);
  }
  KeyHolder(const KeyHolder&) = delete;
  KeyHolder& operator=(const KeyHolder&) = delete;
  HKEY* Put() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Creates or opens `path` below `parent` for every access, into `key`.
inline LSTATUS CreateKey(HKEY parent, const WString& path, KeyHolder* key, DWORD options = REG_OPTION_NON_VOLATILE,
                         DWORD* disposition = nullptr) {
  return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, key->Put(), disposition);
}
