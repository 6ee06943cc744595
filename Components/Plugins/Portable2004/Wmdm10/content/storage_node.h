// One resolved storage: what the resolver found for a storage key, kept in
// the node cache for the life of the device list. Callers hold plain
// pointers; the cache owns the nodes.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string_view>

#include <wide_text.h>

#include "content/kc_ipp_item.h"
#include <com_ptr.h>
#include <mswmdm.h>

// What ResolveStorage is asked to add to a node.
constexpr DWORD RESOLVE_ITEM = 0x1;  // an item record
constexpr DWORD RESOLVE_TAGS = 0x2;  // the item's tags, read once
// The caller vouches that the key's device path is a folder path for which
// locations::IsJoinableFolderPath holds joined with the name in the facts it
// passes, so the path need not be taken apart to be checked.
constexpr DWORD RESOLVE_IN_JOINABLE_FOLDER = 0x4;

// A node's item record, kept in the node itself rather than in a block of
// its own: a listing makes a node and a record for every child, and the
// allocation was a good part of a child's cost. Reads like the pointer it
// stands for; a record handed to the host as a pointer lives as long as its
// node.
class HeldItem {
 public:
  HeldItem() = default;
  HeldItem(const HeldItem&) = delete;
  HeldItem& operator=(const HeldItem&) = delete;

  explicit operator bool() const { return record_.has_value(); }
  kcIPPItem* get() { return record_ ? &*record_ : nullptr; }
  kcIPPItem* operator->() { return get(); }
  kcIPPItem& operator*() { return *record_; }

  // A new, empty record in place of any held before.
  kcIPPItem& Emplace() { return record_.emplace(); }
  void reset() { record_.reset(); }

 private:
  std::optional<kcIPPItem> record_;
};

// Made by the node cache, empty, and filled in once its storage
// is found.
struct StorageNode {
  StorageNode() = default;
  StorageNode(const StorageNode&) = delete;
  StorageNode& operator=(const StorageNode&) = delete;

  // The media property answers, kept for a medium's root node only.
  std::map<WString, bool> boolCache;
  std::map<WString, LONG> longCache;
  std::map<WString, WString> stringCache;
  ComPtr<IWMDMDevice> device;
  ComPtr<IWMDMStorage> storage;
  // The storage key it was resolved under, held in the node's own block by
  // the node cache.
  std::basic_string_view<WCHAR> key;
  LONG deviceNumber = 0;
  HeldItem item;  // built on request; may stay empty
  // Cleared when a listing here or below left a child out; such a node
  // refuses to be deleted.
  bool current = true;
  bool walked = false;          // the tree walk need not come back here
  bool metadataPending = true;  // the item's tags are still to be read
};
