// Hive files, key security, change notification and the process token, in the
// cases whose answer does not depend on the caller's privileges.
#include <wine_probe.h>

#include <atomic>
#include <thread>

#include "registry_scratch_key.h"

namespace {

TEST(RegistryPrivileged, HiveCallsCheckTheirArgumentsFirst) {
  ScratchKey scratch;
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSaveKeyW(scratch.Get(), nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegRestoreKeyW(scratch.Get(), nullptr, 0));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegSaveKeyW(nullptr, W("C:\\saved.hiv"), nullptr));
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

TEST(RegistryPrivileged, AnAsynchronousWatchNeedsAnEvent) {
  ScratchKey scratch;
  EXPECT_EQ(ERROR_INVALID_HANDLE,
            RegNotifyChangeKeyValue(scratch.Get(), TRUE, REG_NOTIFY_CHANGE_NAME, nullptr, TRUE));
}

TEST(RegistryPrivileged, ASynchronousWatchReturnsOnceTheKeyChanges) {
  ScratchKey scratch;
  std::atomic<bool> changed{false};
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    changed = true;
    scratch.Create(W("Arrived"));
  });
  EXPECT_EQ(ERROR_SUCCESS, RegNotifyChangeKeyValue(scratch.Get(), FALSE, REG_NOTIFY_CHANGE_NAME, nullptr, FALSE));
  EXPECT_TRUE(changed);
  writer.join();
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
