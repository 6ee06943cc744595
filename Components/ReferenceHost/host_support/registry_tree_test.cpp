// Deleting a tree of keys: every branch at every level goes, without one call
// frame per level.
#include "host_support/registry_tree.h"

#include <gtest/gtest.h>

#include <random>

namespace {

HKEY Create(const WString& path) {
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  return key;
}

bool Exists(const WString& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST(RegistryTreeTest, DeletesEveryBranchAtEveryLevel) {
  std::random_device random;
  const WString top = W("Software\\MDPluginTests\\Tree") + wide::FromUnsigned(random());
  WString deep = top;
  for (int level = 0; level < 300; ++level) {
    deep += W("\\K");
    if (level % 50 == 0)
      for (const WCHAR* side : {W("\\SideA"), W("\\SideB\\Below")}) RegCloseKey(Create(deep + side));
  }
  HKEY leaf = Create(deep);
  const DWORD value = 1;
  RegSetValueExW(leaf, W("Value"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(leaf);
  ASSERT_TRUE(Exists(deep));
  EXPECT_EQ(ERROR_SUCCESS, DeleteRegistryTree(HKEY_CURRENT_USER, top));
  EXPECT_FALSE(Exists(top));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, DeleteRegistryTree(HKEY_CURRENT_USER, top));
}

}  // namespace
