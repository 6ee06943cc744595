// Test support: one plug-in object driven as the host drives it, over the WMDM
// stand-in's player model, with a registry sandbox filled from .reg fixtures
// and a host settings store serving a manifest.
#pragma once

#include <gtest/gtest.h>

#include <objbase.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <com_ptr.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

#include "plugin/kc_wmdm10_plugin.h"
#include "host_sdk/ki_settings_store.h"
#include "host_support/class_object_registration.h"
#include "host_support/host_callback.h"
#include "host_support/reg_file_loader.h"
#include "host_support/registry_sandbox.h"
#include "host_support/settings_store.h"
#include "com_support.h"
#include "player_model.h"
#include "registration.h"

// A player as the tests usually want one: named, with a canonical name, one
// ready medium, MP3 at 128 kbit/s and the playlist format.
inline wmdm_standin::DeviceDescription SamplePlayer(const WString& name, const WString& canonicalName) {
  wmdm_standin::DeviceDescription description;
  description.name = name;
  description.manufacturer = WString(W("ACME"));
  description.canonicalName = canonicalName;
  description.version = 260;
  description.icon = 101;
  _WAVEFORMATEX mp3 = {};
  mp3.wFormatTag = 0x55;
  mp3.nChannels = 2;
  mp3.nSamplesPerSec = 44100;
  mp3.nAvgBytesPerSec = 16000;
  description.waveFormats = {mp3};
  description.mimeTypes = {W("audio/mpeg")};
  description.formatsSupported = std::vector<DWORD>{0x3009, 0xBA05};
  return description;
}

// Long enough for the notification worker to have made a pass.
constexpr DWORD kWorkerPassMs = 1300;

// Whether this thread is in a COM apartment: joining once more says so
// (S_FALSE) and is undone at once.
inline bool InComApartment() {
  const HRESULT hr = CoInitialize(nullptr);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE || hr == RPC_E_CHANGED_MODE;
}

class PluginHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    model_ = wmdm_standin::PlayerModel::Create();
    ASSERT_EQ(CoInitialize(nullptr), S_OK) << "an earlier test left this thread in a COM apartment";
  }

  void TearDown() override {
    if (started_) {
      EXPECT_EQ(plugin_.Shutdown(), S_OK);
    }
    // A slot that leaves the lock on some path leaves it held for good; the
    // plug-in's own threads hold it only for a moment.
    bool lockFree = LockIsFree();
    for (int attempt = 0; !lockFree && attempt < 100; ++attempt) {
      Sleep(10);
      lockFree = LockIsFree();
    }
    EXPECT_TRUE(lockFree) << "a slot left the plug-in lock held";
    model_->Events().Flush();  // no message still on its way to the plug-in
    standin_.Revoke();
    settings_.reset();
    loader_.reset();
    sandbox_.reset();
    EXPECT_EQ(wmdm_standin::LiveComObjects(), 0) << "a reference to a stand-in object was never released";
    CoUninitialize();
    if (InComApartment()) {
      ADD_FAILURE() << "Initialize and Shutdown did not balance their COM initialisations";
      // Leave the thread as this test found it, so that the next one starts clean.
      for (int i = 0; i < 16 && InComApartment(); ++i) CoUninitialize();
    }
  }

  // Another thread takes the plug-in lock at once, as the host's next call
  // would: no path of a slot may leave it held.
  bool LockIsFree() {
    bool taken = false;
    std::thread([&] {
      taken = plugin_.Lock().TryEnter();
      if (taken) plugin_.Lock().Leave();
    }).join();
    return taken;
  }

  // A sandboxed registry that knows no device yet.
  void UseEmptyMachine() {
    if (sandbox_) return;
    sandbox_ = std::make_unique<RegistrySandbox>();
    ASSERT_EQ(sandbox_->Status(), ERROR_SUCCESS);
    loader_ = std::make_unique<RegFileLoader>(sandbox_->CreateOptions());
  }

  // Loads a .reg fixture below fixtures/registry/ into the sandboxed registry.
  void UseMachine(const std::string& relativePath) {
    UseEmptyMachine();
    ASSERT_TRUE(loader_->LoadFile(std::string(MD_FIXTURES_DIR) + "/registry/" + relativePath)) << loader_->Error();
  }

  // Serves a manifest text through the host settings store.
  void UseManifest(const WString& text) {
    ComPtr<IUnknown> store;
    ASSERT_EQ(HostSettingsStore::CreateForManifest(text, &store), S_OK);
    settings_ = std::make_unique<ClassObjectRegistration>(CLSID_kcSettingsStore, store.Get());
    ASSERT_EQ(settings_->Result(), S_OK);
  }

  // Offers the stand-in, initialises the plug-in and sets the callback, as a
  // host does. Unless `listen`, the plug-in stops listening for arrivals and
  // removals at once, so that the worker cannot change the list under a test.
  void Start(bool listen = false) {
    ASSERT_EQ(standin_.Register(model_), S_OK);
    ASSERT_EQ(plugin_.Initialize(W("C:\\Library"), W("")), S_OK);
    started_ = true;
    if (!listen) {
      ASSERT_EQ(plugin_.UnregisterNotifications(), S_OK);
    }
    plugin_.SetHostCallback(&callback_);
  }

  wmdm_standin::ObjectId AddPlayer(const wmdm_standin::DeviceDescription& description, bool withMedium = true) {
    const auto id = model_->AddDevice(description, wmdm_standin::PlayerModel::Presence::Detached);
    if (withMedium) {
      wmdm_standin::MediumDescription medium;
      medium.name = W("Internal Memory");
      medium.totalSize = 1 << 30;
      model_->AddMedium(id, medium);
    }
    model_->ConnectDevice(id);
    return id;
  }

  // Every number a fresh listing hands out, in order.
  std::vector<DWORD> ListDevices() {
    std::vector<DWORD> numbers;
    DWORD number = 0;
    IPPFINDHANDLE find = nullptr;
    HRESULT hr = plugin_.FindFirstDevice(&number, &find);
    if (hr != S_OK) {
      EXPECT_EQ(hr, S_FALSE);
      return numbers;
    }
    numbers.push_back(number);
    while (plugin_.FindNextDevice(find, &number) == S_OK) numbers.push_back(number);
    EXPECT_EQ(plugin_.FindDeviceClose(find), S_OK);
    return numbers;
  }

  WString StringProperty(DWORD number, const WCHAR* name, HRESULT expected = S_OK) {
    UniqueBstr value;
    EXPECT_EQ(plugin_.GetDevicePropertyString(number, name, value.Put()), expected) << wide::ToUtf8(name);
    return value.ToString();
  }
  LONG LongProperty(DWORD number, const WCHAR* name, HRESULT expected = S_OK) {
    LONG value = -1;
    EXPECT_EQ(plugin_.GetDevicePropertyLong(number, name, &value), expected) << wide::ToUtf8(name);
    return value;
  }
  bool BoolProperty(DWORD number, const WCHAR* name, HRESULT expected = S_OK) {
    BOOL value = -1;
    EXPECT_EQ(plugin_.GetDevicePropertyBool(number, name, &value), expected) << wide::ToUtf8(name);
    return value == TRUE;
  }

  // Waits for `count` events of a kind from the notification worker.
  bool WaitForEvents(HostEvent::Kind kind, size_t count, DWORD milliseconds = 8000) {
    return callback_.WaitFor(
        [&](const std::vector<HostEvent>& events) {
          size_t seen = 0;
          for (const HostEvent& event : events) seen += event.kind == kind;
          return seen >= count;
        },
        milliseconds);
  }
  std::vector<HostEvent> EventsOf(HostEvent::Kind kind) const {
    std::vector<HostEvent> found;
    for (const HostEvent& event : callback_.Events())
      if (event.kind == kind) found.push_back(event);
    return found;
  }

  std::shared_ptr<wmdm_standin::PlayerModel> model_;
  wmdm_standin::DeviceManagerRegistration standin_;
  std::unique_ptr<RegistrySandbox> sandbox_;
  std::unique_ptr<RegFileLoader> loader_;
  std::unique_ptr<ClassObjectRegistration> settings_;
  HostCallback callback_;
  kcWMDM10Plugin plugin_;
  bool started_ = false;
};
