// One resolved storage: what the resolver found for a storage key, kept in
// the node cache for the life of the device list. Callers hold plain
// pointers; the cache owns the nodes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

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

// Made in its place in the node cache, empty, and filled in once its storage
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
  const WString* key = nullptr;  // the storage key it was resolved under: the node cache's own
  LONG deviceNumber = 0;
  HeldItem item;  // built on request; may stay empty
  // Cleared when a listing here or below left a child out; such a node
  // refuses to be deleted.
  bool current = true;
  bool walked = false;          // the tree walk need not come back here
  bool metadataPending = true;  // the item's tags are still to be read
};

// The node cache's hash of a storage key, eight bytes at a step: the keys
// are long (the location, then the device path), a listing hashes one per
// child, and the standard library's hash cost more. The whole key is read,
// since keys differ only in their last names, and the last step spreads
// such a difference over every bit.
//
// The call is deliberately not noexcept. libstdc++ keeps each entry's hash
// beside it only for a hasher that may throw or that it does not count as
// fast; without that, every rehash would hash each long key again and every
// lookup would compare whole keys it could have told apart by their hashes.
struct StorageKeyHash {
  size_t operator()(const WString& key) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(key.data());
    size_t remaining = key.size() * sizeof(WCHAR);
    uint64_t hash = remaining * kMultiplier;
    // Two words a step: the loop's own bookkeeping was a third of its cost.
    for (; remaining >= 2 * sizeof(uint64_t); remaining -= 2 * sizeof(uint64_t), bytes += 2 * sizeof(uint64_t)) {
      hash = Step(Step(hash, Word(bytes)), Word(bytes + sizeof(uint64_t)));
      hash ^= hash >> 29;
    }
    if (remaining >= sizeof(uint64_t)) {
      hash = Step(hash, Word(bytes));
      remaining -= sizeof(uint64_t);
      bytes += sizeof(uint64_t);
    }
    uint64_t last = 0;
    std::memcpy(&last, bytes, remaining);
    hash = Step(hash, last);
    // The 64-bit finishing mix of MurmurHash3.
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    hash ^= hash >> 33;
    return static_cast<size_t>(hash);
  }

 private:
  static constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  static uint64_t Word(const unsigned char* bytes) {
    uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof(word));
    return word;
  }
  static uint64_t Step(uint64_t hash, uint64_t word) { return (hash ^ word) * kMultiplier; }
};

// Storage key to node, for every storage resolved since the cache was last
// cleared. Hashed: a listing looks up one long key per child, and ordered
// comparisons of keys sharing their long location prefix cost more than the
// rest of the listing. The nodes live in the map's own entries, which stay
// in place as it grows: a listed child costs one allocation for its entry,
// node and record together (and one for a key too long to be kept inline).
using NodeCache = std::unordered_map<WString, StorageNode, StorageKeyHash>;
