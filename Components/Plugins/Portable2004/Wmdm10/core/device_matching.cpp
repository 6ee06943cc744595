// Matching a WMDM device with the registry inventory, the skip list and the
// manifest's settings, and filling its record.
#include <unique_propvariant.h>

#include "base/device_text.h"
#include "core/device_identity.h"
#include "core/device_list.h"

namespace {

bool ListsPlaylistFormat(IWMDMDevice* device) {
  ComPtr<IWMDMDevice3> device3;
  if (FAILED(ComPtr<IWMDMDevice>(device).As(&device3))) return false;
  UniquePropVariant value;
  bool found = false;
  if (SUCCEEDED(device3->GetProperty(g_wszWMDMFormatsSupported, value.Put())) && value.Type() == (VT_ARRAY | VT_UI4) &&
      value->parray) {
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(value->parray, 1, &lower);
    SafeArrayGetUBound(value->parray, 1, &upper);
    for (LONG i = lower; i <= upper && !found; ++i) {
      ULONG code = 0;
      if (SUCCEEDED(SafeArrayGetElement(value->parray, &i, &code)))
        found = code == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST;
    }
  }
  return found;
}

}  // namespace

bool DeviceList::MatchAndFilter(const WString& identity, const WString& name, const WString& manufacturer,
                                    DeviceInventoryRecord* inventory) {
  WCHAR letter = DriveLetterFromName(identity);
  inventory->driveLetter = letter;
  bool matched = false;
  if (letter) {
    matched = inventory_.FindRecordByDriveLetter(letter, *inventory);
  } else {
    letter = inventory_.DriveLetterForIdentity(identity);
    inventory->driveLetter = letter;
    if (letter && inventory_.FindRecordByDriveLetter(letter, *inventory)) matched = true;
    if (!matched) {
      // A made-up identity says nothing the inventory knows; the name may.
      const WString& key = IsFallbackIdentity(identity) ? name : identity;
      matched = inventory_.FindRecordByName(key, *inventory, true);
    }
  }
  if (!skipFilter_) return true;
  bool skip = false;
  if (matched) {
    DWORD vendorId = 0, productId = 0;
    kcVidPidFilter::ReadVidPid(inventory->vidPidText.c_str(), &vendorId, &productId);
    skip = skipFilter_->IsSkippedDevice(vendorId, productId, manufacturer, inventory->friendlyName);
  } else {
    skip = skipFilter_->IsSkippedByNames(manufacturer, name);
  }
  return !skip;
}

bool DeviceList::AcceptDevice(IWMDMDevice* device, DeviceInventoryRecord* inventory) {
  if (!device) return false;
  WString manufacturer;
  ReadDeviceManufacturer(device, &manufacturer);
  WString name;
  if (FAILED(ReadDeviceName(device, &name))) return false;
  WString identity;
  if (FAILED(GetDeviceIdentity(device, &identity))) return false;
  return MatchAndFilter(identity, name, manufacturer, inventory);
}

void DeviceList::FillDeviceRecord(DeviceRecord* record, IWMDMDevice* device, DWORD number,
                                      const DeviceInventoryRecord& inventory, const kcDeviceSettings* settings) {
  record->detailsPending = false;
  record->device = ComPtr<IWMDMDevice>(device);
  record->deviceNumber = number;
  record->settings = settings;
  record->inventory = inventory;
  GetDeviceIdentity(device, &record->identity);
  record->playlistFormatSupported = ListsPlaylistFormat(device);
}

const kcDeviceSettings* DeviceList::SettingsFor(const DeviceInventoryRecord& inventory) const {
  return manifest_ ? manifest_->GetSettings(inventory.vidPidText) : nullptr;
}
