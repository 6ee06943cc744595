// From a media location and a device path to the WMDM storage they name.
// The resolver owns the node cache (every storage resolved since the device
// list last changed), its generation, and the reset of the module's parent
// cache (the folder walked last); it asks the device list for records.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "content/node_cache.h"
#include "content/node_ref.h"
#include "content/storage_node.h"
#include "core/device_directory.h"
#include "core/retry_once.h"
#include "host_sdk/ki_ipp_item.h"

struct StorageFacts;

class StorageResolver {
 public:
  explicit StorageResolver(DeviceDirectory& devices) : devices_(devices) {}
  StorageResolver(const StorageResolver&) = delete;
  StorageResolver& operator=(const StorageResolver&) = delete;

  // The node of (location, device path), resolved on first use. Flags:
  // RESOLVE_ITEM, RESOLVE_TAGS, RESOLVE_IN_JOINABLE_FOLDER
  // (content/storage_node.h). A caller that already holds the device and
  // storage passes both; the storage is consumed, and what the caller
  // already read of it comes in `facts`. Null when nothing is found.
  NodeRef ResolveStorage(const WString& location, WString path, DWORD flags,
                         const DeviceRecord* knownDevice = nullptr, ComPtr<IWMDMStorage> knownStorage = nullptr,
                         LONG kind = 0, StorageFacts* facts = nullptr);
  // ResolveStorage with the storage key already built: the device path is
  // the key's text from `pathStart` on. The key is copied into a new node
  // before anything else is resolved, so it may live in a buffer that a
  // nested resolve reuses.
  NodeRef ResolveKey(const WString& location, std::basic_string_view<WCHAR> key, size_t pathStart, DWORD flags,
                     const DeviceRecord* knownDevice, ComPtr<IWMDMStorage> knownStorage, LONG kind,
                     StorageFacts* facts);
  // Marks the folder at `path` and every folder above it as not current.
  void InvalidateUpwards(const WString& location, WString path);
  // Forgets one node (its interfaces went stale); every handle out reads null.
  void DropNode(const NodeRef& node);
  // The same for the node cached under (location, device path), if any.
  void DropNodeAt(const WString& location, const WString& path);
  // Forgets every node; the module-wide parent cache follows at the next
  // resolution.
  void ClearNodeCache();
  // Forgets the parent cache at once (Shutdown: no WMDM reference may
  // outlive it).
  void DropParentCache();
  size_t NodeCacheSize() const { return nodeCache_.size(); }  // tests only

  // The device a media location names, or null.
  DeviceRecord* FindDeviceByLocation(const WString& location, size_t* separatorIndex = nullptr);
  // The device's alternate root when it exists on the device, else empty;
  // a root that does not exist is forgotten for the device.
  WString RootPrefix(const WString& location);
  // The same for the device record already at hand (the one the location
  // names), saving the search of the device list.
  WString RootPrefix(const WString& location, DeviceRecord* record);
  WString ToDevicePath(const WString& location, const WString& hostPath);
  WString ToHostPath(const WString& location, const WString& devicePath);
  bool SplitEntryId(const WString& location, const WString& id, WString* playlistPath, WString* trackPath);
  HRESULT MakeEntryId(const WString& location, const WString& playlistDevicePath, kiIPPItem* item);

 private:
  NodeRef Handed(StorageNode* node) const { return NodeRef(node, &generation_); }

  DeviceDirectory& devices_;
  NodeCache nodeCache_;
  // Counts the drops of nodes handed out; a NodeRef made before one is null.
  uint64_t generation_ = 0;
  // Set with every emptying of the node cache: the module-wide parent cache
  // may hold interfaces of a list that is gone.
  bool resetParentCache_ = false;
};

// The usual retry's shape: `attempt` (HRESULT(NodeRef*)) resolves the node
// it acts on and hands it out; that node is the one forgotten.
template <typename Attempt>
HRESULT WithOneRetry(StorageResolver& resolver, RetriedOperation operation, Attempt attempt) {
  NodeRef node;
  return RetryOnceIfDead(
      operation,
      [&]() -> HRESULT {
        node = nullptr;
        return attempt(&node);
      },
      [&] { resolver.DropNode(node); });
}

// The item's tags (title, album, artist, genre, track number, bitrate, play
// time), read once per node (content/item_tags.cpp).
HRESULT ReadTags(StorageNode* node);
