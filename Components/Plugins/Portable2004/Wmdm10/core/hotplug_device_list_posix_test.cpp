// Folder players that appear and disappear under a watched root reach the
// plug-in as arrivals and removals, and its device list follows them.
#include "testing/hotplug_test_harness.h"

#include <cstdio>

namespace {

using HotplugDeviceListTest = HotplugHarness;

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
