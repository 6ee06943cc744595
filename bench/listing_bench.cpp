// Listing a 10,000-item folder through the host's slots (FindFirstItem, then
// FindNextItem to the end) beside a bare enumeration of the same storages
// through WMDM in the same run (EnumStorage, Next one at a time, each child's
// name and attributes). Both report their time and WMDM calls per item; the
// listing should stay within twice the bare enumeration and make a constant
// number of calls per item.
#include <benchmark/benchmark.h>

#include <objbase.h>

#include <chrono>
#include <memory>

#include "content/kc_ipp_item.h"
#include "content/locations.h"
#include "core/kc_wmdm10_plugin.h"
#include "player_model.h"
#include "registration.h"
#include "storage_children.h"

namespace {

using wmdm_standin::ObjectKind;

constexpr size_t kItems = 10000;
const WString kCanonical = W("\\\\?\\usb#vid_0b70#pid_0101#listing");

// A player whose \Music holds `files` MP3 files, with the plug-in initialised
// over it and its device list read, as a host leaves it.
class Player {
 public:
  explicit Player(size_t files) {
    CoInitialize(nullptr);
    wmdm_standin::DeviceDescription device;
    device.name = W("Bench");
    device.canonicalName = kCanonical;
    device.formatsSupported = std::vector<DWORD>{0x3009, 0xBA05};
    const auto id = model_->AddDevice(device, wmdm_standin::PlayerModel::Presence::Detached);
    wmdm_standin::MediumDescription medium;
    medium.name = W("Internal Memory");
    medium.totalSize = 1ull << 40;
    const auto music = model_->AddFolder(model_->AddMedium(id, medium), W("Music"));
    for (size_t i = 0; i < files; ++i) {
      wmdm_standin::FileDescription file;
      file.name = W("track") + wide::FromUnsigned(i) + W(".mp3");
      file.size = 4000000;
      file.format.nAvgBytesPerSec = 16000;
      model_->AddFile(music, file);
    }
    model_->ConnectDevice(id);
    registration_.Register(model_);
    plugin_.Initialize(W("C:\\Library"), W(""));
    plugin_.UnregisterNotifications();
    DWORD number = 0;
    IPPFINDHANDLE find = nullptr;
    if (plugin_.FindFirstDevice(&number, &find) == S_OK) plugin_.FindDeviceClose(find);
  }
  ~Player() {
    plugin_.Shutdown();
    registration_.Revoke();
    CoUninitialize();
  }

  // The items one host listing of \Music hands out. Kept out of line, as is
  // the bare enumeration, so that a profiler can count each on its own
  // (valgrind --tool=callgrind --toggle-collect='*ListThroughPlugin*').
  __attribute__((noinline)) size_t ListThroughPlugin() {
    kcIPPItem item;
    IPPFINDHANDLE find = nullptr;
    size_t count = 0;
    HRESULT hr = plugin_.FindFirstItem(location_.c_str(), W("\\Music"), &item, &find);
    while (hr == S_OK) {
      ++count;
      hr = plugin_.FindNextItem(find, &item);
    }
    plugin_.FindItemClose(find);
    return count;
  }

  // The same storages read straight from WMDM.
  __attribute__((noinline)) size_t ListDirectly() {
    StorageNode* folder = plugin_.ResolveStorage(location_, W("\\Music"), 0);
    if (!folder) return 0;
    return CountChildren(folder->storage.Get(), [](ComPtr<IWMDMStorage>& child) {
      WCHAR name[260] = {};
      DWORD attributes = 0;
      child->GetName(name, 259);
      child->GetAttributes(&attributes, nullptr);
      return true;
    });
  }

  void ClearNodeCache() { plugin_.ClearNodeCache(); }

  int WmdmCalls() {
    auto& faults = model_->Faults();
    int total = 0;
    for (const char* method : {"GetStorage", "EnumStorage"}) total += faults.Calls(ObjectKind::Device, method);
    for (const char* method : {"GetStorage", "EnumStorage", "GetSize", "GetName", "GetParent", "GetAttributes",
                               "GetMetadata", "SetEnumPreference", "GetReferences", "GetRights"})
      total += faults.Calls(ObjectKind::Storage, method);
    total += faults.Calls(ObjectKind::StorageEnumerator, "Next");
    for (const char* method : {"QueryByIndex", "QueryByName", "GetItemCount"})
      total += faults.Calls(ObjectKind::MetaData, method);
    return total;
  }
  void ResetCalls() { model_->Faults().ResetCalls(); }

 private:
  std::shared_ptr<wmdm_standin::PlayerModel> model_ = wmdm_standin::PlayerModel::Create();
  wmdm_standin::DeviceManagerRegistration registration_;
  kcWMDM10Plugin plugin_;
  const WString location_ = locations::ComposeMediaLocation(kCanonical, W("Internal Memory"));
};

enum class Way { Plugin, Direct };

// Each iteration starts from an empty node cache, so the plug-in's listing
// makes every child's node, as the first listing after a connection does.
void BM_ListFolder(benchmark::State& state) {
  const auto files = static_cast<size_t>(state.range(0));
  const auto way = static_cast<Way>(state.range(1));
  Player player(files);
  double seconds = 0;
  long long calls = 0;
  for (auto _ : state) {
    player.ClearNodeCache();
    player.ResetCalls();
    const auto start = std::chrono::steady_clock::now();
    const size_t listed = way == Way::Plugin ? player.ListThroughPlugin() : player.ListDirectly();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    calls += player.WmdmCalls();
    if (listed != files) state.SkipWithError("the listing missed items");
  }
  const double items = static_cast<double>(state.iterations()) * static_cast<double>(files);
  state.counters["us_per_item"] = seconds * 1e6 / items;
  state.counters["wmdm_calls_per_item"] = static_cast<double>(calls) / items;
}
BENCHMARK(BM_ListFolder)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->ArgNames({"items", "plugin0_direct1"})
    ->Args({1000, static_cast<int>(Way::Plugin)})
    ->Args({1000, static_cast<int>(Way::Direct)})
    ->Args({kItems, static_cast<int>(Way::Plugin)})
    ->Args({kItems, static_cast<int>(Way::Direct)});

}  // namespace
