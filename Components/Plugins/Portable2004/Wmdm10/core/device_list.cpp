// Listing the devices, rescanning, and the arrivals and removals the
// notification worker reports.
#include <new>

#include <result_macros.h>

#include "base/enumerator_next.h"
#include "core/device_identity.h"
#include "core/device_list.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// Storages are not to be presented as devices of their own.
constexpr DWORD kDoNotVirtualizeStoragesAsDevices = 1;

// One device per call, as the platform's enumerators are read. Null at the
// end; `failure` receives a failing result.
ComPtr<IWMDMDevice> NextDevice(IWMDMEnumDevice* enumerator, HRESULT* failure) {
  ComPtr<IWMDMDevice> device;
  const HRESULT hr = NextOfEnumerator(enumerator, device);
  if (FAILED(hr)) *failure = hr;
  return device;
}

}  // namespace

HRESULT DeviceList::OpenDeviceEnumerator(IWMDMEnumDevice** enumerator) {
  ComPtr<IWMDeviceManager3> manager3;
  if (SUCCEEDED(deviceManager_.As(&manager3))) manager3->SetDeviceEnumPreference(kDoNotVirtualizeStoragesAsDevices);
  ComPtr<IWMDeviceManager2> manager2;
  RETURN_IF_FAILED(deviceManager_.As(&manager2));
  RETURN_IF_FAILED(manager2->EnumDevices2(enumerator));
  return *enumerator ? S_OK : E_FAIL;
}

DWORD DeviceList::AppendDevice(IWMDMDevice* device, const DeviceInventoryRecord& inventory) {
  std::unique_ptr<DeviceRecord> record(new (std::nothrow) DeviceRecord);
  if (!record) return 0;
  const DWORD number = static_cast<DWORD>(deviceList_.size() + 1);
  FillDeviceRecord(record.get(), device, number, inventory, SettingsFor(inventory));
  deviceList_.push_back(std::move(record));
  return number;
}

DWORD DeviceList::ListNextDevice(IWMDMEnumDevice* enumerator, bool skipListed, HRESULT* end) {
  *end = S_FALSE;
  while (ComPtr<IWMDMDevice> device = NextDevice(enumerator, end)) {
    if (skipListed && FindRecordByDevice(device.Get())) continue;
    DeviceInventoryRecord inventory;
    if (!AcceptDevice(device.Get(), &inventory)) continue;
    if (const DWORD number = AppendDevice(device.Get(), inventory)) return number;
  }
  return 0;
}

HRESULT DeviceList::ListFirst(DWORD* deviceNumber, IPPFINDHANDLE* find) {
  ClearDeviceList();
  ComPtr<IWMDMEnumDevice> enumerator;
  RETURN_IF_FAILED(OpenDeviceEnumerator(&enumerator));
  HRESULT end = S_FALSE;
  const DWORD number = ListNextDevice(enumerator.Get(), /*skipListed=*/false, &end);
  if (!number) return end;
  *deviceNumber = number;
  *find = enumerator.Detach();  // the host owns the enumerator until it closes the handle
  return S_OK;
}

HRESULT DeviceList::ListNext(IWMDMEnumDevice* enumerator, DWORD* deviceNumber) {
  HRESULT end = S_FALSE;
  const DWORD number = ListNextDevice(enumerator, /*skipListed=*/true, &end);
  if (!number) return end;
  *deviceNumber = number;
  return S_OK;
}

HRESULT DeviceList::Rescan() {
  // Whatever the rescan meets, the host hears success.
  ComPtr<IWMDMEnumDevice> enumerator;
  if (FAILED(OpenDeviceEnumerator(&enumerator))) return S_OK;
  for (auto& record : deviceList_) record->seen = false;
  HRESULT failure = S_OK;
  while (ComPtr<IWMDMDevice> device = NextDevice(enumerator.Get(), &failure)) {
    DeviceInventoryRecord inventory;
    if (!AcceptDevice(device.Get(), &inventory)) continue;
    if (DeviceRecord* known = FindRecordByDevice(device.Get())) {
      known->seen = true;
      continue;
    }
    AppendArrival(device);
  }
  if (FAILED(failure)) return S_OK;
  for (size_t i = 0; i < deviceList_.size(); ++i)
    if (!deviceList_[i]->gone && !deviceList_[i]->seen) MarkGone(static_cast<DWORD>(i + 1));
  return S_OK;
}

void DeviceList::AppendArrival(const ComPtr<IWMDMDevice>& device) {
  RebuildInventory();
  std::unique_ptr<DeviceRecord> record(new (std::nothrow) DeviceRecord);
  if (!record) return;
  GetDeviceIdentity(device.Get(), &record->identity);
  record->detailsPending = true;
  record->device = device;
  record->seen = true;  // present now: not to be taken for gone below
  deviceList_.push_back(std::move(record));
  news_.push_back({static_cast<DWORD>(deviceList_.size()), true});
}

void DeviceList::MarkGone(DWORD deviceNumber) {
  deviceList_[deviceNumber - 1]->gone = true;
  DropResolved();
  news_.push_back({deviceNumber, false});
}

void DeviceList::OnDeviceChange(const WString& identity, const WString& name, const WString& manufacturer,
                                bool arrived) {
  if (arrived) RebuildInventory();
  const DWORD number = FindDeviceNumberByIdentity(identity);
  if (number) {
    // A media arrival comes without the arrived flag: like a departure.
    if (!arrived) MarkGone(number);
    return;
  }
  if (!arrived) return;
  std::unique_ptr<DeviceRecord> record(new (std::nothrow) DeviceRecord);
  if (!record) return;
  record->identity = identity;
  record->detailsPending = true;
  DeviceInventoryRecord inventory;
  if (!MatchAndFilter(identity, name, manufacturer, &inventory)) return;
  deviceList_.push_back(std::move(record));
  news_.push_back({static_cast<DWORD>(deviceList_.size()), true});
}

bool DeviceList::ClaimNews() {
  if (newsThread_ != 0 || news_.empty()) return false;
  newsThread_ = GetCurrentThreadId();
  return true;
}

bool DeviceList::NextNews(DeviceNews* news) {
  if (news_.empty()) {
    newsThread_ = 0;
    return false;
  }
  *news = news_.front();
  news_.pop_front();
  return true;
}

void DeviceList::Restart() {
  deviceManager_.Reset();
  RebuildInventory();
  skipFilter_.reset(new (std::nothrow) kcVidPidFilter());
  // The numbers handed out stay valid until the next listing, and their
  // records answer from the settings they were filled with.
  if (manifest_ && !deviceList_.empty()) earlierManifests_.push_back(std::move(manifest_));
  manifest_.reset(new (std::nothrow) kcPortableManifest());
}

void DeviceList::DropSettings() {
  skipFilter_.reset();
  manifest_.reset();
  earlierManifests_.clear();
}

void DeviceList::RebuildInventory() {
  inventory_.Clear();
  inventory_.Rebuild();
}
