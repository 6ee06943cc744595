// kcRegistry's results and error codes, against the registry of the lane (the
// real one under Wine), inside a sandbox of the test's own.
#include "detect/kc_registry.h"

#include <gtest/gtest.h>

#include <wine_probe.h>

#include "detect/inventory_test_machine.h"
#include "host_support/registry_sandbox.h"

namespace {

const WCHAR kUsb[] = W("System\\CurrentControlSet\\Enum\\USB");

class KcRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Add(R"(
      [~\CurrentControlSet\Enum\USB\Vid_a5c0&Pid_0101\A5C0000012345678]
      "Service"="USBSTOR"
      "LocationInformation"="ACME Pocket"
      "Capabilities"=dword:00000014
      "Ten"="0123456789"
      [~\CurrentControlSet\Enum\USB\Vid_c0a1&Pid_0e01]
      [~\CurrentControlSet\Enum\USB\ROOT_HUB20]
    )");
    registry_.SetRoot(HKEY_LOCAL_MACHINE);
  }

  TestMachine machine_;
  kcRegistry registry_;
};

TEST_F(KcRegistryTest, SetRootNamesTheKnownRootsAndKeepsTheRootForAnyOther) {
  const struct {
    HKEY root;
    const WCHAR* name;
  } roots[] = {{HKEY_LOCAL_MACHINE, W("HKEY_LOCAL_MACHINE")},       {HKEY_CLASSES_ROOT, W("HKEY_CLASSES_ROOT")},
               {HKEY_USERS, W("HKEY_USERS")},                       {HKEY_CURRENT_USER, W("HKEY_CURRENT_USER")},
               {HKEY_PERFORMANCE_DATA, W("HKEY_PERFORMANCE_DATA")}, {HKEY_CURRENT_CONFIG, W("HKEY_CURRENT_CONFIG")},
               {HKEY_DYN_DATA, W("HKEY_DYN_DATA")}};
  WString name;
  for (const auto& root : roots) {
    kcRegistry registry;
    registry.SetRoot(root.root);
    registry.GetRootName(name);
    EXPECT_EQ(WString(root.name), name);
  }
  registry_.SetRoot(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)));
  registry_.GetRootName(name);
  EXPECT_EQ(WString(W("Unknown")), name);
  // The root is still HKEY_LOCAL_MACHINE: the key opens below it.
  EXPECT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
}

TEST_F(KcRegistryTest, OpeningAMissingPathFailsWithNoKeyOpenAndThePathKept) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  EXPECT_FALSE(registry_.OpenKey(W("System\\NoSuchKey"), KEY_READ));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry_.GetLastErrorCode());
  WString path;
  registry_.GetKeyPath(path);
  EXPECT_EQ(WString(kUsb), path);
  EXPECT_FALSE(registry_.FlushKey());  // nothing is open any more
  EXPECT_EQ(ERROR_INVALID_HANDLE, registry_.GetLastErrorCode());
}

TEST_F(KcRegistryTest, OpeningReportsTheKeysCountsWithoutAnotherCall) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  EXPECT_EQ(0, registry_.GetLastErrorCode());
  EXPECT_EQ(3u, registry_.GetSubkeyCount());
  EXPECT_EQ(0u, registry_.GetValueCount());
  ASSERT_TRUE(registry_.OpenKey(W("System\\CurrentControlSet\\Enum\\USB\\Vid_a5c0&Pid_0101\\A5C0000012345678"),
                                KEY_READ));
  EXPECT_EQ(0u, registry_.GetSubkeyCount());
  EXPECT_EQ(4u, registry_.GetValueCount());
}

TEST_F(KcRegistryTest, EnumerationEndsWithNoMoreItemsAndLeavesTheOutputsAlone) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  WString name, keyClass;
  std::vector<WString> names;
  DWORD index = 0;
  for (; registry_.EnumerateSubkey(index, name, keyClass); ++index) names.push_back(name);
  EXPECT_EQ(3u, index);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, registry_.GetLastErrorCode());
  EXPECT_EQ((std::vector<WString>{W("ROOT_HUB20"), W("Vid_a5c0&Pid_0101"), W("Vid_c0a1&Pid_0e01")}), names);
  EXPECT_EQ(WString(W("Vid_c0a1&Pid_0e01")), name);  // from the last success
}

TEST_F(KcRegistryTest, ValueReadsAnswerByTheirRules) {
  ASSERT_TRUE(registry_.OpenKey(W("System\\CurrentControlSet\\Enum\\USB\\Vid_a5c0&Pid_0101\\A5C0000012345678"),
                                KEY_READ));
  DWORD type = REG_SZ, size = 0;
  EXPECT_FALSE(registry_.ReadRawValue(nullptr, &type, nullptr, &size));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());

  WString text = W("previous");
  EXPECT_FALSE(registry_.ReadString(W("Missing"), text));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry_.GetLastErrorCode());
  EXPECT_TRUE(text.empty());

  WCHAR buffer[5] = {W('x'), W('x'), W('x'), W('x'), W('x')};
  EXPECT_TRUE(registry_.ReadStringToBuffer(W("Ten"), buffer, 5));
  EXPECT_EQ(WString(W("0123")), WString(buffer));

  DWORD capabilities = 0;
  EXPECT_TRUE(registry_.ReadValue(W("Capabilities"), capabilities));
  EXPECT_EQ(0x14u, capabilities);
  EXPECT_TRUE(registry_.ReadValue(W("Service"), text));
  EXPECT_EQ(WString(W("USBSTOR")), text);

  // A REG_DWORD read of a text value does not fit its four bytes.
  EXPECT_FALSE(registry_.ReadDWord(W("Service"), capabilities));
  EXPECT_EQ(ERROR_MORE_DATA, registry_.GetLastErrorCode());
}

TEST_F(KcRegistryTest, EnumeratingValuesWritesTheTypeOnlyOnSuccess) {
  ASSERT_TRUE(registry_.OpenKey(W("System\\CurrentControlSet\\Enum\\USB\\Vid_a5c0&Pid_0101\\A5C0000012345678"),
                                KEY_READ));
  BYTE data[64];
  WString name;
  DWORD type = REG_BINARY, size = sizeof(data);
  ASSERT_TRUE(registry_.EnumerateValue(0, name, &type, data, &size));
  EXPECT_FALSE(name.empty());
  type = 0xBEEF;
  size = sizeof(data);
  EXPECT_FALSE(registry_.EnumerateValue(4, name, &type, data, &size));
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, registry_.GetLastErrorCode());
  EXPECT_EQ(0xBEEFu, type);
}

TEST_F(KcRegistryTest, CreatingReportsTheDispositionAndRecordsThePath) {
  DWORD disposition = 0;
  EXPECT_FALSE(registry_.CreateKey(nullptr, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &disposition));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
  ASSERT_TRUE(registry_.CreateKey(W("System\\Scratch\\Made"), W("SomeClass"), REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &disposition));
  EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
  ASSERT_TRUE(registry_.CreateKey(W("System\\Scratch\\Made"), nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &disposition));
  EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
  WString path;
  registry_.GetKeyPath(path);
  EXPECT_EQ(WString(W("System\\Scratch\\Made")), path);
}

TEST_F(KcRegistryTest, ValuesWrittenReadBackAndGo) {
  ASSERT_TRUE(registry_.CreateKey(W("System\\Scratch"), nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  nullptr));
  EXPECT_TRUE(registry_.WriteValue(W("Label"), W("ACME PLAYER")));
  EXPECT_TRUE(registry_.WriteValue(W("Count"), DWORD(7)));
  EXPECT_FALSE(registry_.WriteRawValue(W("Nothing"), REG_BINARY, nullptr, 0));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
  EXPECT_FALSE(registry_.WriteString(nullptr, W("x")));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
  WString text;
  DWORD number = 0;
  EXPECT_TRUE(registry_.ReadString(W("Label"), text));
  EXPECT_EQ(WString(W("ACME PLAYER")), text);
  EXPECT_TRUE(registry_.ReadDWord(W("Count"), number));
  EXPECT_EQ(7u, number);
  EXPECT_TRUE(registry_.DeleteValue(W("Label")));
  EXPECT_FALSE(registry_.DeleteValue(W("Label")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry_.GetLastErrorCode());
}

TEST_F(KcRegistryTest, DeletingAPathLeavesTheWrapperOnItsParent) {
  machine_.Add(R"(
    [~\Scratch\Parent\Child\Grandchild]
    [~\Scratch\Parent\Sibling]
  )");
  EXPECT_FALSE(registry_.DeleteKey(nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
  ASSERT_TRUE(registry_.DeleteKey(W("System\\Scratch\\Parent\\Child")));
  WString path;
  registry_.GetKeyPath(path);
  EXPECT_EQ(WString(W("System\\Scratch\\Parent")), path);
  EXPECT_EQ(2u, registry_.GetSubkeyCount());  // as counted when the parent was opened, before the deletion
  // Without a separator the name is taken below the open key.
  EXPECT_TRUE(registry_.DeleteKey(W("Sibling")));
  EXPECT_FALSE(registry_.DeleteKey(W("Sibling")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry_.GetLastErrorCode());
  EXPECT_FALSE(registry_.DeleteKey(W("System\\NoSuchParent\\Child")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry_.GetLastErrorCode());
  registry_.GetKeyPath(path);
  EXPECT_EQ(WString(W("System\\Scratch\\Parent")), path);
}

// A child named "Locked" cannot be deleted, as one whose security forbids it.
class LockedChildRegistry : public kcRegistry {
 public:
  LONG DeleteKeyRecursive(HKEY parent, const WCHAR* subkey) override {
    if (WString(subkey) == W("Locked")) return ERROR_ACCESS_DENIED;
    return kcRegistry::DeleteKeyRecursive(parent, subkey);
  }
};

TEST_F(KcRegistryTest, RecursiveDeletionStopsAtAChildThatCannotGo) {
  machine_.Add(R"(
    [~\Scratch\Tree\Apple\Leaf]
    [~\Scratch\Tree\Locked\Leaf]
    [~\Scratch\Tree\Zebra]
  )");
  LockedChildRegistry registry;
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKey(W("System\\Scratch"), KEY_ALL_ACCESS));
  EXPECT_FALSE(registry.DeleteKey(W("Tree")));
  EXPECT_EQ(ERROR_ACCESS_DENIED, registry.GetLastErrorCode());
  kcRegistry check;
  check.SetRoot(HKEY_LOCAL_MACHINE);
  // The children enumerated before the locked one are gone, the rest stays.
  EXPECT_FALSE(check.OpenKey(W("System\\Scratch\\Tree\\Apple"), KEY_READ));
  EXPECT_TRUE(check.OpenKey(W("System\\Scratch\\Tree\\Locked\\Leaf"), KEY_READ));
  EXPECT_TRUE(check.OpenKey(W("System\\Scratch\\Tree\\Zebra"), KEY_READ));
}

TEST_F(KcRegistryTest, TheMachineNameIsAlwaysEmptyAndCloseEmptiesTheWrapper) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  WString text = W("x");
  registry_.GetMachineName(text);
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(registry_.Close());
  registry_.GetRootName(text);
  EXPECT_TRUE(text.empty());
  registry_.GetKeyPath(text);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(0u, registry_.GetSubkeyCount());
  EXPECT_TRUE(registry_.Close());  // nothing left to close
}

TEST_F(KcRegistryTest, PrivilegedOperationsCheckTheirArguments) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  EXPECT_FALSE(registry_.RestoreKey(nullptr, 0));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
  EXPECT_FALSE(registry_.LoadHive(W("Hive"), nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
  EXPECT_FALSE(registry_.SaveKey(nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
  EXPECT_FALSE(registry_.GetKeySecurity(DACL_SECURITY_INFORMATION, nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, registry_.GetLastErrorCode());
}

TEST_F(KcRegistryTest, RestoringFromAMissingFileKeepsTheFirstFailure) {
  if (RunningUnderWine()) GTEST_SKIP() << "Wine's RegRestoreKeyW does nothing and reports success";
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  EXPECT_FALSE(registry_.RestoreKey(W("C:\\no\\such\\hive.dat"), 0));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, registry_.GetLastErrorCode());
}

TEST(KcRegistryComClass, RegistrationWritesTheClassKeysAndUnregistrationRemovesThem) {
  RegistrySandbox classes(HKEY_CLASSES_ROOT, /*lasting=*/true);
  ASSERT_EQ(ERROR_SUCCESS, classes.Status());
  const CLSID classId = {0x12345678, 0x9abc, 0xdef0, {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0}};
  kcRegistry registry;
  registry.RegisterComClass(nullptr, classId, W("Test Class"), W("MDPlugin.Test"), W("MDPlugin.Test.1"));

  kcRegistry check;
  check.SetRoot(HKEY_CLASSES_ROOT);
  WString text;
  ASSERT_TRUE(check.OpenKey(W("CLSID\\{12345678-9ABC-DEF0-1234-56789ABCDEF0}"), KEY_READ));
  EXPECT_TRUE(check.ReadString(W(""), text));
  EXPECT_EQ(WString(W("Test Class")), text);
  EXPECT_EQ(3u, check.GetSubkeyCount());  // InprocServer32, ProgID, VersionIndependentProgID
  ASSERT_TRUE(check.OpenKey(W("MDPlugin.Test\\CurVer"), KEY_READ));
  EXPECT_TRUE(check.ReadString(W(""), text));
  EXPECT_EQ(WString(W("MDPlugin.Test.1")), text);
  ASSERT_TRUE(check.OpenKey(W("MDPlugin.Test.1\\CLSID"), KEY_READ));
  EXPECT_TRUE(check.ReadString(W(""), text));
  EXPECT_EQ(WString(W("{12345678-9ABC-DEF0-1234-56789ABCDEF0}")), text);

  registry.UnregisterComClass(classId, W("MDPlugin.Test"), W("MDPlugin.Test.1"));
  EXPECT_FALSE(check.OpenKey(W("CLSID\\{12345678-9ABC-DEF0-1234-56789ABCDEF0}"), KEY_READ));
  EXPECT_FALSE(check.OpenKey(W("MDPlugin.Test"), KEY_READ));
  EXPECT_FALSE(check.OpenKey(W("MDPlugin.Test.1"), KEY_READ));
}

TEST(KcRegistryComClass, ClassIdTextNeedsRoomForABracedId) {
  const CLSID classId = {0x12345678, 0x9abc, 0xdef0, {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0}};
  kcRegistry registry;
  WCHAR small[38] = {W('x'), 0};
  registry.ClsidToString(classId, small, 38);
  EXPECT_EQ(WString(W("x")), WString(small));
  WCHAR enough[39] = {};
  registry.ClsidToString(classId, enough, 39);
  EXPECT_EQ(WString(W("{12345678-9ABC-DEF0-1234-56789ABCDEF0}")), WString(enough));
}

}  // namespace
