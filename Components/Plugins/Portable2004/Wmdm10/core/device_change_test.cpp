// Arrivals and removals through the whole path: the stand-in's messages, the
// sink's queue, the worker and the device list.
#include "testing/plugin_test_harness.h"

namespace {

using wmdm_standin::DeviceDescription;

class DeviceChangeTest : public PluginHarness {};

TEST_F(DeviceChangeTest, ArrivalsAndRemovalsReachTheHostFromTheWorkerButNotForSkippedPlayers) {
  UseManifest(W("<SkipList><Vendor Name='ACME'><Product Name='Camera'/></Vendor></SkipList>"));
  Start(true);
  EXPECT_TRUE(ListDevices().empty());
  AddPlayer(SamplePlayer(W("Camera"), W("camera")));
  const auto id = AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 1));
  const HostEvent arrived = EventsOf(HostEvent::kDeviceArrived)[0];
  EXPECT_EQ(arrived.number, 1u);
  EXPECT_NE(arrived.threadId, GetCurrentThreadId());
  {
    ScopedLock lock(plugin_.Lock());
    DeviceRecord* record = plugin_.FindDeviceRecord(1);  // completes the pending record
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->detailsPending);
    EXPECT_EQ(record->identity, W("pocket"));
  }
  EXPECT_EQ(StringProperty(1, W("DevProductName")), W("Pocket"));

  model_->RemoveDevice(id);
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceRemoved, 1));
  EXPECT_EQ(EventsOf(HostEvent::kDeviceRemoved)[0].number, 1u);
  EXPECT_NE(EventsOf(HostEvent::kDeviceRemoved)[0].threadId, GetCurrentThreadId());

  // The removed player keeps its number; the next one gets the next number.
  const auto stick = AddPlayer(SamplePlayer(W("Stick"), W("stick")));
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 2));
  EXPECT_EQ(EventsOf(HostEvent::kDeviceArrived)[1].number, 2u);
  {
    ScopedLock lock(plugin_.Lock());
    EXPECT_TRUE(plugin_.FindDeviceRecord(1)->gone);
    EXPECT_EQ(plugin_.DeviceListSize(), 2u);
  }
  // A medium arriving counts as the player's departure.
  wmdm_standin::MediumDescription card;
  card.name = W("Card");
  model_->AddMedium(stick, card);
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceRemoved, 2));
  EXPECT_EQ(EventsOf(HostEvent::kDeviceRemoved)[1].number, 2u);
  EXPECT_EQ(EventsOf(HostEvent::kDeviceArrived).size(), 2u);  // the camera never arrived
}

TEST_F(DeviceChangeTest, AKnownPlayerIsNotAddedTwice) {
  Start(true);
  AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));
  callback_.ClearEvents();  // in case the worker was quicker than the listing
  model_->Events().Flush();
  // The arrival the worker handles finds the player listed already.
  Sleep(kWorkerPassMs);
  EXPECT_TRUE(EventsOf(HostEvent::kDeviceArrived).empty());
  EXPECT_EQ(plugin_.DeviceListSize(), 1u);
}

TEST_F(DeviceChangeTest, ArrivalAndRemovalWithinOnePassLeaveThePlayerListed) {
  Start(true);
  const auto id = AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  model_->RemoveDevice(id);
  model_->Events().Flush();
  // Newest first: the removal finds nothing to remove, then the arrival adds
  // the player (whose name the worker can no longer read: it is dropped).
  Sleep(kWorkerPassMs);
  EXPECT_TRUE(EventsOf(HostEvent::kDeviceRemoved).empty());
  EXPECT_TRUE(EventsOf(HostEvent::kDeviceArrived).empty());
}

}  // namespace
