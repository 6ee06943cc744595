// The module as the host sees it: loaded at run time, reached through its
// three exports.
#include <gtest/gtest.h>

#include <unique_bstr.h>

#include "com_support.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_support/plugin_module.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

class ExportsTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(module_.Load(DefaultPluginPath())) << module_.Error(); }
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0) << "the exports left a WMDM object alive"; }
  PluginModule module_;
};

TEST_F(ExportsTest, SdkVersionIgnoresItsArguments) {
  const DWORD inputs[][2] = {{0, 0}, {1, 2}, {0xFFFFFFFFu, 0x7FFFFFFFu}, {0x07D40004u, 0}};
  for (const auto& input : inputs) EXPECT_EQ(module_.GetIPPSDKVersion(input[0], input[1]), 0x07D40004u);
}

TEST_F(ExportsTest, ReleaseRecognisesOnlyTheKeptPlugin) {
  kiMusicDevicePlugin2004* plugin = module_.GetIMDP2004();
  ASSERT_NE(plugin, nullptr);
  EXPECT_TRUE(module_.ReleaseIMDP2004(plugin));
  // The object stays usable after its release is acknowledged.
  UniqueBstr name;
  name.Reset(plugin->GetPluginName());
  EXPECT_EQ(name.ToString(), W("WMDM10 Plugin"));
  EXPECT_TRUE(module_.ReleaseIMDP2004(plugin));

  int notAPlugin = 0;
  EXPECT_FALSE(module_.ReleaseIMDP2004(reinterpret_cast<kiMusicDevicePlugin2004*>(&notAPlugin)));
}

TEST_F(ExportsTest, VersionComesFromTheModuleResource) {
  kiMusicDevicePlugin2004* plugin = module_.GetIMDP2004();
  ASSERT_NE(plugin, nullptr);
  DWORD ms = 0xAAAA, ls = 0xBBBB;
  EXPECT_EQ(plugin->GetPluginVersion(&ms, &ls), S_OK);
  EXPECT_EQ(ms, static_cast<DWORD>((MD_VERSION_MAJOR << 16) | MD_VERSION_MINOR));
  EXPECT_EQ(ls, static_cast<DWORD>((MD_VERSION_PATCH << 16) | MD_VERSION_BUILD));
}

#if defined(__SANITIZE_ADDRESS__)
// Objects whose every pointer is gone, the module that made them unloaded.
__attribute__((noinline)) void DropPluginObjects(PluginModule& module) {
  for (int i = 0; i < 2; ++i) ASSERT_NE(module.GetIMDP2004(), nullptr);
  module.Unload();
}

// The plug-in objects are the exports' to keep, exactly: a leak check finds
// nothing after they are dropped, with no suppression file needed.
TEST_F(ExportsTest, LeakCheckingPassesOverThePluginObjectsTheExportsKeep) {
  DropPluginObjects(module_);
  EXPECT_EQ(0, __lsan_do_recoverable_leak_check());
}
#endif

}  // namespace
