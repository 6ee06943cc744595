// The slots with fixed answers, and the slot order of the host interface seen
// through raw vtable indices, so that a shifted slot fails here.
#include <gtest/gtest.h>

#include <unique_bstr.h>

#include "plugin/kc_wmdm10_plugin.h"
#include "com_support.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

void* Slot(kiMusicDevicePlugin2004* plugin, int index) { return (*reinterpret_cast<void***>(plugin))[index]; }

template <typename Result, typename... Args>
Result CallSlot(kiMusicDevicePlugin2004* plugin, int index, Args... args) {
  using Fn = Result (*)(kiMusicDevicePlugin2004*, Args...);
  return reinterpret_cast<Fn>(Slot(plugin, index))(plugin, args...);
}

class FixedSlotsTest : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0) << "a stand-in object was left alive"; }
  kcWMDM10Plugin plugin_;
  kiMusicDevicePlugin2004* host_ = &plugin_;
};

TEST_F(FixedSlotsTest, NotImplementedSlotsAnswerUntranslated) {
  struct Row {
    int slot;
    int arguments;
  };
  const Row rows[] = {{16, 3}, {17, 3}, {18, 3}, {20, 5}, {28, 3}, {35, 2},
                      {39, 3}, {40, 3}, {41, 3}, {46, 2}, {47, 3}, {48, 2}};
  for (const Row& row : rows) {
    HRESULT hr = S_OK;
    switch (row.arguments) {
      case 2: hr = CallSlot<HRESULT>(host_, row.slot, DWORD(1), DWORD(2)); break;
      case 3: hr = CallSlot<HRESULT>(host_, row.slot, DWORD(1), DWORD(2), DWORD(3)); break;
      case 5: hr = CallSlot<HRESULT>(host_, row.slot, DWORD(1), DWORD(2), DWORD(3), DWORD(4), DWORD(5)); break;
    }
    EXPECT_EQ(hr, E_NOTIMPL) << "slot " << row.slot;
  }
}

TEST_F(FixedSlotsTest, FixedAnswersAndACallbackStoredWithoutOwningIt) {
  UniqueBstr name;
  name.Reset(CallSlot<BSTR>(host_, 4));
  EXPECT_EQ(name.ToString(), W("WMDM10 Plugin"));
  EXPECT_EQ(name.Length(), 13u);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 7, DWORD(0), DWORD(0), DWORD(0)), S_FALSE);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 7, DWORD(9), DWORD(8), DWORD(7)), S_FALSE);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 21, DWORD(5)), S_OK);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 22, DWORD(5)), S_OK);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 6, DWORD(0x1234)), S_OK);
  EXPECT_EQ(plugin_.HostContext(), 0x1234u);
  auto* fake = reinterpret_cast<kiPluginHostCallback*>(&plugin_);  // never called here
  EXPECT_EQ(CallSlot<HRESULT>(host_, 5, fake), S_OK);
  EXPECT_EQ(plugin_.HostCallback(), fake);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 5, static_cast<kiPluginHostCallback*>(nullptr)), S_OK);
  EXPECT_EQ(plugin_.HostCallback(), nullptr);
}

class OtherResults : public kiIPPEnvironmentCheckResults {
 public:
  LONG GetStatus() override { return status; }
  void SetStatus(LONG value) override { status = value; }
  LONG status = 42;
};

TEST_F(FixedSlotsTest, CheckEnvironment) {
  EXPECT_EQ(CallSlot<HRESULT>(host_, 2, static_cast<kiIPPEnvironmentCheckResults*>(nullptr)), IPP_E_FAIL);

  kcIPPEnvironmentCheckResults ours;
  ours.status_ = 7;
  EXPECT_EQ(CallSlot<HRESULT>(host_, 2, static_cast<kiIPPEnvironmentCheckResults*>(&ours)), S_OK);
  EXPECT_EQ(ours.status_, 0);

  // Another class's status member is not ours to write.
  OtherResults other;
  EXPECT_EQ(CallSlot<HRESULT>(host_, 2, static_cast<kiIPPEnvironmentCheckResults*>(&other)), S_OK);
  EXPECT_EQ(other.status, 42);
}

TEST_F(FixedSlotsTest, GetPluginVersionRefusesNullOuts) {
  DWORD value = 0xAAAA;
  EXPECT_EQ(CallSlot<HRESULT>(host_, 3, static_cast<DWORD*>(nullptr), &value), IPP_E_FAIL);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 3, &value, static_cast<DWORD*>(nullptr)), IPP_E_FAIL);
  EXPECT_EQ(CallSlot<HRESULT>(host_, 3, static_cast<DWORD*>(nullptr), static_cast<DWORD*>(nullptr)), IPP_E_FAIL);
  EXPECT_EQ(value, 0xAAAAu);
}

TEST_F(FixedSlotsTest, GetPluginVersionWithoutTheModuleLeavesOutsUntouched) {
  if (GetModuleHandleW(W("MDPlugin.dll"))) GTEST_SKIP() << "the module is loaded in this process";
  DWORD ms = 0xAAAA, ls = 0xBBBB;
  EXPECT_EQ(plugin_.GetPluginVersion(&ms, &ls), S_OK);
  EXPECT_EQ(ms, 0xAAAAu);
  EXPECT_EQ(ls, 0xBBBBu);
}

}  // namespace
