// The host compiles its own copy of the interfaces, so each operation must
// answer at the slot number the host's table gives it, whatever this
// header's order says. Every slot of the plug-in and of the host callback is
// called through the raw table by number and recognised by what only that
// operation does: its log line, a value it alone sets or answers.
#include <unique_bstr.h>

#include "content/kc_ipp_item.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_support/host_item_id_list.h"
#include "testing/resolver_test_player.h"

namespace resolver_testing {
namespace {

void* SlotAt(void* object, int index) { return (*reinterpret_cast<void***>(object))[index]; }

// Calls slot `index` as the host does: the object first, then the arguments.
template <typename Result = HRESULT, typename... Args>
Result Call(kiMusicDevicePlugin2004* plugin, int index, Args... args) {
  using Slot = Result (*)(kiMusicDevicePlugin2004*, Args...);
  return reinterpret_cast<Slot>(SlotAt(plugin, index))(plugin, args...);
}

using SlotOrderTest = ResolverPlayerTest;

TEST_F(SlotOrderTest, EachPluginSlotAnswersAtItsNumber) {
  kiMusicDevicePlugin2004* host = &plugin_;
  const WString at = Internal();
  const WCHAR* loc = at.c_str();
  HostItemIdList entries({W("\\Music\\Mix.pla|\\Music\\b.mp3")});
  kcIPPItem item;
  IPPFINDHANDLE devices = nullptr, media = nullptr, items = nullptr;
  DWORD number = 0, outcome = 0;
  UniqueBstr text;
  // Slots that log: the first line the call writes starts with the text.
  const struct {
    int slot;
    const char* line;
    std::function<void()> call;
  } logged[] = {
      {8, "WMDM10::FindFirstDevice called", [&] { Call(host, 8, &number, &devices); }},
      {9, "WMDM10::FindNextDevice called", [&] { Call(host, 9, devices, &number); }},
      {10, "WMDM10::FindDeviceClose called", [&] { Call(host, 10, devices); }},
      {11, "WMDM10::ReScanDevices called", [&] { Call(host, 11); }},
      {12, "WMDM10::GetDevicePropertyBool called",
       [&] {
         BOOL flag = FALSE;
         Call(host, 12, DWORD(1), W("DevIsRenamable"), &flag);
       }},
      {13, "WMDM10::GetDevicePropertyLong called",
       [&] {
         LONG count = 0;
         Call(host, 13, DWORD(1), W("DevMediaCount"), &count);
       }},
      {14, "WMDM10::GetDevicePropertyString called", [&] { Call(host, 14, DWORD(1), W("DevProductName"), text.Put()); }},
      {15, "WMDM10::GetDevicePropertyIcon called",
       [&] {
         ULONG icon = 0;
         Call(host, 15, DWORD(1), DWORD(0), &icon);
       }},
      {19, "WMDM10::GetSupportedBitrates called",
       [&] {
         SAFEARRAY* rates = nullptr;
         BOOL every = FALSE;
         Call(host, 19, DWORD(1), W("mp3"), &rates, &every);
         if (rates) SafeArrayDestroy(rates);
       }},
      {30, "WMDM10::FindFirstMedia called", [&] { Call(host, 30, DWORD(1), text.Put(), &media); }},
      {31, "WMDM10::FindNextMedia called", [&] { Call(host, 31, media, text.Put()); }},
      {32, "WMDM10::FindMediaClose called", [&] { Call(host, 32, media); }},
      {36, "WMDM10::GetMediaPropertyBool called",
       [&] {
         BOOL flag = FALSE;
         Call(host, 36, loc, W("MediaIsReadOnly"), &flag);
       }},
      {37, "WMDM10::GetMediaPropertyLong called",
       [&] {
         LONG value = 0;
         Call(host, 37, loc, W("MediaSpaceTotalLo"), &value);
       }},
      {38, "WMDM10::GetMediaPropertyString called", [&] { Call(host, 38, loc, W("MediaDisplayName"), text.Put()); }},
      {42, "WMDM10::FindFirstItem called", [&] { Call(host, 42, loc, W("\\Music"), &item, &items); }},
      {43, "WMDM10::FindNextItem called", [&] { Call(host, 43, items, &item); }},
      {44, "WMDM10::FindItemClose called", [&] { Call(host, 44, items); }},
      {45, "WMDM10::GetItemInformation called", [&] { Call(host, 45, loc, W("\\Music\\a.mp3"), &item); }},
      {26, "WMDM10::CreateFolder called", [&] { Call(host, 26, loc, W("\\"), W("Made"), text.Put()); }},
      {24, "WMDM10::CreatePlaylist called", [&] { Call(host, 24, loc, W("\\"), W("Made.pla"), text.Put()); }},
      {25, "WMDM10::UpdatePlaylist called",
       [&] { Call(host, 25, loc, W("\\Music\\Mix.pla"), static_cast<kiItemIdList*>(&entries)); }},
      {23, "kcWMDM10Plugin::RenameItem called", [&] { Call(host, 23, loc, W("\\Music\\b.mp3"), W("c.mp3")); }},
      {27, "WMDM10::DownloadFile called",
       [&] {
         Call(host, 27, loc, W("\\Music"), W("no such source.mp3"), static_cast<kiIPPItem*>(&item), DWORD(2),
              DWORD(1), &outcome);
       }},
      {29, "WMDM10::DeleteItem called", [&] { Call(host, 29, loc, W("\\Music\\a.mp3")); }},
      {33, "WMDM10::Erase called", [&] { Call(host, 33, loc, DWORD(1)); }},
      {34, "WMDM10::Format called", [&] { Call(host, 34, loc, DWORD(1)); }},
  };
  for (const auto& row : logged) {
    SCOPED_TRACE(testing::Message() << "slot " << row.slot);
    callback_.ClearEvents();
    row.call();
    const std::vector<WString> lines = callback_.LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(wide::ToUtf8(lines.front()).rfind(row.line, 0), 0u) << wide::ToUtf8(lines.front());
  }

  // Slots with fixed answers, each recognised by what it alone answers or sets.
  EXPECT_EQ(UniqueBstr::Adopt(Call<BSTR>(host, 4)).ToString(), W("WMDM10 Plugin"));
  kcIPPEnvironmentCheckResults results;
  results.status_ = 7;
  EXPECT_EQ(Call(host, 2, static_cast<kiIPPEnvironmentCheckResults*>(&results)), S_OK);
  EXPECT_EQ(results.status_, 0);
  DWORD version = 0xAAAA;
  EXPECT_EQ(Call(host, 3, static_cast<DWORD*>(nullptr), &version), IPP_E_FAIL);
  EXPECT_EQ(Call(host, 6, DWORD(0x2004)), S_OK);
  EXPECT_EQ(plugin_.HostContext(), 0x2004u);
  EXPECT_EQ(Call(host, 7, DWORD(0), DWORD(0), DWORD(0)), S_FALSE);
  for (int slot : {21, 22}) EXPECT_EQ(Call(host, slot, DWORD(0)), S_OK) << "slot " << slot;
  for (int slot : {16, 17, 18, 28, 39, 40, 41, 47})
    EXPECT_EQ(Call(host, slot, DWORD(0), DWORD(0), DWORD(0)), E_NOTIMPL) << "slot " << slot;
  for (int slot : {35, 46, 48}) EXPECT_EQ(Call(host, slot, DWORD(0), DWORD(0)), E_NOTIMPL) << "slot " << slot;
  EXPECT_EQ(Call(host, 20, DWORD(0), DWORD(0), DWORD(0), DWORD(0), DWORD(0)), E_NOTIMPL);
  EXPECT_EQ(Call(host, 5, static_cast<kiPluginHostCallback*>(nullptr)), S_OK);
  EXPECT_EQ(plugin_.HostCallback(), nullptr);
  EXPECT_EQ(Call(host, 5, static_cast<kiPluginHostCallback*>(&callback_)), S_OK);
  EXPECT_EQ(plugin_.HostCallback(), &callback_);

  // Shutdown empties the device list; Initialize forgets the host's callback.
  EXPECT_EQ(Call(host, 1), S_OK);
  EXPECT_EQ(plugin_.DeviceListSize(), 0u);
  EXPECT_EQ(Call(host, 0, W(""), W("")), S_OK);
  EXPECT_EQ(plugin_.HostCallback(), nullptr);
  EXPECT_TRUE(plugin_.IsRegisteredForNotifications());
}

// The callback's slots, called by number on an object that records which
// operation answered.
class RecordingCallback final : public kiPluginHostCallback {
 public:
  HRESULT DeviceRemoved(kiMusicDevicePlugin2004*, DWORD) override { return Note("DeviceRemoved"); }
  HRESULT DeviceArrived(kiMusicDevicePlugin2004*, DWORD) override { return Note("DeviceArrived"); }
  HRESULT OperationEnded(DWORD, DWORD) override { return Note("OperationEnded"); }
  HRESULT Unused3() override { return Note("Unused3"); }
  HRESULT LogLine(const WCHAR*) override { return Note("LogLine"); }
  HRESULT ContentRemoved(kiMusicDevicePlugin2004*, DWORD, const WCHAR*, SAFEARRAY**, SAFEARRAY**) override {
    return Note("ContentRemoved");
  }
  HRESULT ContentAdded(kiMusicDevicePlugin2004*, DWORD, const WCHAR*, SAFEARRAY**, SAFEARRAY**, kiIPPItem*) override {
    return Note("ContentAdded");
  }
  HRESULT PlaylistChanged(kiMusicDevicePlugin2004*, DWORD, const WCHAR*, SAFEARRAY**, SAFEARRAY**, SAFEARRAY**,
                          kiIPPItem*) override {
    return Note("PlaylistChanged");
  }
  std::string last;

 private:
  HRESULT Note(const char* name) {
    last = name;
    return S_OK;
  }
};

TEST(CallbackSlotOrderTest, EachCallbackSlotAnswersAtItsNumber) {
  const char* const expected[] = {"DeviceRemoved", "DeviceArrived",  "OperationEnded", "Unused3",
                                  "LogLine",       "ContentRemoved", "ContentAdded",   "PlaylistChanged"};
  RecordingCallback callback;
  // Every argument is passed as zero; the recording methods read none.
  using Slot = HRESULT (*)(kiPluginHostCallback*, void*, void*, void*, void*, void*, void*, void*);
  for (int slot = 0; slot < 8; ++slot) {
    callback.last.clear();
    reinterpret_cast<Slot>(SlotAt(&callback, slot))(&callback, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                     nullptr);
    EXPECT_EQ(callback.last, expected[slot]) << "slot " << slot;
  }
}

}  // namespace
}  // namespace resolver_testing
