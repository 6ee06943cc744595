// What a resolution costs against the stand-in's players: a key already in
// the node cache, and the children of one folder resolved one after another
// (a listing, a transfer). Each reports its time and the WMDM calls it made
// per resolution.
#include <benchmark/benchmark.h>

#include <objbase.h>

#include <chrono>
#include <memory>
#include <vector>

#include <result_macros.h>

#include "content/locations.h"
#include "plugin/kc_wmdm10_plugin.h"
#include "player_model.h"
#include "registration.h"

namespace {

using wmdm_standin::ObjectKind;

constexpr size_t kSiblings = 10000;  // the largest folder resolved
const WString kCanonical = W("\\\\?\\usb#vid_0b70#pid_0101#bench");

// A player whose \Music holds `files` files (or as many folders), with the
// plug-in initialised over it and its device list read, as a host leaves it.
class Player {
 public:
  explicit Player(size_t files = kSiblings, bool folders = false) {
    CoInitialize(nullptr);
    wmdm_standin::DeviceDescription device;
    device.name = W("Bench");
    device.canonicalName = kCanonical;
    const auto id = model_->AddDevice(device, wmdm_standin::PlayerModel::Presence::Detached);
    wmdm_standin::MediumDescription medium;
    medium.name = W("Internal Memory");
    medium.totalSize = 1ull << 40;
    const auto music = model_->AddFolder(model_->AddMedium(id, medium), W("Music"));
    for (size_t i = 0; i < files; ++i) {
      if (folders) {
        model_->AddFolder(music, FileName(i));
        continue;
      }
      wmdm_standin::FileDescription file;
      file.name = FileName(i);
      file.size = 4000000;
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

  static WString FileName(size_t i) { return W("track") + wide::FromUnsigned(i) + W(".mp3"); }
  static WString PathOf(size_t i) { return W("\\Music\\") + FileName(i); }

  NodeRef Resolve(const WString& path) { return plugin_.Resolver().ResolveStorage(location_, path, 0); }

  // \Music, reached through the stand-in's own interfaces.
  HRESULT Music(IWMDMStorage2** music) {
    ComPtr<IWMDeviceManager2> manager;
    RETURN_IF_FAILED(CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager2,
                                      manager.AsVoidOut()));
    ComPtr<IWMDMDevice> device;
    RETURN_IF_FAILED(manager->GetDeviceFromCanonicalName(kCanonical.c_str(), &device));
    ComPtr<IWMDMDevice2> device2;
    RETURN_IF_FAILED(device.As(&device2));
    ComPtr<IWMDMStorage> storage;
    RETURN_IF_FAILED(device2->GetStorage(W("Music"), &storage));
    return storage->QueryInterface(IID_IWMDMStorage2, reinterpret_cast<void**>(music));
  }
  void ClearNodeCache() { plugin_.Resolver().ClearNodeCache(); }

  // Every WMDM call a resolution can make.
  int WmdmCalls() {
    auto& faults = model_->Faults();
    int total = faults.Calls(ObjectKind::Device, "GetStorage") + faults.Calls(ObjectKind::Device, "EnumStorage") +
                faults.Calls(ObjectKind::StorageEnumerator, "Next");
    for (const char* method : {"GetStorage", "EnumStorage", "GetSize", "GetAttributes", "GetName", "GetParent"})
      total += faults.Calls(ObjectKind::Storage, method);
    return total;
  }
  int ChildLookups() { return model_->Faults().Calls(ObjectKind::Storage, "GetStorage"); }
  void ResetCalls() { model_->Faults().ResetCalls(); }

 private:
  std::shared_ptr<wmdm_standin::PlayerModel> model_ = wmdm_standin::PlayerModel::Create();
  wmdm_standin::DeviceManagerRegistration registration_;
  kcWMDM10Plugin plugin_;
  const WString location_ = locations::ComposeMediaLocation(kCanonical, W("Internal Memory"));
};

void BM_ResolveCachedKey(benchmark::State& state) {
  Player player;
  const WString path = Player::PathOf(42);
  if (!player.Resolve(path)) state.SkipWithError("the key does not resolve");
  player.ResetCalls();
  for (auto _ : state) benchmark::DoNotOptimize(player.Resolve(path));
  state.counters["wmdm_calls_per_resolution"] =
      static_cast<double>(player.WmdmCalls()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ResolveCachedKey);

// Each iteration starts from an empty node cache: the first file costs a walk
// from the medium, every later one a lookup in \Music. The argument is the
// number of files; the stand-in finds a name through its folder's index, so
// what still grows with the folder is the plug-in's share (compare
// BM_StandInChildByName, the stand-in alone).
void ResolveSiblings(benchmark::State& state, bool folders) {
  const auto files = static_cast<size_t>(state.range(0));
  Player player(files, folders);
  std::vector<WString> paths;
  for (size_t i = 0; i < files; ++i) paths.push_back(Player::PathOf(i));
  double seconds = 0;
  long long calls = 0, lookups = 0;
  for (auto _ : state) {
    player.ClearNodeCache();
    if (!player.Resolve(paths[0])) state.SkipWithError("the first file does not resolve");
    player.ResetCalls();
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 1; i < paths.size(); ++i) benchmark::DoNotOptimize(player.Resolve(paths[i]));
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    calls += player.WmdmCalls();
    lookups += player.ChildLookups();
  }
  const double resolutions = static_cast<double>(state.iterations()) * static_cast<double>(files - 1);
  state.counters["us_per_resolution"] = seconds * 1e6 / resolutions;
  state.counters["wmdm_calls_per_resolution"] = static_cast<double>(calls) / resolutions;
  state.counters["child_lookups_per_resolution"] = static_cast<double>(lookups) / resolutions;
}
void BM_ResolveSiblings(benchmark::State& state) { ResolveSiblings(state, false); }
BENCHMARK(BM_ResolveSiblings)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(1000)->Arg(kSiblings)->Arg(100000);

// The same with folders, which have no size of their own to vouch for them.
void BM_ResolveSiblingFolders(benchmark::State& state) { ResolveSiblings(state, true); }
BENCHMARK(BM_ResolveSiblingFolders)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(1000)->Arg(kSiblings)->Arg(100000);

// The stand-in's share of a resolution: \Music's GetStorage for each of its
// files, straight through WMDM, with no plug-in in between.
void BM_StandInChildByName(benchmark::State& state) {
  const auto files = static_cast<size_t>(state.range(0));
  Player player(files);
  ComPtr<IWMDMStorage2> music;
  if (FAILED(player.Music(&music))) state.SkipWithError("no \\Music");
  size_t i = 0;
  for (auto _ : state) {
    ComPtr<IWMDMStorage> child;
    if (music->GetStorage(Player::FileName(i++ % files).c_str(), &child) != S_OK) state.SkipWithError("not found");
  }
}
BENCHMARK(BM_StandInChildByName)->Arg(1000)->Arg(kSiblings)->Arg(100000);

}  // namespace
