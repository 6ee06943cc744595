#include "notify/kc_notification_obj.h"

#include <com_ptr.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "com_support.h"
#include "device_manager.h"
#include "player_model.h"

namespace {

using wmdm_standin::ObjectKind;
using wmdm_standin::PlayerModel;

// Each change as "+identity name/manufacturer" (an arrival) or "-identity name/manufacturer".
class RecordingTarget : public DeviceChangeTarget {
 public:
  void OnDeviceChange(WString identity, WString name, WString manufacturer, bool arrived) override {
    std::lock_guard<std::mutex> lock(mutex_);
    heard_.push_back((arrived ? "+" : "-") + wide::ToUtf8(identity) + " " + wide::ToUtf8(name) + "/" +
                     wide::ToUtf8(manufacturer));
    threads_.push_back(GetCurrentThreadId());
  }
  std::vector<std::string> Heard() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return heard_;
  }
  DWORD FirstThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return threads_.empty() ? 0 : threads_[0];
  }
  bool WaitForCount(size_t count, DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    for (; Heard().size() < count; Sleep(10))
      if (GetTickCount() - start > milliseconds) return false;
    return true;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> heard_;
  std::vector<DWORD> threads_;
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
    AddPlayer(W("player-a"), W("Pocket"), WString(W("ACME")));
    AddPlayer(W("player-b"), W("Stick"), std::nullopt);
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
    wmdm_standin::DeviceDescription description;
    description.name = name;
    description.manufacturer = manufacturer;
    description.canonicalName = canonical;
    model_->AddDevice(description);
  }

  kcNotificationObj* NewSink(RecordingTarget* target, DWORD intervalMs = kNeverMs, bool withStream = true) {
    kcNotificationObj* sink = kcNotificationObj::Create(target, intervalMs).Detach();
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

constexpr DWORD kArrived = WMDM_MSG_DEVICE_ARRIVAL, kRemoved = WMDM_MSG_DEVICE_REMOVAL;

TEST_F(NotificationObjTest, APassHandsTheQueueOverNewestFirst) {
  struct Case {
    const char* what;
    std::vector<std::pair<DWORD, const WCHAR*>> messages;  // in the order WMDM sent them
    std::vector<std::string> heard;
    const char* failing;  // a device method that fails, or null
    int failures;         // how many times in a row
    bool withStream, detached;
  } cases[] = {
      {"removals; a type of no interest is dropped",
       {{kRemoved, W("first")}, {WMDM_MSG_MEDIA_REMOVAL, W("second")}, {4, W("unknown")}, {kRemoved, W("third")}},
       {"-third /", "-second /", "-first /"},
       nullptr, 0, true, false},
      // A media arrival is no device arrival; an unreadable manufacturer is unknown.
      {"arrivals are named",
       {{kArrived, W("player-a")}, {kRemoved, W("player-a")}, {WMDM_MSG_MEDIA_ARRIVAL, W("player-b")}},
       {"-player-b Stick/unknown", "-player-a /", "+player-a Pocket/unknown"},
       "GetManufacturer", wmdm_standin::kEveryCall, true, false},
      {"an unknown device is dropped",
       {{kArrived, W("player-a")}, {kArrived, W("nobody")}},
       {"+player-a Pocket/ACME"},
       nullptr, 0, true, false},
      {"an unreadable name drops only that arrival",
       {{kArrived, W("player-a")}, {kArrived, W("player-b")}},
       {"+player-a Pocket/ACME"},
       "GetName", 1, true, false},
      {"without a stream only removals",
       {{kArrived, W("player-a")}, {kRemoved, W("player-a")}},
       {"-player-a /"},
       nullptr, 0, false, false},
      {"a detached target hears nothing", {{kRemoved, W("gone")}}, {}, nullptr, 0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingTarget target;
    kcNotificationObj* sink = NewSink(&target, kNeverMs, c.withStream);
    for (const auto& [type, name] : c.messages) EXPECT_EQ(sink->WMDMMessage(type, name), S_OK);
    if (c.failing) model_->Faults().Inject(ObjectKind::Device, c.failing, E_FAIL, c.failures);
    if (c.detached) sink->DetachTarget();
    EXPECT_TRUE(sink->ProcessQueue());
    EXPECT_TRUE(sink->ProcessQueue()) << "the queue was emptied";
    EXPECT_EQ(target.Heard(), c.heard);
    model_->Faults().ClearFaults();
    sink->Release();
  }
}

TEST_F(NotificationObjTest, WorkerDeliversOnItsOwnThread) {
  kcNotificationObj* sink = NewSink(&target_, 30);
  sink->WMDMMessage(kArrived, W("player-a"));
  ASSERT_TRUE(target_.WaitForCount(1, 5000));
  EXPECT_EQ(target_.Heard(), std::vector<std::string>{"+player-a Pocket/ACME"});
  EXPECT_NE(target_.FirstThread(), GetCurrentThreadId());
  sink->Release();
}

TEST_F(NotificationObjTest, LastReleaseStopsASleepingWorkerPromptlyAndDiscardsTheQueue) {
  kcNotificationObj* sink = NewSink(&target_, kcNotificationObj::kWorkerIntervalMs);
  sink->WMDMMessage(kRemoved, W("queued"));
  const DWORD start = GetTickCount();
  EXPECT_EQ(sink->Release(), 0u);
  EXPECT_LT(GetTickCount() - start, 1500u);
  EXPECT_TRUE(target_.Heard().empty());
}

TEST_F(NotificationObjTest, CountsReferencesAcrossThreads) {
  kcNotificationObj* sink = NewSink(&target_, 5);
  std::vector<std::thread> threads;
  std::atomic<bool> go{false};
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < 2000; ++i) {
        sink->AddRef();
        sink->WMDMMessage(kRemoved, W("x"));
        sink->Release();
      }
    });
  go = true;
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(sink->AddRef(), 2u);
  EXPECT_EQ(sink->Release(), 1u);
  EXPECT_EQ(sink->Release(), 0u);
}

// A target that holds up the pass (the plug-in's lock taken by a long send)
// until it is let go.
class HeldTarget : public DeviceChangeTarget {
 public:
  void OnDeviceChange(WString identity, WString, WString, bool) override {
    std::unique_lock<std::mutex> lock(mutex_);
    entered_ = true;
    heard_.push_back(wide::ToUtf8(identity));
    changed_.notify_all();
    changed_.wait(lock, [&] { return released_; });
  }
  bool WaitUntilEntered() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return entered_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  std::vector<std::string> Heard() {
    std::lock_guard<std::mutex> lock(mutex_);
    return heard_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false, released_ = false;
  std::vector<std::string> heard_;
};

TEST_F(NotificationObjTest, MessagesAreQueuedWhileAPassWaitsOnItsTarget) {
  HeldTarget target;
  kcNotificationObj* sink = kcNotificationObj::Create(&target, 10).Detach();
  ASSERT_NE(sink, nullptr);
  sink->WMDMMessage(kRemoved, W("first"));
  ASSERT_TRUE(target.WaitUntilEntered());
  // The worker is inside the target now; WMDM's next message must not wait for it.
  std::atomic<bool> queued{false};
  std::thread platform([&] {
    sink->WMDMMessage(kRemoved, W("second"));
    queued = true;
  });
  for (int i = 0; i < 100 && !queued; ++i) Sleep(10);
  EXPECT_TRUE(queued) << "WMDMMessage waited for the pass under way";
  target.Release();
  platform.join();
  for (int i = 0; i < 500 && target.Heard().size() < 2; ++i) Sleep(10);
  EXPECT_EQ(target.Heard(), (std::vector<std::string>{"first", "second"}));
  // Detaching waits for a pass under way; nothing reaches the target afterwards.
  sink->DetachTarget();
  sink->WMDMMessage(kRemoved, W("third"));
  Sleep(50);
  EXPECT_EQ(target.Heard().size(), 2u);
  sink->Release();
}

}  // namespace
