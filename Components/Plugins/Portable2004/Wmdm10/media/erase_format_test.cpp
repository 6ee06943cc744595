// Erase and Format against the stand-in: the medium wiped, the end reported to
// the host during the call, platform refusals mapped, one retry after a stale
// storage, and nothing left behind: no progress object, no held lock.

#include "content/locations.h"
#include "core/map_result.h"
#include "core/module_lock.h"
#include "testing/plugin_test_harness.h"
#include "testing/stale_answers.h"
#include "fault_injector.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

using wmdm_standin::ObjectId;
using wmdm_standin::ObjectKind;

constexpr ULONGLONG kMediumSize = 1 << 30;
const WCHAR kCanonical[] = W("usb#vid_0b70&pid_0001#wipe");

// One of the two slots, and where the stand-in does its blocking work.
struct Operation {
  const char* name;
  HRESULT (kcWMDM10Plugin::*slot)(const WCHAR* location, DWORD cookie);
  const WCHAR* logName;
  ObjectKind kind;     // faults on the root storage (Erase) or the medium's globals (Format)
  const char* method;  // both are keyed by the medium's root id
};
const Operation kOperations[] = {
    {"Erase", &kcWMDM10Plugin::Erase, W("Erase"), ObjectKind::Storage, "Delete"},
    {"Format", &kcWMDM10Plugin::Format, W("Format"), ObjectKind::StorageGlobals, "Initialize"},
};

class EraseFormatTest : public PluginHarness {
 protected:
  void SetUp() override {
    PluginHarness::SetUp();
    Start();
    device_ = AddPlayer(SamplePlayer(W("Wiper"), kCanonical));
    medium_ = model_->Find(device_, W("Internal Memory"));
    const ObjectId music = model_->AddFolder(medium_, W("Music"));
    wmdm_standin::FileDescription file;
    file.name = W("a.mp3");
    file.size = 4096;
    model_->AddFile(music, file);
    ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));
    location_ = locations::ComposeMediaLocation(kCanonical, W("Internal Memory"));
    callback_.ClearEvents();
  }

  HRESULT Run(const Operation& operation, const WCHAR* location, DWORD cookie = 0x51) {
    const HRESULT hr = (plugin_.*operation.slot)(location, cookie);
    EXPECT_EQ(ModuleLockCount(), 0) << "a progress object outlived the call";
    EXPECT_TRUE(LockIsFree()) << "the plug-in lock was left held";
    return hr;
  }
  HRESULT Run(const Operation& operation) { return Run(operation, location_.c_str()); }

  std::vector<DWORD> EndedCookies() const {
    std::vector<DWORD> cookies;
    for (const HostEvent& event : EventsOf(HostEvent::kOperationEnded)) cookies.push_back(event.number);
    return cookies;
  }
  bool MediumEmpty() const { return model_->Inspect(medium_)->children.empty(); }
  int Attempts(const Operation& operation) const {
    return model_->Faults().Calls(operation.kind, operation.method, medium_);
  }

  ObjectId device_ = 0;
  ObjectId medium_ = 0;
  WString location_;
};

TEST_F(EraseFormatTest, WipesTheMediumAndReportsTheEndDuringTheCall) {
  for (const Operation& operation : kOperations) {
    SCOPED_TRACE(operation.name);
    model_->AddFile(medium_, wmdm_standin::FileDescription{W("b.wma"), 1000});
    ASSERT_LT(model_->FreeSpace(medium_), kMediumSize);
    callback_.ClearEvents();

    EXPECT_EQ(Run(operation), S_OK);
    const std::vector<HostEvent> events = callback_.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, HostEvent::kLogLine);
    EXPECT_EQ(events[0].text, WString(W("WMDM10::")) + operation.logName + W(" called on media ") + location_ + W("\n"));
    EXPECT_EQ(events[1].kind, HostEvent::kOperationEnded) << "the end is reported before the slot returns";
    EXPECT_EQ(events[1].number, 0x51u);
    EXPECT_EQ(events[1].threadId, GetCurrentThreadId());
    EXPECT_TRUE(MediumEmpty());
    EXPECT_EQ(model_->FreeSpace(medium_), kMediumSize);
    EXPECT_EQ(Attempts(operation), 1);
  }
}

TEST_F(EraseFormatTest, WithoutACallbackTheMediumIsStillWiped) {
  plugin_.SetHostCallback(nullptr);
  for (const Operation& operation : kOperations) {
    SCOPED_TRACE(operation.name);
    EXPECT_EQ(Run(operation), S_OK);
    EXPECT_TRUE(MediumEmpty());
  }
  EXPECT_TRUE(callback_.Events().empty());
}

TEST_F(EraseFormatTest, WhatCannotBeResolvedIsNotFound) {
  const WString otherMedium = locations::ComposeMediaLocation(kCanonical, W("Storage Card"));
  const WString otherDevice = locations::ComposeMediaLocation(W("usb#nobody"), W("Internal Memory"));
  for (const Operation& operation : kOperations) {
    SCOPED_TRACE(operation.name);
    EXPECT_EQ(Run(operation, nullptr), IPP_E_FAIL);
    EXPECT_TRUE(callback_.Events().empty()) << "a null location is refused before the log line";
    EXPECT_EQ(Run(operation, otherMedium.c_str()), IPP_E_NOTFOUND);
    EXPECT_EQ(Run(operation, otherDevice.c_str()), IPP_E_NOTFOUND);
    EXPECT_EQ(Run(operation, W("Internal Memory")), IPP_E_NOTFOUND);
    callback_.ClearEvents();
  }
  // Once the root's node is cached, its storage dies with the device: the
  // node is dropped and the fresh resolution finds no device.
  ASSERT_EQ(Run(kOperations[0]), S_OK);
  model_->AddFile(medium_, wmdm_standin::FileDescription{W("b.wma"), 1000});
  ASSERT_TRUE(model_->RemoveDevice(device_));
  callback_.ClearEvents();
  for (const Operation& operation : kOperations) {
    SCOPED_TRACE(operation.name);
    EXPECT_EQ(Run(operation), IPP_E_NOTFOUND);
  }
  EXPECT_TRUE(EventsOf(HostEvent::kOperationEnded).empty());
  EXPECT_FALSE(MediumEmpty());
}

TEST_F(EraseFormatTest, PlatformRefusalsAreMapped) {
  struct Refusal {
    const Operation& operation;
    ObjectKind kind;
    const char* method;
    HRESULT platform;
    HRESULT host;
  };
  const Operation& erase = kOperations[0];
  const Operation& format = kOperations[1];
  const Refusal refusals[] = {
      {erase, ObjectKind::Storage, "Delete", WMDM_E_BUSY, IPP_S_BUSY},
      {erase, ObjectKind::Storage, "Delete", E_NOTIMPL, IPP_E_NOTSUPPORTED},
      // "File not found" is retried as a stale answer (the stale objects test); this one is not.
      {erase, ObjectKind::Storage, "Delete", HRESULT_FROM_WIN32(ERROR_NOT_FOUND), IPP_E_NOTFOUND},
      {format, ObjectKind::StorageGlobals, "Initialize", WMDM_E_BUSY, IPP_S_BUSY},
      {format, ObjectKind::StorageGlobals, "Initialize", E_NOTIMPL, IPP_E_NOTSUPPORTED},
      {format, ObjectKind::StorageGlobals, "Initialize", E_ACCESSDENIED, IPP_E_FAIL},
      {format, ObjectKind::Storage, "GetStorageGlobals", WMDM_E_NOTSUPPORTED, IPP_E_NOTSUPPORTED},
      // Success, and no globals to format with.
      {format, ObjectKind::Storage, "GetStorageGlobals", S_OK, IPP_E_FAIL},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(::testing::Message() << refusal.method << " 0x" << std::hex << refusal.platform);
    model_->Faults().Inject(refusal.kind, refusal.method, refusal.platform, 1, medium_);
    EXPECT_EQ(Run(refusal.operation), refusal.host);
  }
  EXPECT_FALSE(MediumEmpty());
  EXPECT_TRUE(EventsOf(HostEvent::kOperationEnded).empty());
}

// The medium's root is a folder: a player giving Win32 codes says "path not found".
TEST_F(EraseFormatTest, AStaleStorageIsRetriedExactlyOnce) {
  for (const StaleAnswer& stale : kStaleAnswers) {
    ASSERT_TRUE(stale.SetOn(*model_, device_));
    for (const Operation& operation : kOperations) {
      SCOPED_TRACE(std::string(operation.name) + ", " + stale.name);
      model_->Faults().ResetCalls();
      model_->Faults().InjectStale(operation.kind, operation.method, 2, medium_);
      EXPECT_EQ(Run(operation), MapResult(stale.folder));
      EXPECT_EQ(Attempts(operation), 2);
      EXPECT_FALSE(MediumEmpty());

      // The next call has its own retry.
      model_->Faults().ResetCalls();
      model_->Faults().InjectStale(operation.kind, operation.method, 1, medium_);
      callback_.ClearEvents();
      EXPECT_EQ(Run(operation), S_OK);
      EXPECT_EQ(Attempts(operation), 2);
      EXPECT_TRUE(MediumEmpty());
      EXPECT_EQ(EndedCookies(), (std::vector<DWORD>{0x51}));
      model_->AddFile(medium_, wmdm_standin::FileDescription{W("c.mp3"), 10});
    }
  }
}

}  // namespace
