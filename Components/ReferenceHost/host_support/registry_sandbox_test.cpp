// A sandbox emptied for the next file: nothing written through the root is
// left, at any depth, and the root still leads into the sandbox.
#include "host_support/registry_sandbox.h"

#include <gtest/gtest.h>

namespace {

void Write(const WCHAR* path, const WCHAR* name) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                           nullptr, &key, nullptr));
  const DWORD value = 7;
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value));
  RegCloseKey(key);
}

// Keys and values directly in the redirected root.
void Count(DWORD* subkeys, DWORD* values) {
  ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr,
                                            values, nullptr, nullptr, nullptr, nullptr));
}

TEST(RegistrySandboxTest, ClearLeavesNothingAndKeepsTheRootRedirected) {
  RegistrySandbox sandbox;
  ASSERT_EQ(ERROR_SUCCESS, sandbox.Status());
  // The default value and a named one in the root itself, a deep branch and a
  // wide one below it.
  const struct {
    const WCHAR* path;
    const WCHAR* name;
  } writes[] = {
      {W(""), W("")},
      {W(""), W("InRoot")},
      {W("System\\CurrentControlSet\\Enum\\USB\\VID_1\\A"), W("Deep")},
      {W("System\\CurrentControlSet\\Enum\\USB\\VID_2"), W("")},
      {W("Software\\Vendor"), W("Wide")},
  };
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    for (const auto& write : writes) Write(write.path, write.name);
    DWORD subkeys = 0, values = 0;
    Count(&subkeys, &values);
    EXPECT_EQ(2u, subkeys);
    EXPECT_EQ(2u, values);

    EXPECT_EQ(ERROR_SUCCESS, sandbox.Clear());
    Count(&subkeys, &values);
    EXPECT_EQ(0u, subkeys);
    EXPECT_EQ(0u, values);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, W("System"), 0, KEY_READ, &key));
  }
}

}  // namespace
