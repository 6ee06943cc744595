#include "host_support/registry_sandbox.h"

#include "host_support/registry_tree.h"

#include <random>

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
