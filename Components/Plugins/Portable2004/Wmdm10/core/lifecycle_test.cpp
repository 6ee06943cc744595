#include "testing/plugin_test_harness.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "content/kc_ipp_item.h"
#include "content/locations.h"
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

// A second Initialize without Shutdown keeps the numbers handed out: each
// record still answers from the settings it was listed with, whatever the new
// manifest says, until the next listing. (Under AddressSanitizer this also
// shows that nothing reads the settings the new manifest replaced.)
TEST_F(LifecycleTest, RecordsListedBeforeASecondInitializeKeepTheirSettings) {
  UseMachine("machines/mass_storage_player.reg");
  const auto manifest = [](const WCHAR* body) {
    return W("<Devices><Device VidPid='Vid_a5c0&amp;Pid_0101'>") + WString(body) + W("</Device></Devices>");
  };
  UseManifest(manifest(W("<FriendlyDisplayName>First</FriendlyDisplayName><DisplayMfgName>Maker</DisplayMfgName>"
                         "<SupportsPlaylists>0</SupportsPlaylists><AlternateRoot>Music</AlternateRoot>"
                         "<HiddenFolder>Music\\Private</HiddenFolder>")));
  Start();
  const auto player = AddPlayer(SamplePlayer(W("Pocket"), W("ACME Pocket (F:)")));
  const auto music = model_->AddFolder(model_->Find(player, W("Internal Memory")), W("Music"));
  model_->AddFolder(music, W("Private"));
  model_->AddFolder(music, W("Pop"));
  ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));

  settings_.reset();
  UseManifest(manifest(W("<FriendlyDisplayName>Second</FriendlyDisplayName>")));
  ASSERT_EQ(plugin_.Initialize(W("again"), W("")), S_OK);
  ASSERT_EQ(plugin_.UnregisterNotifications(), S_OK);
  plugin_.SetHostCallback(&callback_);

  // None of these was asked before, so each reads the record's settings now.
  EXPECT_EQ(StringProperty(1, W("DevProductName")), W("First"));
  EXPECT_EQ(StringProperty(1, W("DevVendorName")), W("Maker"));
  EXPECT_EQ(StringProperty(1, W("DevDisplayName")), W("Maker First"));
  EXPECT_FALSE(BoolProperty(1, W("DevSupportsPlaylists")));
  // The listing of "\" is the alternate root's, without the hidden folder.
  const WString location = locations::ComposeMediaLocation(W("ACME Pocket (F:)"), W("Internal Memory"));
  kcIPPItem item;
  IPPFINDHANDLE find = nullptr;
  ASSERT_EQ(plugin_.FindFirstItem(location.c_str(), W("\\"), &item, &find), S_OK);
  EXPECT_EQ(UniqueBstr::Adopt(item.GetLocation()).ToString(), W("\\Pop"));
  kcIPPItem next;
  EXPECT_EQ(plugin_.FindNextItem(find, &next), S_FALSE);
  EXPECT_EQ(plugin_.FindItemClose(find), S_OK);

  // A new listing fills the records from the manifest read last.
  ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));
  EXPECT_EQ(StringProperty(1, W("DevProductName")), W("Second"));
}

// WMDM queues a message at once, whatever the plug-in is doing: while a send
// holds the plug-in lock, the worker may be waiting for that lock with a
// message in hand, and the platform's next message must not wait with it.
TEST_F(LifecycleTest, MessagesAreQueuedAtOnceWhileASendHoldsTheLock) {
  Start(/*listen=*/true);
  AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  Sleep(kWorkerPassMs);  // its own arrival message handled before the listing
  ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));
  const auto detached = [&](const WCHAR* name) {
    const auto id = model_->AddDevice(SamplePlayer(name, name), wmdm_standin::PlayerModel::Presence::Detached);
    wmdm_standin::MediumDescription medium;
    medium.name = W("Internal Memory");
    medium.totalSize = 1 << 20;
    model_->AddMedium(id, medium);
    return id;
  };
  const auto two = detached(W("two"));
  const auto three = detached(W("three"));
  callback_.ClearEvents();

  bool queuedAtOnce = false;
  model_->Faults().RunDuringNextCall(ObjectKind::Storage, "Insert3", [&] {
    model_->ConnectDevice(two);
    model_->Events().Flush();
    Sleep(kWorkerPassMs);  // the worker has taken it and waits for the lock the send holds
    model_->ConnectDevice(three);
    queuedAtOnce = model_->Events().FlushWithin(500);
  });
  const std::filesystem::path source =
      std::filesystem::temp_directory_path() / ("mdplugin_held_" + std::to_string(std::random_device()()) + ".mp3");
  std::ofstream(source, std::ios::binary) << "ID3 and a little audio";
  kcIPPItem item;
  item.SetTitle(W("Song"));
  DWORD outcome = 0;
  const WString location = locations::ComposeMediaLocation(W("pocket"), W("Internal Memory"));
  EXPECT_EQ(plugin_.DownloadFile(location.c_str(), W("\\"), wide::FromUtf8(source.u8string()).c_str(), &item, 0, 1,
                                 &outcome),
            S_OK);
  std::filesystem::remove(source);
  EXPECT_TRUE(queuedAtOnce) << "WMDMMessage waited for the send to end";
  // Both are handled once the send has let the lock go.
  ASSERT_TRUE(WaitForEvents(HostEvent::kDeviceArrived, 2));
  std::vector<DWORD> arrived;
  for (const HostEvent& event : EventsOf(HostEvent::kDeviceArrived)) arrived.push_back(event.number);
  EXPECT_EQ(arrived, (std::vector<DWORD>{2, 3}));
}

}  // namespace
