// Reaching a listed device by number, identity or interface.
#include "core/device_identity.h"
#include "core/device_list.h"

DeviceRecord* DeviceList::FindDeviceRecord(LONG deviceNumber) {
  if (deviceNumber < 1 || static_cast<size_t>(deviceNumber) > deviceList_.size()) return nullptr;
  DeviceRecord* record = deviceList_[deviceNumber - 1].get();
  if (record->detailsPending) CompleteDeviceRecord(deviceNumber, record);
  return record;
}

ComPtr<IWMDMDevice> DeviceList::GetDeviceInterface(LONG deviceNumber) {
  DeviceRecord* record = FindDeviceRecord(deviceNumber);
  return record ? record->device : nullptr;
}

DWORD DeviceList::FindDeviceNumberByIdentity(const WString& identity) const {
  for (size_t i = 0; i < deviceList_.size(); ++i)
    if (!deviceList_[i]->gone && deviceList_[i]->identity == identity) return static_cast<DWORD>(i + 1);
  return 0;
}

DeviceRecord* DeviceList::FindRecordByDevice(IWMDMDevice* device) {
  WString identity;
  if (FAILED(GetDeviceIdentity(device, &identity))) return nullptr;
  for (auto& record : deviceList_)
    if (!record->gone && record->identity == identity) return record.get();
  return nullptr;
}

void DeviceList::ClearDeviceList() {
  deviceList_.clear();
  news_.clear();  // their numbers name nothing now
  earlierManifests_.clear();
  DropResolved();
}

void DeviceList::CompleteDeviceRecord(LONG deviceNumber, DeviceRecord* record) {
  ComPtr<IWMDMDevice> device = record->device;
  if (!device) {
    ComPtr<IWMDeviceManager2> manager2;
    if (FAILED(deviceManager_.As(&manager2))) return;
    if (FAILED(manager2->GetDeviceFromCanonicalName(record->identity.c_str(), &device)) || !device) return;
  }
  DeviceInventoryRecord inventory;
  // Not accepted now: the record stays pending and the next lookup tries again.
  if (!AcceptDevice(device.Get(), &inventory)) return;
  FillDeviceRecord(record, device.Get(), static_cast<DWORD>(deviceNumber), inventory, SettingsFor(inventory));
}
