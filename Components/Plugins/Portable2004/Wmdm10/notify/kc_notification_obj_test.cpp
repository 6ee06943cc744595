#include "notify/kc_notification_obj.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <com_ptr.h>

#include "com_support.h"
#include "device_manager.h"
#include "player_model.h"

namespace {

using wmdm_standin::DeviceDescription;
using wmdm_standin::ObjectKind;
using wmdm_standin::PlayerModel;

struct Change {
  WString identity, name, manufacturer;
  bool arrived;
  DWORD thread;
};

class RecordingTarget : public DeviceChangeTarget {
 public:
  void OnDeviceChange(WString identity, WString name, WString manufacturer, bool arrived) override {
    std::lock_guard<std::mutex> lock(mutex_);
    changes_.push_back({identity, name, manufacturer, arrived, GetCurrentThreadId()});
  }
  std::vector<Change> Changes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return changes_;
  }
  bool WaitForCount(size_t count, DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    while (Changes().size() < count) {
      if (GetTickCount() - start > milliseconds) return false;
      Sleep(10);
    }
    return true;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Change> changes_;
};

// Long enough that the worker never runs during a test that drives the
// queue by hand.
constexpr DWORD kNeverMs = 600000;

class NotificationObjTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    model_ = PlayerModel::Create();
    manager_ = wmdm_standin::DeviceManager::Create(model_);
    ASSERT_TRUE(manager_);
  }
  void TearDown() override {
    manager_.Reset();
    model_->Events().Flush();
    model_.reset();
    // The sink let go of the stream and of the manager it carried.
    EXPECT_EQ(wmdm_standin::LiveComObjects(), 0);
    CoUninitialize();
  }

  // A connected player known under `canonical`, added without anybody advised.
  void AddPlayer(const WString& canonical, const WString& name, std::optional<WString> manufacturer) {
    DeviceDescription description;
    description.name = name;
    description.manufacturer = manufacturer;
    description.canonicalName = canonical;
    model_->AddDevice(description);
  }

  kcNotificationObj* NewSink(DWORD intervalMs = kNeverMs, bool withStream = true) {
    kcNotificationObj* sink = kcNotificationObj::Create(&target_, intervalMs).Detach();
    EXPECT_NE(sink, nullptr);
    if (sink && withStream) {
      ComPtr<IStream> stream;
      EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IWMDeviceManager, manager_.Get(), &stream), S_OK);
      sink->SetMarshalledStream(std::move(stream));
    }
    return sink;
  }

  std::shared_ptr<PlayerModel> model_;
  ComPtr<IWMDeviceManager> manager_;
  RecordingTarget target_;
};

TEST_F(NotificationObjTest, HandlesAPassNewestFirstAndDropsUnknownTypes) {
  kcNotificationObj* sink = NewSink();
  EXPECT_EQ(sink->WMDMMessage(WMDM_MSG_DEVICE_REMOVAL, W("first")), S_OK);
  EXPECT_EQ(sink->WMDMMessage(WMDM_MSG_MEDIA_REMOVAL, W("second")), S_OK);
  EXPECT_EQ(sink->WMDMMessage(4, W("unknown type")), S_OK);
  EXPECT_EQ(sink->WMDMMessage(WMDM_MSG_DEVICE_REMOVAL, W("third")), S_OK);
  EXPECT_TRUE(sink->ProcessQueue());
  auto changes = target_.Changes();
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0].identity, W("third"));
  EXPECT_EQ(changes[1].identity, W("second"));
  EXPECT_EQ(changes[2].identity, W("first"));
  for (const auto& change : changes) {
    EXPECT_FALSE(change.arrived);
    EXPECT_TRUE(change.name.empty());
    EXPECT_TRUE(change.manufacturer.empty());
  }
  EXPECT_TRUE(sink->ProcessQueue());  // the queue was emptied
  EXPECT_EQ(target_.Changes().size(), 3u);
  sink->Release();
}

TEST_F(NotificationObjTest, ReadsNameAndManufacturerOfArrivals) {
  AddPlayer(W("player-a"), W("Pocket"), WString(W("ACME")));
  AddPlayer(W("player-b"), W("Stick"), std::nullopt);
  kcNotificationObj* sink = NewSink();
  sink->WMDMMessage(WMDM_MSG_DEVICE_ARRIVAL, W("player-a"));
  sink->WMDMMessage(WMDM_MSG_DEVICE_REMOVAL, W("player-a"));
  sink->WMDMMessage(WMDM_MSG_MEDIA_ARRIVAL, W("player-b"));
  model_->Faults().Inject(ObjectKind::Device, "GetManufacturer", E_FAIL, wmdm_standin::kEveryCall);
  EXPECT_TRUE(sink->ProcessQueue());
  auto changes = target_.Changes();
  ASSERT_EQ(changes.size(), 3u);
  // A media arrival counts as no device arrival; a manufacturer that cannot
  // be read is reported as unknown.
  EXPECT_EQ(changes[0].identity, W("player-b"));
  EXPECT_EQ(changes[0].name, W("Stick"));
  EXPECT_EQ(changes[0].manufacturer, W("unknown"));
  EXPECT_FALSE(changes[0].arrived);
  EXPECT_EQ(changes[1].identity, W("player-a"));
  EXPECT_FALSE(changes[1].arrived);
  EXPECT_EQ(changes[2].name, W("Pocket"));
  EXPECT_TRUE(changes[2].arrived);
  model_->Faults().ClearFaults();
  sink->Release();
}

TEST_F(NotificationObjTest, DropsArrivalsItCannotResolveAndGoesOn) {
  AddPlayer(W("player-a"), W("Pocket"), WString(W("ACME")));
  kcNotificationObj* sink = NewSink();
  sink->WMDMMessage(WMDM_MSG_DEVICE_ARRIVAL, W("player-a"));
  sink->WMDMMessage(WMDM_MSG_DEVICE_ARRIVAL, W("nobody"));  // handled first, dropped
  EXPECT_TRUE(sink->ProcessQueue());
  model_->Faults().Inject(ObjectKind::Device, "GetName", E_FAIL);
  sink->WMDMMessage(WMDM_MSG_DEVICE_ARRIVAL, W("player-a"));  // name unreadable: dropped
  EXPECT_TRUE(sink->ProcessQueue());
  sink->WMDMMessage(WMDM_MSG_DEVICE_ARRIVAL, W("player-a"));
  EXPECT_TRUE(sink->ProcessQueue());
  auto changes = target_.Changes();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].identity, W("player-a"));
  EXPECT_EQ(changes[1].identity, W("player-a"));
  sink->Release();
}

TEST_F(NotificationObjTest, WithoutAStreamOnlyRemovalsGetThrough) {
  AddPlayer(W("player-a"), W("Pocket"), WString(W("ACME")));
  kcNotificationObj* sink = NewSink(kNeverMs, false);
  sink->WMDMMessage(WMDM_MSG_DEVICE_ARRIVAL, W("player-a"));
  sink->WMDMMessage(WMDM_MSG_DEVICE_REMOVAL, W("player-a"));
  EXPECT_TRUE(sink->ProcessQueue());
  auto changes = target_.Changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_FALSE(changes[0].arrived);
  sink->Release();
}

TEST_F(NotificationObjTest, WorkerDeliversOnItsOwnThread) {
  AddPlayer(W("player-a"), W("Pocket"), WString(W("ACME")));
  kcNotificationObj* sink = NewSink(30);
  sink->WMDMMessage(WMDM_MSG_DEVICE_ARRIVAL, W("player-a"));
  ASSERT_TRUE(target_.WaitForCount(1, 5000));
  const Change change = target_.Changes()[0];
  EXPECT_TRUE(change.arrived);
  EXPECT_EQ(change.name, W("Pocket"));
  EXPECT_NE(change.thread, GetCurrentThreadId());
  sink->Release();
}

TEST_F(NotificationObjTest, LastReleaseStopsASleepingWorkerPromptlyAndDiscardsTheQueue) {
  kcNotificationObj* sink = NewSink(kcNotificationObj::kWorkerIntervalMs);
  sink->WMDMMessage(WMDM_MSG_DEVICE_REMOVAL, W("queued"));
  const DWORD start = GetTickCount();
  EXPECT_EQ(sink->Release(), 0u);
  EXPECT_LT(GetTickCount() - start, 1500u);
  EXPECT_TRUE(target_.Changes().empty());
}

TEST_F(NotificationObjTest, DetachedTargetHearsNothingMore) {
  kcNotificationObj* sink = NewSink();
  sink->WMDMMessage(WMDM_MSG_DEVICE_REMOVAL, W("gone"));
  sink->DetachTarget();
  EXPECT_TRUE(sink->ProcessQueue());
  EXPECT_TRUE(target_.Changes().empty());
  sink->Release();
}

TEST_F(NotificationObjTest, CountsReferencesAcrossThreads) {
  kcNotificationObj* sink = NewSink(5);
  std::vector<std::thread> threads;
  std::atomic<bool> go{false};
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < 2000; ++i) {
        sink->AddRef();
        sink->WMDMMessage(WMDM_MSG_DEVICE_REMOVAL, W("x"));
        sink->Release();
      }
    });
  go = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(sink->AddRef(), 2u);
  EXPECT_EQ(sink->Release(), 1u);
  EXPECT_EQ(sink->Release(), 0u);
}

}  // namespace
