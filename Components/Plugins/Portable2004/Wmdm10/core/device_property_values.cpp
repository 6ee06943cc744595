// What each device property name answers, worked out from WMDM, the device
// settings and the registry inventory.
#include "base/device_text.h"
#include "base/enumerator_next.h"
#include "core/device_list.h"
#include "core/escape_name.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// The names that all ask one thing: whether the device's first storage has
// metadata to offer.
const WCHAR* const kMetadataFieldNames[] = {
    W("DeviceSupportsMetadataFieldAlbum"),    W("DeviceSupportsMetadataFieldArtist"),
    W("DeviceSupportsMetadataFieldBitrate"),  W("DeviceSupportsMetadataFieldFileSize"),
    W("DeviceSupportsMetadataFieldGenre"),    W("DeviceSupportsMetadataFieldTrackName"),
    W("DeviceSupportsMetadataFieldRanking"),
};

bool FirstStorageOffersMetadata(IWMDMDevice* device) {
  if (!device) return false;
  ComPtr<IWMDMEnumStorage> storages;
  if (FAILED(device->EnumStorage(&storages)) || !storages) return false;
  ComPtr<IWMDMStorage> storage;
  if (NextOfEnumerator(storages.Get(), storage) != S_OK) return false;
  ComPtr<IWMDMStorage3> storage3;
  if (FAILED(storage.As(&storage3))) return false;
  ComPtr<IWMDMMetaData> metadata;
  return SUCCEEDED(storage3->GetMetadata(&metadata)) && metadata;
}

// Media that are ready or busy; the enumerator's failure is the result.
HRESULT CountMedia(IWMDMDevice* device, LONG* count) {
  *count = 0;
  if (!device) return S_OK;
  ComPtr<IWMDMEnumStorage> storages;
  const HRESULT hr = device->EnumStorage(&storages);
  if (FAILED(hr)) return hr;
  if (!storages) return S_OK;
  for (;;) {
    ComPtr<IWMDMStorage> storage;
    if (NextOfEnumerator(storages.Get(), storage) != S_OK) break;
    ComPtr<IWMDMStorageGlobals> globals;
    DWORD status = 0;
    if (SUCCEEDED(storage->GetStorageGlobals(&globals)) && globals && SUCCEEDED(globals->GetStatus(&status)) &&
        (status & (WMDM_STATUS_READY | WMDM_STATUS_BUSY)))
      ++*count;
  }
  return S_OK;
}

WString ProductName(const DeviceRecord& record, IWMDMDevice* device) {
  if (record.settings && !record.settings->FriendlyDisplayName.empty()) return record.settings->FriendlyDisplayName;
  WString name;
  if (device) ReadDeviceName(device, &name);
  return name;
}

}  // namespace

bool DeviceList::ComputeBoolProperty(DeviceRecord& record, const WString& name, bool* value) {
  ComPtr<IWMDMDevice> device = record.device;
  if (name == W("DevCanBeCopySource") || name == W("DevIsRenamable")) {
    *value = false;
    return true;
  }
  if (name == W("DevSupportsPlaylists")) {
    if (record.settings && record.settings->SupportsPlaylists != -1)
      record.playlistFormatSupported = record.settings->SupportsPlaylists == 1;
    *value = record.playlistFormatSupported;
    return true;
  }
  for (const WCHAR* field : kMetadataFieldNames) {
    if (name == field) {
      *value = FirstStorageOffersMetadata(device.Get());
      return true;
    }
  }
  return false;
}

bool DeviceList::ComputeLongProperty(DeviceRecord& record, const WString& name, LONG* value, HRESULT* result) {
  if (name != W("DevMediaCount")) return false;
  ComPtr<IWMDMDevice> device = record.device;
  *result = CountMedia(device.Get(), value);
  return true;
}

bool DeviceList::ComputeStringProperty(DeviceRecord& record, DWORD deviceNumber, const WString& name,
                                           WString* value) {
  ComPtr<IWMDMDevice> device = record.device;
  value->clear();
  if (name == W("DevDisplayName")) {
    WString vendor;
    if (SUCCEEDED(GetVendorName(&record, &vendor))) *value = vendor + W(" ") + ProductName(record, device.Get());
  } else if (name == W("DevFirmwareRevision")) {
    DWORD version = 0;
    if (device && SUCCEEDED(device->GetVersion(&version))) *value = wide::FromUnsigned(version);
  } else if (name == W("DeviceDriveLetter")) {
    if (record.inventory.driveLetter) *value = WString(1, record.inventory.driveLetter);
  } else if (name == W("DevProductName")) {
    *value = ProductName(record, device.Get());
  } else if (name == W("DevUniqueID")) {
    *value = EscapeName(record.identity);
  } else if (name == W("DevVendorName")) {
    GetVendorName(&record, value);
  } else if (name == W("DeviceSupportedFileFormats")) {
    *value = SupportedFileFormats(deviceNumber);
  } else {
    return false;
  }
  return true;
}

HRESULT DeviceList::GetVendorName(DeviceRecord* record, WString* vendor) {
  if (!record || !record->device) return IPP_E_FAIL;
  if (record->settings && !record->settings->DisplayMfgName.empty()) {
    *vendor = record->settings->DisplayMfgName;
    return S_OK;
  }
  ReadDeviceManufacturer(record->device.Get(), vendor);
  // Generic names that WMDM reports for many players: the registry knows better.
  const WString lower = wide::LowerAscii(*vendor);
  if (lower == W("unknown") || lower == W("removable") || lower == W("sandisk")) {
    if (record->inventory.driveLetter)
      inventory_.ManufacturerForDriveLetter(record->inventory.driveLetter, *vendor);
    else
      kcDeviceInventory::FirstWordOf(record->inventory.friendlyName, *vendor);
  }
  return S_OK;
}
