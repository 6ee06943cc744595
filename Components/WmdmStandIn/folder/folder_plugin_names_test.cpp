// Names on a folder player that a Windows player could not hold (two names
// differing in case only, a "\" inside a name), and names a host hands over
// that are paths, driven through the plug-in as a host drives it.
#include "host_sdk/kc_ipp_item.h"
#include "content/locations.h"
#include "testing/plugin_test_harness.h"
#include "host_sdk/ipp_result_codes.h"
#include "folder_player.h"
#include "folder_test_support.h"

namespace wmdm_standin {
namespace {

using testing_support::TemporaryFolder;

class FolderNamesThroughPluginTest : public PluginHarness {
 protected:
  void SetUp() override {
    PluginHarness::SetUp();
    folder_.Write(kPlayerFactsFile, R"({ "name": "Rover", "canonicalName": "\\\\?\\usb#vid_0b70#pid_0101#f2",
                                         "media": [ { "name": "Internal Memory" } ] })");
    folder_.Write("Music/A.mp3", "upper");
    folder_.Write("Music/a.mp3", "lower");
    folder_.Write("music/kept.mp3", "kept");
    folder_.Write("back\\slash.mp3", "backslash");
    folder_.Write("other.mp3", "other");
    ASSERT_NE(AddFolderPlayer(*model_, folder_.Path(), PlayerModel::Presence::Connected), 0u);
    Start();
    ASSERT_EQ(ListDevices(), std::vector<DWORD>{1});
  }

  static WString Where() {
    return locations::ComposeMediaLocation(W("\\\\?\\usb#vid_0b70#pid_0101#f2"), W("Internal Memory"));
  }

  TemporaryFolder folder_;
};

TEST_F(FolderNamesThroughPluginTest, EachNameReachesItsOwnFile) {
  EXPECT_EQ(plugin_.DeleteItem(Where().c_str(), W("\\MUSIC")), IPP_E_NOTFOUND) << "two folders match case aside";
  EXPECT_EQ(plugin_.DeleteItem(Where().c_str(), W("\\music")), S_OK);
  EXPECT_EQ(plugin_.DeleteItem(Where().c_str(), W("\\Music\\a.mp3")), S_OK);
  EXPECT_EQ(folder_.Everything(), (std::vector<std::string>{"Music", "Music/A.mp3", "back\\slash.mp3", "other.mp3",
                                                            kPlayerFactsFile}));

  // A "\" inside a name is shown as U+29F5; it stands in the way of nothing.
  EXPECT_EQ(plugin_.DeleteItem(Where().c_str(), W("\\other.mp3")), S_OK);
  const WString escaped = W("\\back") + WString(1, 0x29F5) + W("slash.mp3");
  kcIPPItem item;
  ASSERT_EQ(plugin_.GetItemInformation(Where().c_str(), escaped.c_str(), &item), S_OK);
  EXPECT_EQ(plugin_.DeleteItem(Where().c_str(), escaped.c_str()), S_OK);
  EXPECT_EQ(folder_.Everything(), (std::vector<std::string>{"Music", "Music/A.mp3", kPlayerFactsFile}));
  EXPECT_TRUE(LockIsFree());
}

TEST_F(FolderNamesThroughPluginTest, ANewFolderIsNamedNotPlacedByAPath) {
  const auto before = folder_.Everything();
  for (const WCHAR* name : {W("../x"), W("a/b"), W("a\\b"), W(".."), W(".")}) {
    SCOPED_TRACE(wide::ToUtf8(name));
    UniqueBstr made;
    // The same answer as for any other name the device refuses.
    EXPECT_EQ(plugin_.CreateFolder(Where().c_str(), W("\\Music"), name, made.Put()), IPP_E_FAIL);
    EXPECT_EQ(plugin_.CreatePlaylist(Where().c_str(), W("\\Music"), name, made.Put()), IPP_E_FAIL);
  }
  EXPECT_EQ(folder_.Everything(), before);
}

}  // namespace
}  // namespace wmdm_standin
