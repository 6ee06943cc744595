#include <objbase.h>

#include "content/find_state.h"
#include "host_sdk/ipp_result_codes.h"
#include "testing/media_test_support.h"

namespace {

using wmdm_standin::ObjectKind;

constexpr DWORD kReady = WMDM_STATUS_READY;
constexpr DWORD kBusy = WMDM_STATUS_BUSY;
constexpr DWORD kAbsent = WMDM_STATUS_STORAGE_NOTPRESENT;

class MediaListingTest : public MediaHarness {};

TEST_F(MediaListingTest, ReadyOrBusyFirstThenOnlyExactlyReady) {
  const struct Row {
    int line;
    std::vector<DWORD> statuses;  // of media A, B, C, ... in the device's order
    const char* expected;         // the media handed out, in order
  } rows[] = {
      {__LINE__, {kReady, kReady, kReady}, "ABC"},
      {__LINE__, {kBusy, kReady, kBusy, kReady}, "ABD"},
      {__LINE__, {kAbsent, kBusy, kReady}, "BC"},
      {__LINE__, {kReady, kReady | kBusy, kReady}, "AC"},
      {__LINE__, {kReady | kBusy, kReady}, "AB"},
      {__LINE__, {kAbsent, kAbsent}, ""},
      {__LINE__, {0}, ""},
      {__LINE__, {}, ""},
  };
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    std::vector<wmdm_standin::MediumDescription> media;
    for (size_t i = 0; i < row.statuses.size(); ++i)
      media.push_back(Medium(WString(1, static_cast<WCHAR>('A' + i)), row.statuses[i]));
    const DWORD number = ListPlayerWith(media);
    const Walk walk = WalkMedia(number);
    std::vector<WString> expected;
    for (const char* name = row.expected; *name; ++name) expected.push_back(LocationOf(WString(1, *name)));
    EXPECT_EQ(walk.locations, expected);
    EXPECT_EQ(walk.first, expected.empty() ? S_FALSE : S_OK);
    if (!expected.empty()) {
      EXPECT_EQ(walk.end, S_FALSE);
    }
    model_->RemoveDevice(device_);
  }
}

TEST_F(MediaListingTest, LocationsLogLinesAndMissingArguments) {
  Start();
  const DWORD number = ListPlayerWith({Medium(W("Internal Memory")), Medium(W("Storage_Card"))});
  callback_.ClearEvents();
  EXPECT_EQ(WalkMedia(number).locations, (std::vector<WString>{W("WMDM10pocket|00231___internal|0020memory"),
                                                               W("WMDM10pocket|00231___storage|005fcard")}));
  EXPECT_EQ(callback_.LogLines(),
            (std::vector<WString>{W("WMDM10::FindFirstMedia called\n"), W("WMDM10::FindNextMedia called\n"),
                                  W("WMDM10::FindNextMedia called\n"), W("WMDM10::FindMediaClose called\n")}));

  callback_.ClearEvents();
  UniqueBstr location;
  IPPFINDHANDLE find = nullptr;
  EXPECT_EQ(plugin_.FindFirstMedia(number + 1, location.Put(), &find), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindFirstMedia(number, nullptr, &find), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindFirstMedia(number, location.Put(), nullptr), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindNextMedia(nullptr, location.Put()), IPP_E_FAIL);
  EXPECT_TRUE(callback_.LogLines().empty()) << "an argument was checked after the entry line";

  ASSERT_EQ(plugin_.FindFirstMedia(number, location.Put(), &find), S_OK);
  EXPECT_EQ(plugin_.FindNextMedia(find, nullptr), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindMediaClose(find), S_OK);
  EXPECT_EQ(plugin_.FindMediaClose(nullptr), S_OK);
  EXPECT_EQ(plugin_.FindItemClose(nullptr), S_OK);
  EXPECT_EQ(callback_.LogLines().back(), W("WMDM10::FindItemClose called\n"));
}

TEST_F(MediaListingTest, PlatformFailures) {
  const struct Row {
    int line;
    ObjectKind kind;
    const char* method;
    HRESULT fault;
    int medium;  // index into media_ the fault is aimed at; -1: every object of the kind
    HRESULT first;
    const char* expected;
  } rows[] = {
      {__LINE__, ObjectKind::Device, "EnumStorage", E_FAIL, -1, IPP_E_FAIL, ""},
      {__LINE__, ObjectKind::Device, "EnumStorage", static_cast<HRESULT>(0x80045000), -1, IPP_S_BUSY, ""},
      {__LINE__, ObjectKind::StorageEnumerator, "Next", static_cast<HRESULT>(0x80070490), -1, IPP_E_NOTFOUND, ""},
      // A storage whose status cannot be read is no medium.
      {__LINE__, ObjectKind::Storage, "GetStorageGlobals", E_FAIL, 0, S_OK, "B"},
      {__LINE__, ObjectKind::StorageGlobals, "GetStatus", E_FAIL, 0, S_OK, "B"},
      // A medium without a name cannot be named to the host: the walk ends.
      {__LINE__, ObjectKind::Storage, "GetName", E_OUTOFMEMORY, 0, IPP_E_FAIL, ""},
  };
  Start();
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    const DWORD number = ListPlayerWith({Medium(W("A")), Medium(W("B"))});
    model_->Faults().Inject(row.kind, row.method, row.fault, 1, row.medium < 0 ? 0 : media_[row.medium]);
    const Walk walk = WalkMedia(number);
    EXPECT_EQ(walk.first, row.first);
    if (*row.expected) {
      EXPECT_EQ(walk.locations, std::vector<WString>{LocationOf(WString(1, *row.expected))});
    }
    model_->Faults().ClearFaults();
    model_->RemoveDevice(device_);
  }
}

// The handle owns what an item listing put in it: closing it, through either
// slot, releases the device, the enumerator and every stored reference.
TEST_F(MediaListingTest, ClosingAHandleReleasesEverythingItHolds) {
  Start();
  const DWORD number = ListPlayerWith({Medium(W("A")), Medium(W("B")), Medium(W("C"))});
  for (bool itemClose : {false, true}) {
    SCOPED_TRACE(itemClose ? "FindItemClose" : "FindMediaClose");
    auto* state = new FindState;
    ScopedLock lock(plugin_.Lock());
    state->device = plugin_.GetDeviceInterface(static_cast<LONG>(number));
    ASSERT_EQ(state->device->EnumStorage(&state->enumerator), S_OK);
    auto** block = static_cast<IWMDMStorage**>(CoTaskMemAlloc(3 * sizeof(IWMDMStorage*)));
    ULONG fetched = 0;
    ASSERT_EQ(state->enumerator->Next(3, block, &fetched), S_OK);
    ASSERT_EQ(fetched, 3u);
    *state->items.PutItems() = block;  // a block may be larger than its count
    *state->items.PutCount() = 2;
    block[2]->Release();
    state->location.Reset(SysAllocString(W("somewhere")));
    if (itemClose)
      EXPECT_EQ(plugin_.FindItemClose(state->ToHandle()), S_OK);
    else
      EXPECT_EQ(plugin_.FindMediaClose(state->ToHandle()), S_OK);
  }
  // The harness fails the test when a stand-in object is left alive.
}

}  // namespace
