// Arrival and removal messages reach advised sinks from the stand-in's own
// thread; the manager can be marshalled to another thread and used there.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <olectl.h>

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class RecordingSink final : public ComObject<RecordingSink, IWMDMNotification> {
 public:
  struct Message { DWORD type; WString name; DWORD thread; };

  HRESULT STDMETHODCALLTYPE WMDMMessage(DWORD type, LPCWSTR name) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(Message{type, wide::FromPtr(name), GetCurrentThreadId()});
    arrived_.notify_all();
    return S_OK;
  }

  std::vector<Message> WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return messages_.size() >= count; });
    return messages_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Message> messages_;
};

// A sink held by the test; advised ones are also held by the stand-in, so a
// failing test cannot leave the stand-in calling a destroyed object.
ComPtr<RecordingSink> NewSink() { return MakeComObject<RecordingSink>(); }

class NotificationTest : public StandInTest {
 protected:
  void SetUp() override {
    StandInTest::SetUp();
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(manager_.As(&container), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(IID_IWMDMNotification, &point_), S_OK);
  }
  void TearDown() override {
    point_.Reset();
    StandInTest::TearDown();
  }
  ComPtr<IConnectionPoint> point_;
};

TEST_F(NotificationTest, AdviseHandsOutCookiesThatUnadviseTakesBack) {
  auto first = NewSink(), second = NewSink();
  DWORD cookie1 = 0, cookie2 = 0;
  ASSERT_EQ(point_->Advise(first.Get(), &cookie1), S_OK);
  ASSERT_EQ(point_->Advise(second.Get(), &cookie2), S_OK);
  EXPECT_NE(cookie1, 0u);
  EXPECT_NE(cookie1, cookie2);
  EXPECT_EQ(first->References(), 2u) << "an advised sink is held";
  EXPECT_EQ(point_->Unadvise(cookie1), S_OK);
  EXPECT_EQ(first->References(), 1u);
  EXPECT_EQ(point_->Unadvise(cookie1), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point_->Unadvise(cookie2 + 100), CONNECT_E_NOCONNECTION);

  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(manager_.As(&container), S_OK);
  ComPtr<IConnectionPoint> other;
  EXPECT_EQ(container->FindConnectionPoint(IID_IWMDMProgress, &other), CONNECT_E_NOCONNECTION);
  IID iid = {};
  ASSERT_EQ(point_->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualGUID(iid, IID_IWMDMNotification));
  EXPECT_EQ(point_->Advise(nullptr, &cookie1), E_POINTER);

  // The manager's last release drops what is still advised.
  point_.Reset();
  container.Reset();
  manager3_.Reset();
  manager_.Reset();
  EXPECT_EQ(second->References(), 1u);
}

TEST_F(NotificationTest, ArrivalsAndRemovalsReachTheSinkOnAnotherThread) {
  auto sink = NewSink();
  DWORD cookie = 0;
  ASSERT_EQ(point_->Advise(sink.Get(), &cookie), S_OK);

  DeviceDescription description;
  description.name = W("Latecomer");
  description.canonicalName = W("\\\\?\\usb#vid_0001&pid_0002#late$0");
  const ObjectId late = Model().AddDevice(description, PlayerModel::Presence::Detached);
  MediumDescription medium;
  medium.name = W("Memory");
  Model().AddMedium(late, medium);  // not connected yet: nobody hears of it
  Model().ConnectDevice(late);
  Model().AddMedium(late, medium, PlayerModel::Arrival::Silently);  // a card no message announces
  const ObjectId card = Model().AddMedium(late, medium);
  Model().RemoveMedium(card);
  Model().RemoveDevice(late);
  Model().RemoveDevice(players_.generic);
  DeviceDescription anonymous;
  anonymous.name = W("Anonymous");
  Model().AddDevice(anonymous);

  const auto messages = sink->WaitFor(6);
  ASSERT_EQ(messages.size(), 6u);
  std::vector<std::pair<DWORD, WString>> got;
  for (const auto& message : messages) got.emplace_back(message.type, message.name);
  const WString name = *description.canonicalName;
  got.resize(4);
  EXPECT_EQ(got,
            (std::vector<std::pair<DWORD, WString>>{{WMDM_MSG_DEVICE_ARRIVAL, name},
                                                    {WMDM_MSG_MEDIA_ARRIVAL, name},
                                                    {WMDM_MSG_MEDIA_REMOVAL, name},
                                                    {WMDM_MSG_DEVICE_REMOVAL, name}}));
  // A device without a canonical name is announced under a name the
  // manager still resolves.
  EXPECT_EQ(messages[4].type, static_cast<DWORD>(WMDM_MSG_DEVICE_REMOVAL));
  EXPECT_FALSE(messages[4].name.empty());
  EXPECT_EQ(messages[5].type, static_cast<DWORD>(WMDM_MSG_DEVICE_ARRIVAL));
  ComPtr<IWMDMDevice> device;
  ASSERT_EQ(manager3_->GetDeviceFromCanonicalName(messages[5].name.c_str(), &device), S_OK);
  WCHAR deviceName[64] = {};
  ASSERT_EQ(device->GetName(deviceName, 64), S_OK);
  EXPECT_EQ(WString(deviceName), W("Anonymous"));
  EXPECT_NE(messages[0].thread, GetCurrentThreadId()) << "delivered from the stand-in's own thread";
  ASSERT_EQ(point_->Unadvise(cookie), S_OK);
}

TEST_F(NotificationTest, TheManagerWorksWhenMarshalledToAnotherThread) {
  IStream* stream = nullptr;
  ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IWMDeviceManager, manager_.Get(), &stream), S_OK);
  HRESULT unmarshalled = E_FAIL, lookup = E_FAIL;
  bool sameObject = false;
  WString name;
  std::thread worker([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
      ComPtr<IWMDeviceManager> there;
      unmarshalled = CoGetInterfaceAndReleaseStream(stream, IID_IWMDeviceManager, there.AsVoidOut());
      ComPtr<IWMDeviceManager2> there2;
      if (SUCCEEDED(unmarshalled) && SUCCEEDED(there.As(&there2))) {
        sameObject = there.Get() == manager_.Get();
        ComPtr<IWMDMDevice> device;
        lookup = there2->GetDeviceFromCanonicalName(
            W("\\\\?\\usb#vid_1e2a&pid_0101#a1b2c3#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0"), &device);
        WCHAR text[64] = {};
        if (device) device->GetName(text, 64);
        name = text;
      }
    }
    CoUninitialize();
  });
  worker.join();
  EXPECT_EQ(unmarshalled, S_OK);
  EXPECT_TRUE(sameObject) << "the free-threaded marshaler hands over the object itself";
  EXPECT_EQ(lookup, S_OK);
  EXPECT_EQ(name, W("Pocket 20"));
}

}  // namespace
}  // namespace wmdm_standin
