#include "host_support/registry_sandbox.h"

#include "host_support/registry_tree.h"

#include <random>
#include <vector>

namespace {

const WCHAR kSandboxParent[] = W("Software\\MDPluginSandbox");

}  // namespace

RegistrySandbox::RegistrySandbox(HKEY root, bool lasting) : root_(root), lasting_(lasting) {
  // The parent lasts, so that both kinds of sandbox can live below it.
  HKEY parent = nullptr;
  status_ = RegCreateKeyExW(HKEY_CURRENT_USER, kSandboxParent, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &parent, nullptr);
  if (status_ != ERROR_SUCCESS) return;
  RegCloseKey(parent);
  std::random_device random;
  path_ = WString(kSandboxParent) + W("\\") + wide::FromUnsigned(random()) + wide::FromUnsigned(random());
  status_ = RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, CreateOptions(), KEY_ALL_ACCESS, nullptr,
                            &key_, nullptr);
  if (status_ != ERROR_SUCCESS) return;
  status_ = RegOverridePredefKey(root_, key_);
}

RegistrySandbox::~RegistrySandbox() {
  if (status_ == ERROR_SUCCESS) RegOverridePredefKey(root_, nullptr);
  if (key_) RegCloseKey(key_);
  if (!path_.empty()) DeleteRegistryTree(HKEY_CURRENT_USER, path_);
}

LSTATUS RegistrySandbox::Clear() {
  if (status_ != ERROR_SUCCESS) return status_;
  // Always the first child and the first value: each one found is deleted.
  for (;;) {
    WCHAR child[256];
    DWORD length = 256;
    const LSTATUS found = RegEnumKeyExW(key_, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
    if (found == ERROR_NO_MORE_ITEMS) break;
    if (found != ERROR_SUCCESS) return found;
    const LSTATUS deleted = DeleteRegistryTree(key_, WString(child, length));
    if (deleted != ERROR_SUCCESS) return deleted;
  }
  DWORD values = 0, longest = 0;
  const LSTATUS counted = RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                           &longest, nullptr, nullptr, nullptr);
  if (counted != ERROR_SUCCESS) return counted;
  std::vector<WCHAR> value(values ? longest + 1 : 0);
  for (; values > 0; --values) {
    DWORD length = static_cast<DWORD>(value.size());
    const LSTATUS found = RegEnumValueW(key_, 0, value.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (found != ERROR_SUCCESS) return found;
    const LSTATUS deleted = RegDeleteValueW(key_, value.data());
    if (deleted != ERROR_SUCCESS) return deleted;
  }
  return ERROR_SUCCESS;
}
