// Arrivals and removals through the whole path: the stand-in's messages, the
// sink's queue, the worker and the device list.
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "testing/plugin_test_harness.h"

namespace {

using wmdm_standin::DeviceDescription;

class DeviceChangeTest : public PluginHarness {
 protected:
  void TearDown() override {
    callback_.SetListener(nullptr);
    for (std::thread& asker : askers_) asker.join();
    PluginHarness::TearDown();
  }

  // Makes the host one that, told of a device, has another thread (its UI
  // thread) read the device's name through a slot and waits for the answer,
  // at most `kPatience`, so that a plug-in still holding its lock during the
  // callback shows as an unanswered question rather than a hung suite.
  void HandNewsToAnotherThread() {
    callback_.SetListener([this](const HostEvent& event) {
      if (event.kind != HostEvent::kDeviceArrived && event.kind != HostEvent::kDeviceRemoved) return;
      auto answered = std::make_shared<std::promise<void>>();
      std::future<void> answer = answered->get_future();
      {
        std::lock_guard<std::mutex> guard(askersMutex_);
        askers_.emplace_back([this, answered, number = event.number] {
          UniqueBstr name;
          plugin_.GetDevicePropertyString(number, W("DevProductName"), name.Put());
          answered->set_value();
        });
      }
      ++(answer.wait_for(kPatience) == std::future_status::ready ? answered_ : unanswered_);
    });
  }

  // Waits until the host has asked after `count` devices (its callback
  // records the news before it asks).
  bool Asked(int count) {
    for (int i = 0; i < 400 && answered_ + unanswered_ < count; ++i) Sleep(20);
    return answered_ + unanswered_ >= count;
  }

  static constexpr std::chrono::milliseconds kPatience{2000};
  std::mutex askersMutex_;
  std::vector<std::thread> askers_;  // joined at the end: an unanswered one finishes once the lock is free
  std::atomic<int> answered_{0}, unanswered_{0};
};

std::vector<std::pair<HostEvent::Kind, DWORD>> DeviceNews(const std::vector<HostEvent>& events) {
  std::vector<std::pair<HostEvent::Kind, DWORD>> news;
  for (const HostEvent& event : events)
    if (event.kind == HostEvent::kDeviceArrived || event.kind == HostEvent::kDeviceRemoved)
      news.emplace_back(event.kind, event.number);
  return news;
}

// The worker tells the host of arrivals and removals once it has let the
// plug-in lock go: a host that waits in its callback for a slot called on
// another thread gets its answer, and the news come in the order the list
// changed, with the numbers the records had.
TEST_F(DeviceChangeTest, TheWorkersCallbacksComeWithoutThePluginLock) {
  Start(true);
  HandNewsToAnotherThread();
  const auto pocket = AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 1));
  model_->RemoveDevice(pocket);
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceRemoved, 1));
  AddPlayer(SamplePlayer(W("Stick"), W("stick")));
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 2));
  ASSERT_TRUE(Asked(3));
  EXPECT_EQ(unanswered_, 0) << "a callback came while the plug-in lock was held";
  EXPECT_EQ(answered_, 3);
  EXPECT_EQ(DeviceNews(callback_.Events()),
            (std::vector<std::pair<HostEvent::Kind, DWORD>>{
                {HostEvent::kDeviceArrived, 1}, {HostEvent::kDeviceRemoved, 1}, {HostEvent::kDeviceArrived, 2}}));
}

// The same for a rescan, whose news come on the host's own thread once the
// slot has let the lock go: the arrival first, then the removal, as the
// rescan found them. A callback that calls back into the plug-in on its own
// thread is answered too.
TEST_F(DeviceChangeTest, ARescansCallbacksComeWithoutThePluginLock) {
  Start();
  const auto pocket = AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));
  model_->RemoveDevice(pocket);
  AddPlayer(SamplePlayer(W("Stick"), W("stick")));
  callback_.ClearEvents();
  HandNewsToAnotherThread();
  EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
  EXPECT_EQ(unanswered_, 0) << "a callback came while the plug-in lock was held";
  EXPECT_EQ(answered_, 2);
  const std::vector<HostEvent> events = callback_.Events();
  EXPECT_EQ(DeviceNews(events), (std::vector<std::pair<HostEvent::Kind, DWORD>>{{HostEvent::kDeviceArrived, 2},
                                                                                 {HostEvent::kDeviceRemoved, 1}}));
  for (const HostEvent& event : events) {
    if (event.kind == HostEvent::kDeviceArrived || event.kind == HostEvent::kDeviceRemoved) {
      EXPECT_EQ(event.threadId, GetCurrentThreadId());
    }
  }

  // Back into the plug-in from the callback, on the same thread.
  callback_.SetListener(nullptr);
  std::vector<WString> names;
  callback_.SetListener([&](const HostEvent& event) {
    if (event.kind == HostEvent::kDeviceArrived) names.push_back(StringProperty(event.number, W("DevProductName")));
  });
  AddPlayer(SamplePlayer(W("Card"), W("card")));
  EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
  EXPECT_EQ(names, std::vector<WString>{W("Card")});
}

// A rescan on another host thread tells the first of two arrivals, and the
// host holds that callback until a new listing or Shutdown has emptied the
// list (and a moment more): the second arrival's number names nothing now, so
// it is never told. Shutdown also returns only after the callback has, and
// none comes later, since the host may free its callback object at once.
// Shutdown comes last: the rows share the plug-in.
TEST_F(DeviceChangeTest, ANewListingOrShutdownDropsTheNewsNotYetTold) {
  struct Row {
    const char* interruption;
    bool shutdown;
    const WCHAR* first;
    const WCHAR* second;
  };
  const Row rows[] = {{"a new listing", false, W("Pocket"), W("Stick")},
                     {"Shutdown", true, W("Card"), W("Clip")}};
  const auto within = [](DWORD milliseconds, const std::function<bool()>& holds) {
    for (DWORD waited = 0; !holds(); waited += 2) {
      if (waited >= milliseconds) return false;
      Sleep(2);
    }
    return true;
  };
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.interruption);
    const DWORD listed = static_cast<DWORD>(ListDevices().size());
    AddPlayer(SamplePlayer(row.first, row.first));
    AddPlayer(SamplePlayer(row.second, row.second));
    callback_.ClearEvents();
    std::atomic<bool> over{false}, returned{false}, emptied{true};
    callback_.SetListener([&](const HostEvent& event) {
      if (event.kind != HostEvent::kDeviceArrived || event.number != listed + 1) return;
      emptied = within(5000, [&] { return plugin_.DeviceListSize() < listed + 2; });
      within(300, [&] { return over.load(); });
      returned = true;
    });
    std::thread rescan([&] { EXPECT_EQ(plugin_.ReScanDevices(), S_OK); });
    EXPECT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 1, 5000)) << "the rescan told no arrival";
    DWORD number = 0;
    IPPFINDHANDLE find = nullptr;
    size_t told = 0;  // what the host heard before Shutdown returned
    if (row.shutdown) {
      EXPECT_EQ(plugin_.Shutdown(), S_OK);
      told = callback_.Events().size();
      EXPECT_TRUE(returned) << "Shutdown returned while a host thread was still in its callback";
    } else {
      EXPECT_EQ(plugin_.FindFirstDevice(&number, &find), S_OK);
    }
    over = true;
    rescan.join();  // the callback waits 5 seconds at most
    callback_.SetListener(nullptr);
    if (find) {
      EXPECT_EQ(plugin_.FindDeviceClose(find), S_OK);
    }
    EXPECT_TRUE(emptied) << row.interruption << " never emptied the list";
    if (row.shutdown) {
      EXPECT_EQ(callback_.Events().size(), told) << "a callback came after Shutdown returned";
    }
    EXPECT_EQ(DeviceNews(callback_.Events()),
              (std::vector<std::pair<HostEvent::Kind, DWORD>>{{HostEvent::kDeviceArrived, listed + 1}}))
        << "news of a record " << row.interruption << " dropped was told";
  }
}

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
