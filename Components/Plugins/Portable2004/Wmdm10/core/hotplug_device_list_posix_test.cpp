// Folder players that appear and disappear under a watched root reach the
// plug-in as arrivals and removals, and its device list follows them.
#include "core/plugin_test_harness.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "content/escape_name.h"
#include "folder_player.h"
#include "hotplug_watcher.h"

namespace {

class HotplugDeviceListTest : public PluginHarness {
 protected:
  void SetUp() override {
    PluginHarness::SetUp();
    char pattern[] = "/tmp/md-hotplug-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    watcher_.reset();
    PluginHarness::TearDown();
    std::system(("rm -rf '" + root_ + "'").c_str());
  }

  void Watch() {
    wmdm_standin::HotplugWatcher::Settings settings;
    settings.roots = {root_};
    settings.makePlayer = [](wmdm_standin::PlayerModel& model, const std::string& directory) {
      return wmdm_standin::AddFolderPlayer(model, directory);
    };
    watcher_ = std::make_unique<wmdm_standin::HotplugWatcher>(model_, settings);
    std::string error;
    ASSERT_TRUE(watcher_->Start(&error)) << error;
  }

  // The plug-in's devices by their identity ("DevUniqueID"), sorted.
  std::vector<WString> PluginDevices() {
    std::vector<WString> names;
    for (DWORD number : ListDevices()) names.push_back(StringProperty(number, W("DevUniqueID")));
    std::sort(names.begin(), names.end());
    return names;
  }
  // The same, as the stand-in presents them.
  std::vector<WString> StandInDevices() const {
    std::vector<WString> names;
    for (const auto& device : model_->PresentDevices()) names.push_back(EscapeName(device->knownName));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string root_;
  std::unique_ptr<wmdm_standin::HotplugWatcher> watcher_;
};

TEST_F(HotplugDeviceListTest, FoldersComingAndGoingAreArrivalsAndRemovals) {
  ASSERT_EQ(mkdir((root_ + "/Present").c_str(), 0755), 0);
  Watch();
  Start(true);
  ASSERT_EQ(ListDevices().size(), 1u) << "a folder there at start is a player at once";

  ASSERT_EQ(mkdir((root_ + "/Walkman").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((root_ + "/Card").c_str(), 0755), 0);
  ASSERT_TRUE(watcher_->Settle());
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 2));
  EXPECT_EQ(StandInDevices().size(), 3u);
  EXPECT_EQ(PluginDevices(), StandInDevices());

  ASSERT_EQ(std::rename((root_ + "/Walkman").c_str(), (root_ + "/Walkman 2").c_str()), 0);
  ASSERT_EQ(rmdir((root_ + "/Present").c_str()), 0);
  ASSERT_TRUE(watcher_->Settle());
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceRemoved, 2));
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 3));
  EXPECT_EQ(StandInDevices().size(), 2u);
  EXPECT_EQ(PluginDevices(), StandInDevices());
  EXPECT_TRUE(LockIsFree());
}

}  // namespace
