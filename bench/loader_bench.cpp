// Linear time where hostile input is large: the registry's values and sibling
// keys, the player loader's tags and the manifest's devices. Each case runs
// size N and 10 N in one run and reports their ratio: about 10 when the cost
// grows linearly, about 100 when it grows with the square.
#include <benchmark/benchmark.h>

#include <objbase.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>

#include "host_sdk/ki_settings_store.h"
#include "host_support/class_object_registration.h"
#include "host_support/registry_tree.h"
#include "host_support/settings_store.h"
#include "model_json.h"
#include "settings/kc_portable_manifest.h"

namespace {

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Runs `work(n)` and `work(10 n)` each iteration and reports both times and their ratio.
void SideBySide(benchmark::State& state, size_t n, const std::function<void(size_t)>& work) {
  double small = 0, large = 0;
  for (auto _ : state) {
    small += Milliseconds([&] { work(n); });
    large += Milliseconds([&] { work(10 * n); });
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["n_ms"] = small / iterations;
  state.counters["10n_ms"] = large / iterations;
  state.counters["ratio"] = large / small;
}

WString ScratchPath() {
  std::random_device random;
  return W("Software\\MDPluginBench\\") + wide::FromUnsigned(random());
}

void BM_RegistryValuesUnderOneKey(benchmark::State& state) {
  SideBySide(state, 5000, [](size_t count) {
    const WString path = ScratchPath();
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    const DWORD one = 1;
    for (size_t i = 0; i < count; ++i)
      RegSetValueExW(key, (W("v") + wide::FromUnsigned(i)).c_str(), 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    DeleteRegistryTree(HKEY_CURRENT_USER, path);
  });
}
BENCHMARK(BM_RegistryValuesUnderOneKey)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_RegistrySiblingKeys(benchmark::State& state) {
  SideBySide(state, 5000, [](size_t count) {
    const WString path = ScratchPath();
    for (size_t i = 0; i < count; ++i) {
      HKEY key = nullptr;
      RegCreateKeyExW(HKEY_CURRENT_USER, (path + W("\\k") + wide::FromUnsigned(i)).c_str(), 0, nullptr,
                      REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
      RegCloseKey(key);
    }
    DeleteRegistryTree(HKEY_CURRENT_USER, path);
  });
}
BENCHMARK(BM_RegistrySiblingKeys)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PlayerLoaderTags(benchmark::State& state) {
  SideBySide(state, 10000, [](size_t count) {
    std::string text = R"({"players": [{"name": "P", "media": [{"name": "M", "totalSize": 1, "items": [{"file": "a.mp3", "tags": {)";
    for (size_t i = 0; i < count; ++i) text += (i ? ",\"T" : "\"T") + std::to_string(i) + "\": \"x\"";
    text += "}}]}]}]}";
    auto model = wmdm_standin::PlayerModel::Create();
    std::string error;
    benchmark::DoNotOptimize(wmdm_standin::LoadPlayers(*model, text, &error));
  });
}
BENCHMARK(BM_PlayerLoaderTags)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ManifestDevices(benchmark::State& state) {
  CoInitialize(nullptr);
  SideBySide(state, 2000, [](size_t count) {
    WString text = W("<Devices>");
    for (size_t i = 0; i < count; ++i)
      text += W("<Device VidPid=\"Vid_1%26Pid_") + wide::FromUnsigned(i) + W("\"><SupportsFolders>1</SupportsFolders></Device>");
    text += W("</Devices>");
    IUnknown* store = nullptr;
    HostSettingsStore::CreateForManifest(text, &store);
    {
      const ClassObjectRegistration registration(CLSID_kcSettingsStore, store);
      const kcPortableManifest manifest;
      benchmark::DoNotOptimize(manifest.Settings().size());
    }
    store->Release();
  });
  CoUninitialize();
}
BENCHMARK(BM_ManifestDevices)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
