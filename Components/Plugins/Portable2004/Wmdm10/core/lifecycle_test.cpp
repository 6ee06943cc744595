#include "testing/plugin_test_harness.h"

#include <atomic>
#include <functional>
#include <thread>

#include "host_sdk/ipp_result_codes.h"

namespace {

using wmdm_standin::ObjectKind;

class LifecycleTest : public PluginHarness {};

TEST_F(LifecycleTest, InitializeRegistersTheSinkOnceAndShutdownOrUnregisteringUndoesIt) {
  Start(true);
  // Whether the plug-in is registered; the stand-in's sink count must agree.
  const auto registered = [&] {
    EXPECT_EQ(model_->Events().SinkCount(), plugin_.IsRegisteredForNotifications() ? 1u : 0u);
    return plugin_.IsRegisteredForNotifications();
  };
  EXPECT_TRUE(registered());
  // A second Initialize replaces the registration and forgets the host's callback.
  ASSERT_EQ(plugin_.Initialize(W("again"), W("")), S_OK);
  EXPECT_TRUE(registered());
  EXPECT_EQ(plugin_.HostCallback(), nullptr);
  plugin_.SetHostCallback(&callback_);
  AddPlayer(SamplePlayer(W("Pocket"), W("pocket-1")));
  EXPECT_EQ(ListDevices(), (std::vector<DWORD>{1}));

  EXPECT_EQ(plugin_.Shutdown(), S_OK);
  EXPECT_FALSE(registered());
  EXPECT_EQ(plugin_.DeviceListSize(), 0u);
  EXPECT_EQ(plugin_.UnregisterNotifications(), S_FALSE);  // nothing is left to unregister
  ASSERT_EQ(plugin_.Initialize(W(""), W("")), S_OK);
  plugin_.SetHostCallback(&callback_);
  EXPECT_EQ(ListDevices(), (std::vector<DWORD>{1}));

  // A failed Unadvise keeps the cookie and the sink, so the next try can go.
  model_->Faults().Inject(ObjectKind::ConnectionPoint, "Unadvise", E_FAIL);
  EXPECT_EQ(plugin_.UnregisterNotifications(), E_FAIL);
  EXPECT_TRUE(registered());
  EXPECT_EQ(plugin_.UnregisterNotifications(), S_OK);
  EXPECT_FALSE(registered());
}

TEST_F(LifecycleTest, WithoutADeviceManagerInitializeFailsAndShutdownStillSucceeds) {
  // Nothing offers the device manager's class.
  EXPECT_EQ(plugin_.Initialize(W(""), W("")), IPP_E_FAIL);
  EXPECT_FALSE(plugin_.IsRegisteredForNotifications());
  EXPECT_EQ(plugin_.UnregisterNotifications(), S_FALSE);
  // Device operations fail on their own calls.
  DWORD number = 7;
  IPPFINDHANDLE find = reinterpret_cast<IPPFINDHANDLE>(1);
  EXPECT_EQ(plugin_.FindFirstDevice(&number, &find), IPP_E_FAIL);
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(find, nullptr);
  EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
  EXPECT_EQ(plugin_.Shutdown(), S_OK);
}

TEST_F(LifecycleTest, FailedRegistrationIsReportedAndLeavesNothingBehind) {
  struct Row {
    int line;
    ObjectKind kind;
    const char* method;
    HRESULT injected;
    HRESULT expected;
  };
  const Row rows[] = {
      {__LINE__, ObjectKind::DeviceManager, "FindConnectionPoint", E_NOINTERFACE, IPP_E_FAIL},
      {__LINE__, ObjectKind::ConnectionPoint, "Advise", static_cast<HRESULT>(0x80045000), IPP_S_BUSY},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    ASSERT_EQ(standin_.Register(model_), S_OK);
    model_->Faults().Inject(row.kind, row.method, row.injected);
    EXPECT_EQ(plugin_.Initialize(W(""), W("")), row.expected);
    EXPECT_FALSE(plugin_.IsRegisteredForNotifications());
    EXPECT_EQ(plugin_.Shutdown(), S_OK);
    EXPECT_EQ(model_->Events().SinkCount(), 0u);
    model_->Faults().ClearFaults();
    standin_.Revoke();
  }
}

TEST_F(LifecycleTest, ShutdownLeavesTheApartmentAsInitializeFoundIt) {
  // Shutdown without Initialize leaves the host's apartment alone.
  EXPECT_EQ(plugin_.Shutdown(), S_OK);
  EXPECT_TRUE(InComApartment());
  ASSERT_EQ(standin_.Register(model_), S_OK);
  ASSERT_EQ(plugin_.Initialize(W(""), W("")), S_OK);
  ASSERT_EQ(plugin_.Initialize(W(""), W("")), S_OK);
  EXPECT_EQ(plugin_.Shutdown(), S_OK);
  EXPECT_TRUE(InComApartment());
  // What remains is the harness's own apartment, and nothing else.
  CoUninitialize();
  EXPECT_FALSE(InComApartment());
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
}

TEST_F(LifecycleTest, HostOperationsLogUnderTheLockAndTheLockIsReentrant) {
  Start();
  // The lock admits its owner again, which property answers rely on.
  ScopedLock outer(plugin_.Lock());
  ScopedLock inner(plugin_.Lock());
  EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
  EXPECT_EQ(callback_.LogLines(), std::vector<WString>{W("WMDM10::ReScanDevices called\n")});
}

TEST_F(LifecycleTest, DeviceSlotsWaitForTheLockHeldByAnotherThread) {
  Start();
  AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));
  BOOL flag = FALSE;
  LONG number = 0;
  ULONG icon = 0;
  struct Row {
    const char* slot;
    std::function<void()> call;
  };
  const Row rows[] = {
      {"GetDevicePropertyBool", [&] { plugin_.GetDevicePropertyBool(1, W("DevIsRenamable"), &flag); }},
      {"GetDevicePropertyLong", [&] { plugin_.GetDevicePropertyLong(1, W("DevMediaCount"), &number); }},
      {"GetDevicePropertyString", [&] { StringProperty(1, W("DevProductName")); }},
      {"GetDevicePropertyIcon", [&] { plugin_.GetDevicePropertyIcon(1, 0, &icon); }},
      {"GetSupportedBitrates",
       [&] {
         SAFEARRAY* rates = nullptr;
         BOOL every = FALSE;
         plugin_.GetSupportedBitrates(1, W("mp3"), &rates, &every);
         if (rates) SafeArrayDestroy(rates);
       }},
      {"ReScanDevices", [&] { plugin_.ReScanDevices(); }},
      {"FindFirstDevice", [&] { ListDevices(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.slot);
    std::atomic<bool> done{false};
    std::thread other;
    {
      ScopedLock held(plugin_.Lock());
      other = std::thread([&] {
        row.call();
        done = true;
      });
      Sleep(100);
      EXPECT_FALSE(done) << "the slot ran while another thread held the lock";
    }
    other.join();
    EXPECT_TRUE(done);
  }
}

}  // namespace
