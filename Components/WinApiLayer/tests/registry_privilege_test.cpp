// Hive files, key security, change notification and the process token, in the
// cases whose answer does not depend on the caller's privileges.
#include <wine_probe.h>

#include <atomic>
#include <functional>
#include <thread>

#include "registry_scratch_key.h"

namespace {

TEST(RegistryPrivileged, HiveAndWatchCallsCheckTheirArgumentsFirst) {
  ScratchKey scratch;
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSaveKeyW(scratch.Get(), nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegRestoreKeyW(scratch.Get(), nullptr, 0));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegSaveKeyW(nullptr, W("C:\\saved.hiv"), nullptr));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegNotifyChangeKeyValue(scratch.Get(), TRUE, REG_NOTIFY_CHANGE_NAME, nullptr, TRUE))
      << "an asynchronous watch needs an event";
}

TEST(RegistryPrivileged, RestoringFromAMissingFileFails) {
  if (RunningUnderWine()) GTEST_SKIP() << "Wine's RegRestoreKeyW does nothing and reports success";
  ScratchKey scratch;
  EXPECT_NE(ERROR_SUCCESS, RegRestoreKeyW(scratch.Get(), W("C:\\no\\such\\hive.dat"), 0));
}

TEST(RegistryPrivileged, KeySecurityReportsTheSizeItNeeds) {
  ScratchKey scratch;
  DWORD size = 0;
  EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, RegGetKeySecurity(scratch.Get(), DACL_SECURITY_INFORMATION, nullptr, &size));
  ASSERT_GT(size, 0u);
  std::vector<BYTE> descriptor(size);
  EXPECT_EQ(ERROR_SUCCESS, RegGetKeySecurity(scratch.Get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size));
  EXPECT_EQ(1, descriptor[0]);  // revision
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetKeySecurity(scratch.Get(), DACL_SECURITY_INFORMATION, nullptr));
}

// A synchronous watch returns once the change it filters for happens: a new
// subkey for names, a value set or deleted for values.
TEST(RegistryPrivileged, ASynchronousWatchReturnsOnceTheKeyChanges) {
  const DWORD value = 7;
  const struct {
    const char* change;
    DWORD filter;
    std::function<void(const ScratchKey&)> make;
  } cases[] = {
      {"subkey created", REG_NOTIFY_CHANGE_NAME, [](const ScratchKey& key) { key.Create(W("Arrived")); }},
      {"value set", REG_NOTIFY_CHANGE_LAST_SET,
       [&](const ScratchKey& key) {
         EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), W("Level"), 0, REG_DWORD,
                                                 reinterpret_cast<const BYTE*>(&value), sizeof value));
       }},
      {"value deleted", REG_NOTIFY_CHANGE_LAST_SET,
       [](const ScratchKey& key) { EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key.Get(), W("Level"))); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    // The Wine this lane runs never wakes a synchronous watch for a value's
    // change (the documented filter covers it): only our layer is checked.
    if (RunningUnderWine() && c.filter == REG_NOTIFY_CHANGE_LAST_SET) continue;
    ScratchKey scratch;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(scratch.Get(), W("Level"), 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof value));
    std::atomic<bool> changed{false};
    std::thread writer([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      changed = true;
      c.make(scratch);
    });
    EXPECT_EQ(ERROR_SUCCESS, RegNotifyChangeKeyValue(scratch.Get(), FALSE, c.filter, nullptr, FALSE));
    EXPECT_TRUE(changed);
    writer.join();
  }
}

// Setting a value moves the key's last-write time on: readers of a key's
// freshness (an inventory's cache) depend on it.
TEST(RegistryPrivileged, SettingAValueMovesTheLastWriteTimeOn) {
  ScratchKey scratch;
  FILETIME before = {}, after = {};
  ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(scratch.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, &before));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const DWORD value = 1;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(scratch.Get(), W("Level"), 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&value), sizeof value));
  ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(scratch.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, &after));
  const auto ticks = [](const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
  EXPECT_GT(ticks(after), ticks(before));
}

TEST(ProcessToken, PrivilegesAreLookedUpByName) {
  LUID luid = {0, 0};
  EXPECT_TRUE(LookupPrivilegeValueW(nullptr, W("SeRestorePrivilege"), &luid));
  EXPECT_EQ(18u, luid.LowPart);
  EXPECT_TRUE(LookupPrivilegeValueW(nullptr, W("sebackupprivilege"), &luid));
  EXPECT_EQ(17u, luid.LowPart);
  EXPECT_FALSE(LookupPrivilegeValueW(nullptr, W("SeNoSuchPrivilege"), &luid));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE), GetLastError());
}

TEST(ProcessToken, EnablingAPrivilegeSucceedsAsACallAndSaysWhetherItWasHeld) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  ASSERT_TRUE(LookupPrivilegeValueW(nullptr, W("SeRestorePrivilege"), &privileges.Privileges[0].Luid));
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  SetLastError(0xDEAD);
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
  const DWORD error = GetLastError();
  EXPECT_TRUE(error == ERROR_SUCCESS || error == ERROR_NOT_ALL_ASSIGNED) << error;
  EXPECT_TRUE(CloseHandle(token));
}

}  // namespace
