// The device inventory's Rebuild over a generated machine of 1,000 USB
// players that are disks (USB device, storage function, driver class entries,
// services' lists of started instances, mounted volumes), beside a bare walk
// of the same keys and values with the registry API in the same run. The
// inventory should cost at most twice the bare walk. The lookups are linear by
// design, so they are reported per record.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "detect/kc_device_inventory.h"

namespace {

constexpr int kDevices = 1000;

const WString kUsbClass = W("{36FC9E60-C465-11CF-8056-444553540000}");
const WString kDiskClass = W("{4D36E967-E325-11CE-BFC1-08002BE10318}");

WString Hex4(int value) { return wide::LowerAscii(wide::HexUpper(static_cast<unsigned>(value), 4)); }

HKEY Create(const WString& path) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}

void SetText(HKEY key, const WCHAR* name, const WString& text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

void SetMulti(HKEY key, const WCHAR* name, const std::vector<WString>& items) {
  WString data;
  for (const WString& item : items) data += item + WCHAR(0);
  data += WCHAR(0);
  RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                 static_cast<DWORD>(data.size() * sizeof(WCHAR)));
}

void SetNumber(HKEY key, const WCHAR* name, DWORD value) {
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void SetBinaryText(HKEY key, const WString& name, const WString& text) {
  RegSetValueExW(key, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(text.data()),
                 static_cast<DWORD>(text.size() * sizeof(WCHAR)));
}

// Device n: Vid_a5c0&Pid_<n>, serial A5C0<n>..., storage Disk&Ven_ACME&Prod_Model<n>.
struct Device {
  WString vidPid, serial, storageKey, parentIdPrefix, index;
};

Device MakeDevice(int n) {
  const WString number = Hex4(n);
  return Device{W("Vid_a5c0&Pid_") + number, W("A5C0") + number + W("00001234"),
                W("Disk&Ven_ACME&Prod_Model_") + number + W("&Rev_1.00"), W("7&") + number + W("b8e5c1&0"),
                wide::FromUnsigned(10000 + n).substr(1)};
}

void BuildMachine() {
  const WString ccs = W("System\\CurrentControlSet\\");
  HKEY disks = Create(ccs + W("Services\\disk\\Enum"));
  HKEY usbstor = Create(ccs + W("Services\\USBSTOR\\Enum"));
  HKEY mounted = Create(W("System\\MountedDevices"));
  for (int n = 0; n < kDevices; ++n) {
    const Device d = MakeDevice(n);
    HKEY usb = Create(ccs + W("Enum\\USB\\") + d.vidPid + W("\\") + d.serial);
    SetText(usb, W("DeviceDesc"), W("USB Mass Storage Device"));
    SetText(usb, W("LocationInformation"), W("ACME Model ") + d.index);
    SetNumber(usb, W("Capabilities"), 0x14);
    SetMulti(usb, W("HardwareID"), {W("USB\\") + d.vidPid + W("&Rev_0100"), W("USB\\") + d.vidPid});
    SetText(usb, W("Driver"), kUsbClass + W("\\") + d.index);
    SetText(usb, W("Mfg"), W("Compatible USB storage device"));
    SetText(usb, W("Service"), W("USBSTOR"));
    RegCloseKey(usb);
    HKEY storage = Create(ccs + W("Enum\\USBSTOR\\") + d.storageKey + W("\\") + d.serial + W("&0"));
    SetText(storage, W("DeviceDesc"), W("Disk drive"));
    SetNumber(storage, W("Capabilities"), 0x10);
    SetMulti(storage, W("HardwareID"), {W("USBSTOR\\DiskACME____Model_") + d.index, W("GenDisk")});
    SetText(storage, W("Service"), W("disk"));
    SetText(storage, W("ParentIdPrefix"), d.parentIdPrefix);
    SetText(storage, W("Driver"), kDiskClass + W("\\") + d.index);
    SetText(storage, W("Class"), W("DiskDrive"));
    SetText(storage, W("Mfg"), W("(Standard disk drives)"));
    SetText(storage, W("FriendlyName"), W("ACME Model ") + d.index + W(" USB Device"));
    RegCloseKey(storage);
    for (const WString& classId : {kUsbClass, kDiskClass}) {
      HKEY driver = Create(ccs + W("Control\\Class\\") + classId + W("\\") + d.index);
      SetText(driver, W("DriverDesc"), W("USB Mass Storage Device"));
      SetText(driver, W("ProviderName"), W("Microsoft"));
      SetText(driver, W("DriverDate"), W("7-1-2001"));
      SetText(driver, W("DriverVersion"), W("5.1.2600.5512"));
      RegCloseKey(driver);
    }
    const WString instance = wide::FromUnsigned(n);
    SetText(disks, instance.c_str(), W("USBSTOR\\") + d.storageKey + W("\\") + d.serial + W("&0"));
    SetText(usbstor, instance.c_str(), W("USB\\") + d.vidPid + W("\\") + d.serial);
    const WString volume =
        WString(W("\\??\\STORAGE#RemovableMedia#")) + d.parentIdPrefix + W("&RM#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}");
    SetBinaryText(mounted, W("\\??\\Volume{") + Hex4(n) + W("0000-0000-0000-0000-000000000000}"), volume);
    if (n < 23) SetBinaryText(mounted, WString(W("\\DosDevices\\")) + WCHAR(W('D') + n) + W(":"), volume);
  }
  SetNumber(disks, W("Count"), kDevices);
  SetNumber(usbstor, W("Count"), kDevices);
  RegCloseKey(disks);
  RegCloseKey(usbstor);
  RegCloseKey(mounted);
}

const kcDeviceInventory& Machine() {
  static kcDeviceInventory* inventory = [] {
    BuildMachine();
    auto* built = new kcDeviceInventory();
    built->Rebuild();
    return built;
  }();
  return *inventory;
}

// The registry work of a rebuild without the inventory: every key it opens,
// every value it reads, through the API and one buffer.
class BareWalk {
 public:
  size_t Run() {
    reads_ = 0;
    const WString ccs = W("System\\CurrentControlSet\\");
    Values(W("System\\MountedDevices"), std::vector<const WCHAR*>(), true);
    Tree(ccs + W("Enum\\USB"), {W("Capabilities"), W("DeviceDesc"), W("Driver"), W("HardwareID"),
                                 W("LocationInformation"), W("ParentIdPrefix"), W("Mfg"), W("Service")});
    Tree(ccs + W("Enum\\USBSTOR"), {W("Capabilities"), W("Class"), W("DeviceDesc"), W("FriendlyName"), W("Driver"),
                                     W("HardwareID"), W("Mfg"), W("ParentIdPrefix"), W("Service")});
    for (const WString& classId : {kUsbClass, kDiskClass})
      for (const WString& index : Subkeys(ccs + W("Control\\Class\\") + classId))
        Values(ccs + W("Control\\Class\\") + classId + W("\\") + index,
               std::vector<const WCHAR*>{W("DriverDesc"), W("NTMPDriver"), W("ProviderName"), W("DriverDate"),
                                         W("DriverVersion")},
               false);
    for (const WString& service : Subkeys(ccs + W("Services"))) {
      const WString path = ccs + W("Services\\") + service + W("\\Enum");
      std::vector<WString> names = {W("Count")};
      for (int n = 0; n < kDevices; ++n) names.push_back(wide::FromUnsigned(n));
      Values(path, names, false);
    }
    return reads_;
  }

 private:
  std::vector<WString> Subkeys(const WString& path) {
    std::vector<WString> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    WCHAR name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
  }

  void Tree(const WString& root, const std::vector<const WCHAR*>& names) {
    for (const WString& device : Subkeys(root))
      for (const WString& instance : Subkeys(root + W("\\") + device))
        Values(root + W("\\") + device + W("\\") + instance, names, false);
  }

  void Values(const WString& path, const std::vector<WString>& names, bool enumerate) {
    std::vector<const WCHAR*> pointers;
    for (const WString& name : names) pointers.push_back(name.c_str());
    Values(path, pointers, enumerate);
  }

  void Values(const WString& path, const std::vector<const WCHAR*>& names, bool enumerate) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (const WCHAR* name : names) Read(key, name);
    WCHAR name[256];
    for (DWORD i = 0; enumerate; ++i) {
      DWORD length = 256, size = sizeof(buffer_);
      if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, buffer_, &size) != ERROR_SUCCESS) break;
      Read(key, name);
    }
    RegCloseKey(key);
  }

  void Read(HKEY key, const WCHAR* name) {
    DWORD size = sizeof(buffer_);
    if (RegQueryValueExW(key, name, nullptr, nullptr, buffer_, &size) == ERROR_SUCCESS) ++reads_;
  }

  BYTE buffer_[4096];
  size_t reads_ = 0;
};

void BM_BareWalk(benchmark::State& state) {
  Machine();
  BareWalk walk;
  for (auto _ : state) benchmark::DoNotOptimize(walk.Run());
}
BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond);

void BM_Rebuild(benchmark::State& state) {
  Machine();
  kcDeviceInventory inventory;
  for (auto _ : state) {
    inventory.Clear();
    inventory.Rebuild();
    benchmark::DoNotOptimize(inventory.Records().size());
  }
  state.counters["records"] = static_cast<double>(inventory.Records().size());
}
BENCHMARK(BM_Rebuild)->Unit(benchmark::kMillisecond);

// Both in one run, alternating, with their ratio: the figure to keep under 2.
void BM_RebuildAgainstBareWalk(benchmark::State& state) {
  Machine();
  kcDeviceInventory inventory;
  BareWalk walk;
  using Clock = std::chrono::steady_clock;
  Clock::duration rebuild{}, bare{};
  for (auto _ : state) {
    const auto start = Clock::now();
    inventory.Clear();
    inventory.Rebuild();
    const auto middle = Clock::now();
    benchmark::DoNotOptimize(walk.Run());
    bare += Clock::now() - middle;
    rebuild += middle - start;
  }
  const double rebuildMs = std::chrono::duration<double, std::milli>(rebuild).count() / state.iterations();
  const double bareMs = std::chrono::duration<double, std::milli>(bare).count() / state.iterations();
  state.counters["rebuild_ms"] = rebuildMs;
  state.counters["bare_walk_ms"] = bareMs;
  state.counters["ratio"] = rebuildMs / bareMs;
}
BENCHMARK(BM_RebuildAgainstBareWalk)->Unit(benchmark::kMillisecond);

// The time a lookup spends per record it searches: lookups are linear in the
// records, so this is the figure that stays put as the inventory grows.
void ReportPerRecord(benchmark::State& state, size_t lookupsPerIteration, size_t records) {
  state.counters["time_per_record"] = benchmark::Counter(
      static_cast<double>(lookupsPerIteration * records),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A letter no record has: the search visits every record.
void BM_FindRecordByDriveLetter(benchmark::State& state) {
  const kcDeviceInventory& inventory = Machine();
  DeviceInventoryRecord record;
  for (auto _ : state) benchmark::DoNotOptimize(inventory.FindRecordByDriveLetter(W('B'), record));
  ReportPerRecord(state, 1, inventory.Records().size());
}
BENCHMARK(BM_FindRecordByDriveLetter);

// Each record's identity once.
void BM_FindRecordByName(benchmark::State& state) {
  const kcDeviceInventory& inventory = Machine();
  std::vector<WString> identities;
  for (const auto& record : inventory.Records())
    identities.push_back(W("\\\\?\\usb#") + wide::LowerAscii(record.vidPidText) + W("#") + record.instanceId +
                         W("#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"));
  DeviceInventoryRecord record;
  for (auto _ : state)
    for (const WString& identity : identities) benchmark::DoNotOptimize(inventory.FindRecordByName(identity, record, true));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(identities.size()));
  ReportPerRecord(state, identities.size(), inventory.Records().size());
}
BENCHMARK(BM_FindRecordByName)->Unit(benchmark::kMillisecond);

void BM_FindRecordByWords(benchmark::State& state) {
  const kcDeviceInventory& inventory = Machine();
  DeviceInventoryRecord record;
  for (auto _ : state) benchmark::DoNotOptimize(inventory.FindRecordByName(W("ACME Model 0999"), record, true));
  ReportPerRecord(state, 1, inventory.Records().size());
}
BENCHMARK(BM_FindRecordByWords);

void BM_DriveLetterForIdentity(benchmark::State& state) {
  const kcDeviceInventory& inventory = Machine();
  std::vector<WString> identities;
  for (const auto& record : inventory.Records())
    identities.push_back(W("\\\\?\\STORAGE#RemovableMedia#") + record.parentIdPrefix + W("&RM#{53f5630d}"));
  for (auto _ : state)
    for (const WString& identity : identities) benchmark::DoNotOptimize(inventory.DriveLetterForIdentity(identity));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(identities.size()));
  ReportPerRecord(state, identities.size(), inventory.MountedVolumes().size());
}
BENCHMARK(BM_DriveLetterForIdentity)->Unit(benchmark::kMillisecond);

}  // namespace
