// From a location and a device path to the WMDM storage they name, with the
// node cache (every storage resolved since the device list last changed) and
// the module's parent cache (the folder walked last).
#include <memory>
#include <utility>
#include <vector>

#include "content/locations.h"
#include "content/parent_cache.h"
#include "content/storage_items.h"
#include "content/storage_lookup.h"
#include "content/storage_resolver.h"
#include "core/escape_name.h"

namespace {

constexpr size_t kSeparatorLength = 3;  // "___"

// The device path of the folder holding the storage at `names`, built from
// its components so that "\Music\\a.wma" and "\Music\a.wma" share a parent
// and a trailing "\" does not pass for a component.
WString ParentOf(const std::vector<WString>& names) {
  WString parent;
  for (size_t i = 0; i + 1 < names.size(); ++i) parent += W('\\') + names[i];
  return parent.empty() ? WString(W("\\")) : parent;
}

// Every name below the medium, from the top, through FindChildStorage. On
// success the parent cache holds the last folder passed; on failure it holds
// no folder, so that it never pairs a folder with another folder's path.
ComPtr<IWMDMStorage> WalkFromMedium(StorageResolver& resolver, ParentCache& parents, const WString& location,
                                    const std::vector<WString>& names) {
  size_t separator = 0;
  DeviceRecord* record = resolver.FindDeviceByLocation(location, &separator);
  parents.parent.Reset();
  if (!record || !record->device) {
    parents.device.Reset();
    parents.deviceNumber = 0;
    return nullptr;
  }
  parents.device = record->device;
  parents.deviceNumber = static_cast<LONG>(record->deviceNumber);

  ComPtr<IWMDMStorage> current;
  const WString medium = UnescapeName(location.substr(separator + kSeparatorLength));
  if (FindMedium(record->device, medium, &current) != S_OK) return nullptr;
  ComPtr<IWMDMStorage> parent;
  for (const WString& name : names) {
    ComPtr<IWMDMStorage> child;
    if (FindChildStorage(current, name, &child) != S_OK) return nullptr;
    parent = std::move(current);
    current = std::move(child);
  }
  parents.parent = std::move(parent);
  parents.location = location;
  parents.parentPath = ParentOf(names);
  return current;
}

// The node's item record (RESOLVE_ITEM) for the device's `record`; false
// when it cannot be built. Called once, so that it folds into ResolveKey.
bool BuildNodeItem(StorageResolver& resolver, DeviceRecord* record, const WString& location, StorageNode* node,
                   std::basic_string_view<WCHAR> path, DWORD flags, LONG kind, StorageFacts* facts) {
  LONG itemKind = kind;
  StorageFacts local;
  if (!facts) facts = &local;
  if (!record || (kind == KindClassify && !ClassifyStorage(*record, node->storage, &itemKind, facts))) return false;
  // A child named a moment ago under its folder's path is built on that
  // path rather than on one taken apart and joined again.
  const WString rootPrefix = resolver.RootPrefix(location, record);
  const bool joined = (flags & RESOLVE_IN_JOINABLE_FOLDER)
                          ? facts->named && !facts->name.empty() && !facts->nameHoldsSeparator
                          : facts->named && locations::IsChildPath(path, facts->name);
  return joined ? SUCCEEDED(BuildItemAt(rootPrefix, record, node->storage, path, itemKind, &node->item, facts))
                : SUCCEEDED(BuildItem(rootPrefix, record, node->storage, locations::ParentPath(WString(path)),
                                      itemKind, &node->item, facts));
}

}  // namespace

NodeRef StorageResolver::ResolveStorage(const WString& location, WString path, DWORD flags,
                                       const DeviceRecord* knownDevice, ComPtr<IWMDMStorage> knownStorage, LONG kind,
                                       StorageFacts* facts) {
  const WString key = locations::StorageKey(location, path);
  const size_t pathStart = key.size() - path.size();
  return ResolveKey(location, key, pathStart, flags, knownDevice, std::move(knownStorage), kind, facts);
}

NodeRef StorageResolver::ResolveKey(const WString& location, std::basic_string_view<WCHAR> key, size_t pathStart,
                                    DWORD flags, const DeviceRecord* knownDevice, ComPtr<IWMDMStorage> knownStorage,
                                    LONG kind, StorageFacts* facts) {
  ParentCache& parents = ModuleParentCache();
  if (resetParentCache_) {
    parents.Drop();
    resetParentCache_ = false;
  }
  if (!locations::HasMediaPrefix(location)) return nullptr;

  // One hash of the long key whether it is found or added.
  const auto [node, added] = nodeCache_.TryEmplace(key);
  if (!node) return nullptr;
  // The device path, read from the node's own key, which lives as long as
  // the node.
  const std::basic_string_view<WCHAR> path = node->key.substr(pathStart);
  bool created = false;
  // A node without its storage is one being made further up this call chain.
  if (added || !node->storage) {
    ComPtr<IWMDMStorage> found;
    if (knownDevice && knownDevice->device && knownStorage) {
      // Each child of a listing comes with the same device.
      if (parents.device.Get() != knownDevice->device.Get()) parents.device = knownDevice->device;
      parents.deviceNumber = static_cast<LONG>(knownDevice->deviceNumber);
      parents.parent.Reset();
      found = std::move(knownStorage);
    } else {
      const std::vector<WString> names = locations::PathComponents(WString(path));
      // A sibling of the storage resolved last: one lookup in the folder
      // already at hand.
      if (!names.empty() && parents.parent && parents.location == location &&
          parents.parentPath == ParentOf(names))
        FindChildStorage(parents.parent, names.back(), &found);
      if (!found) found = WalkFromMedium(*this, parents, location, names);
    }
    // A node made and dropped within this call was never handed out: no
    // handle needs to learn of it.
    if (!found) {
      nodeCache_.Erase(node);
      return nullptr;
    }
    // Filled in before the item is built: building asks for the root
    // prefix, which may resolve this very key again.
    node->device = parents.device;
    node->storage = std::move(found);
    node->deviceNumber = parents.deviceNumber;
    created = true;
  }

  if ((flags & RESOLVE_ITEM) && !node->item &&
      !BuildNodeItem(*this, devices_.FindDeviceRecord(node->deviceNumber), location, node, path, flags, kind, facts)) {
    if (created) nodeCache_.Erase(node);
    return nullptr;
  }
  if ((flags & RESOLVE_TAGS) && node->item) ReadTags(node);
  return Handed(node);
}

void StorageResolver::InvalidateUpwards(const WString& location, WString path) {
  while (!path.empty()) {
    if (NodeRef node = ResolveStorage(location, path, 0)) node->current = false;
    const size_t last = path.rfind(W('\\'));
    path.resize(last == WString::npos ? 0 : last);
  }
}

void StorageResolver::DropNode(const NodeRef& node) {
  // A handle another drop made stale may still name a node the cache holds.
  StorageNode* held = node.get();
  if (!held && nodeCache_.Holds(node.Unchecked())) held = const_cast<StorageNode*>(node.Unchecked());
  if (nodeCache_.Erase(held)) ++generation_;
}

void StorageResolver::DropNodeAt(const WString& location, const WString& path) {
  if (nodeCache_.Erase(locations::StorageKey(location, path))) ++generation_;
}

void StorageResolver::ClearNodeCache() {
  nodeCache_.Clear();
  ++generation_;
  resetParentCache_ = true;
}

void StorageResolver::DropParentCache() {
  ModuleParentCache().Drop();
  resetParentCache_ = false;
}
