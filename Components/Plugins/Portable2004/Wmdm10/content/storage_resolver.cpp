// Placeholder bodies of the resolver; the resolver replaces them.
#include "core/kc_wmdm10_plugin.h"

#include "content/locations.h"

DeviceRecord* kcWMDM10Plugin::FindDeviceByLocation(const WString& location, size_t* separatorIndex) {
  return FindDeviceRecord(locations::FindDeviceByLocation(location, deviceList_, separatorIndex));
}
WString kcWMDM10Plugin::RootPrefix(const WString&) { return WString(); }
WString kcWMDM10Plugin::ToDevicePath(const WString& location, const WString& hostPath) {
  return locations::ToDevicePath(RootPrefix(location), hostPath);
}
WString kcWMDM10Plugin::ToHostPath(const WString& location, const WString& devicePath) {
  return locations::ToHostPath(RootPrefix(location), devicePath);
}
bool kcWMDM10Plugin::SplitEntryId(const WString& location, const WString& id, WString* playlistPath,
                                  WString* trackPath) {
  return locations::SplitEntryId(RootPrefix(location), id, playlistPath, trackPath);
}
HRESULT kcWMDM10Plugin::MakeEntryId(const WString& location, const WString& playlistDevicePath, kiIPPItem* item) {
  return locations::MakeEntryId(RootPrefix(location), playlistDevicePath, item);
}
StorageNode* kcWMDM10Plugin::ResolveStorage(const WString&, WString, DWORD, const DeviceRecord*, ComPtr<IWMDMStorage>,
                                            LONG) {
  return nullptr;
}
HRESULT kcWMDM10Plugin::ReadTags(StorageNode*) { return E_NOTIMPL; }
void kcWMDM10Plugin::InvalidateUpwards(const WString&, WString) {}
void kcWMDM10Plugin::DropNode(StorageNode* node) {
  if (node) nodeCache_.erase(node->key);
}
void kcWMDM10Plugin::ClearNodeCache() {
  nodeCache_.clear();
  resetParentCache_ = true;
}
