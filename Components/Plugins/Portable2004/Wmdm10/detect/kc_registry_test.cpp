// kcRegistry's results and error codes, against the registry of the lane (the
// real one under Wine), inside a sandbox of the test's own.
#include "detect/kc_registry.h"

#include <gtest/gtest.h>

#include <wine_probe.h>

#include "testing/inventory_test_machine.h"
#include "host_support/registry_sandbox.h"
#include "com_support.h"

namespace {

const WCHAR kUsb[] = W("System\\CurrentControlSet\\Enum\\USB");
const WCHAR kPlayer[] = W("System\\CurrentControlSet\\Enum\\USB\\Vid_a5c0&Pid_0101\\A5C0000012345678");

// The error a call left behind, or ERROR_SUCCESS when it succeeded; a failure
// that recorded no error reads as -1.
LONG Result(kcRegistry& registry, bool ok) {
  if (ok) return ERROR_SUCCESS;
  const LONG code = registry.GetLastErrorCode();
  return code ? code : -1;
}

WString Path(kcRegistry& registry) {
  WString path;
  registry.GetKeyPath(path);
  return path;
}

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
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0) << "a stand-in object was left alive"; }
  LONG Result(bool ok) { return ::Result(registry_, ok); }

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
  EXPECT_TRUE(registry_.OpenKey(kUsb, KEY_READ));  // still below HKEY_LOCAL_MACHINE
}

TEST_F(KcRegistryTest, OpeningCountsAtOnceAndAMissingPathLeavesNoKeyOpen) {
  ASSERT_TRUE(registry_.OpenKey(kPlayer, KEY_READ));
  EXPECT_EQ(0u, registry_.GetSubkeyCount());
  EXPECT_EQ(4u, registry_.GetValueCount());
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  EXPECT_EQ(0, registry_.GetLastErrorCode());
  EXPECT_EQ(3u, registry_.GetSubkeyCount());
  EXPECT_EQ(0u, registry_.GetValueCount());
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Result(registry_.OpenKey(W("System\\NoSuchKey"), KEY_READ)));
  EXPECT_EQ(WString(kUsb), Path(registry_));
  EXPECT_EQ(ERROR_INVALID_HANDLE, Result(registry_.FlushKey()));  // nothing is open any more
}

TEST_F(KcRegistryTest, EnumerationEndsWithNoMoreItemsAndLeavesTheOutputsAlone) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  WString name, keyClass;
  std::vector<WString> names;
  for (DWORD index = 0; registry_.EnumerateSubkey(index, name, keyClass); ++index) names.push_back(name);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, registry_.GetLastErrorCode());
  EXPECT_EQ((std::vector<WString>{W("ROOT_HUB20"), W("Vid_a5c0&Pid_0101"), W("Vid_c0a1&Pid_0e01")}), names);
  EXPECT_EQ(WString(W("Vid_c0a1&Pid_0e01")), name);  // from the last success

  ASSERT_TRUE(registry_.OpenKey(kPlayer, KEY_READ));
  BYTE data[64];
  DWORD type = REG_BINARY, size = sizeof(data);
  ASSERT_TRUE(registry_.EnumerateValue(0, name, &type, data, &size));
  EXPECT_FALSE(name.empty());
  type = 0xBEEF;
  size = sizeof(data);
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, Result(registry_.EnumerateValue(4, name, &type, data, &size)));
  EXPECT_EQ(0xBEEFu, type);  // the type is written only on success
}

TEST_F(KcRegistryTest, ValueReadsAnswerByTheirRules) {
  ASSERT_TRUE(registry_.OpenKey(kPlayer, KEY_READ));
  DWORD type = REG_SZ, size = 0;
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.ReadRawValue(nullptr, &type, nullptr, &size)));
  WString text = W("previous");
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Result(registry_.ReadString(W("Missing"), text)));
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
  EXPECT_EQ(ERROR_MORE_DATA, Result(registry_.ReadDWord(W("Service"), capabilities)));
}

// A text value is stored as its writer gave it, terminator or not; what is
// read is the text up to its terminator or its stored length. A long value is
// read before each, so that a read past the stored bytes would meet its text.
TEST_F(KcRegistryTest, TextIsReadUpToItsTerminatorOrItsStoredLength) {
  const struct {
    const char* what;
    std::vector<BYTE> stored;
    WString expected;
  } cases[] = {
      {"terminated", {'a', 0, 'b', 0, 0, 0}, W("ab")},
      {"no terminator", {'a', 0, 'b', 0, 'c', 0}, W("abc")},
      {"an odd last byte", {'a', 0, 'b', 0, 'c'}, W("abc")},
      {"text after the terminator", {'a', 0, 0, 0, 'b', 0}, W("a")},
      {"nothing", {}, W("")},
  };
  ASSERT_TRUE(registry_.CreateKey(W("System\\Scratch\\Texts"), nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, nullptr));
  const WString filler(1000, W('z'));
  ASSERT_TRUE(registry_.WriteValue(W("Filler"), filler.c_str()));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const BYTE none = 0;
    ASSERT_TRUE(registry_.WriteRawValue(W("Text"), REG_SZ, c.stored.empty() ? &none : c.stored.data(),
                                        static_cast<DWORD>(c.stored.size())));
    WString text;
    ASSERT_TRUE(registry_.ReadString(W("Filler"), text));
    ASSERT_TRUE(registry_.ReadString(W("Text"), text));
    EXPECT_EQ(c.expected, text);
  }
}

TEST_F(KcRegistryTest, CreatingReportsTheDispositionAndValuesWrittenReadBackAndGo) {
  DWORD disposition = 0;
  EXPECT_EQ(ERROR_INVALID_PARAMETER,
            Result(registry_.CreateKey(nullptr, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &disposition)));
  for (DWORD expected : {DWORD(REG_CREATED_NEW_KEY), DWORD(REG_OPENED_EXISTING_KEY)}) {
    ASSERT_TRUE(registry_.CreateKey(W("System\\Scratch\\Made"), W("SomeClass"), REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                    nullptr, &disposition));
    EXPECT_EQ(expected, disposition);
  }
  EXPECT_TRUE(registry_.CreateKey(W("System\\Scratch\\Made"), nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                 nullptr));  // the disposition is not wanted
  EXPECT_EQ(WString(W("System\\Scratch\\Made")), Path(registry_));

  EXPECT_TRUE(registry_.WriteValue(W("Label"), W("ACME PLAYER")));
  EXPECT_TRUE(registry_.WriteValue(W("Count"), DWORD(7)));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.WriteRawValue(W("Nothing"), REG_BINARY, nullptr, 0)));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.WriteString(nullptr, W("x"))));
  WString text;
  DWORD number = 0;
  EXPECT_TRUE(registry_.ReadString(W("Label"), text));
  EXPECT_TRUE(registry_.ReadDWord(W("Count"), number));
  EXPECT_EQ(WString(W("ACME PLAYER")), text);
  EXPECT_EQ(7u, number);
  EXPECT_TRUE(registry_.DeleteValue(W("Label")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Result(registry_.DeleteValue(W("Label"))));
}

TEST_F(KcRegistryTest, DeletingAPathLeavesTheWrapperOnItsParent) {
  machine_.Add(R"(
    [~\Scratch\Parent\Child\Grandchild]
    [~\Scratch\Parent\Sibling]
  )");
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.DeleteKey(nullptr)));
  ASSERT_TRUE(registry_.DeleteKey(W("System\\Scratch\\Parent\\Child")));
  EXPECT_EQ(WString(W("System\\Scratch\\Parent")), Path(registry_));
  EXPECT_EQ(2u, registry_.GetSubkeyCount());  // as counted when the parent was opened, before the deletion
  // Without a separator the name is taken below the open key.
  EXPECT_TRUE(registry_.DeleteKey(W("Sibling")));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Result(registry_.DeleteKey(W("Sibling"))));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Result(registry_.DeleteKey(W("System\\NoSuchParent\\Child"))));
  EXPECT_EQ(WString(W("System\\Scratch\\Parent")), Path(registry_));
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
  EXPECT_EQ(ERROR_ACCESS_DENIED, ::Result(registry, registry.DeleteKey(W("Tree"))));
  // The children enumerated before the locked one are gone, the rest stays.
  EXPECT_FALSE(registry_.OpenKey(W("System\\Scratch\\Tree\\Apple"), KEY_READ));
  EXPECT_TRUE(registry_.OpenKey(W("System\\Scratch\\Tree\\Locked\\Leaf"), KEY_READ));
  EXPECT_TRUE(registry_.OpenKey(W("System\\Scratch\\Tree\\Zebra"), KEY_READ));
}

TEST_F(KcRegistryTest, TheMachineNameIsAlwaysEmptyAndCloseEmptiesTheWrapper) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  WString text = W("x");
  registry_.GetMachineName(text);
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(registry_.Close());
  registry_.GetRootName(text);
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(Path(registry_).empty());
  EXPECT_EQ(0u, registry_.GetSubkeyCount());
  EXPECT_TRUE(registry_.Close());  // nothing left to close
}

TEST_F(KcRegistryTest, PrivilegedOperationsCheckTheirArguments) {
  ASSERT_TRUE(registry_.OpenKey(kUsb, KEY_READ));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.RestoreKey(nullptr, 0)));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.LoadHive(W("Hive"), nullptr)));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.SaveKey(nullptr, nullptr)));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, Result(registry_.GetKeySecurity(DACL_SECURITY_INFORMATION, nullptr, nullptr)));
  if (RunningUnderWine()) GTEST_SKIP() << "Wine's RegRestoreKeyW does nothing and reports success";
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, Result(registry_.RestoreKey(W("C:\\no\\such\\hive.dat"), 0)));
}

const CLSID kClassId = {0x12345678, 0x9abc, 0xdef0, {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0}};
const WCHAR kClassIdText[] = W("{12345678-9ABC-DEF0-1234-56789ABCDEF0}");

TEST(KcRegistryComClass, RegistrationWritesTheClassKeysAndUnregistrationRemovesThem) {
  RegistrySandbox classes(HKEY_CLASSES_ROOT, /*lasting=*/true);
  ASSERT_EQ(ERROR_SUCCESS, classes.Status());
  kcRegistry registry;
  registry.RegisterComClass(nullptr, kClassId, W("Test Class"), W("MDPlugin.Test"), W("MDPlugin.Test.1"));

  kcRegistry check;
  check.SetRoot(HKEY_CLASSES_ROOT);
  const WString classKey = WString(W("CLSID\\")) + kClassIdText;
  const struct {
    WString key;
    const WCHAR* value;
  } defaults[] = {{classKey, W("Test Class")},
                  {W("MDPlugin.Test\\CurVer"), W("MDPlugin.Test.1")},
                  {W("MDPlugin.Test.1\\CLSID"), kClassIdText}};
  for (const auto& entry : defaults) {
    WString text;
    ASSERT_TRUE(check.OpenKey(entry.key.c_str(), KEY_READ)) << wide::ToUtf8(entry.key);
    EXPECT_TRUE(check.ReadString(W(""), text));
    EXPECT_EQ(WString(entry.value), text);
  }
  ASSERT_TRUE(check.OpenKey(classKey.c_str(), KEY_READ));
  EXPECT_EQ(3u, check.GetSubkeyCount());  // InprocServer32, ProgID, VersionIndependentProgID

  registry.UnregisterComClass(kClassId, W("MDPlugin.Test"), W("MDPlugin.Test.1"));
  for (const WString& key : {classKey, WString(W("MDPlugin.Test")), WString(W("MDPlugin.Test.1"))})
    EXPECT_FALSE(check.OpenKey(key.c_str(), KEY_READ)) << wide::ToUtf8(key);
}

TEST(KcRegistryComClass, ClassIdTextNeedsRoomForABracedId) {
  kcRegistry registry;
  WCHAR small[38] = {W('x'), 0};
  registry.ClsidToString(kClassId, small, 38);
  EXPECT_EQ(WString(W("x")), WString(small));
  WCHAR enough[39] = {};
  registry.ClsidToString(kClassId, enough, 39);
  EXPECT_EQ(WString(kClassIdText), WString(enough));
}

}  // namespace
