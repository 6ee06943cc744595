// Storage key to node, for every storage resolved since the cache was last
// cleared.
//
// A listing makes one node per child and looks up one long key per child, so
// the cache is built for that: each node is one block holding the node and
// its key; the table beside them holds only each key's hash and its node, so
// that growing it and passing over crowded places never reads a node, and a
// key is compared only when its hash matches. Nodes stay where they are as
// the table grows: callers hold plain pointers to them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "content/storage_node.h"

// The hash of a storage key, eight bytes at a step: the keys are long (the
// location, then the device path) and differ mostly in their last names, so
// the whole key is read and the last step spreads a difference over every
// bit.
struct StorageKeyHash {
  size_t operator()(std::basic_string_view<WCHAR> key) const {
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

class NodeCache {
 public:
  using Key = std::basic_string_view<WCHAR>;

  NodeCache() = default;
  NodeCache(const NodeCache&) = delete;
  NodeCache& operator=(const NodeCache&) = delete;
  ~NodeCache() { Clear(); }

  // The node under `key` and false, or a new empty node holding its own copy
  // of the key and true. Null when memory runs out; the cache is then as it
  // was.
  std::pair<StorageNode*, bool> TryEmplace(Key key);
  StorageNode* Find(Key key) const;
  // Whether `node` is one of the cache's nodes now; a search of the whole
  // table, for the rare retry after a dead interface.
  bool Holds(const StorageNode* node) const;
  // Destroys the node, or the node under the key; false when there was none.
  bool Erase(StorageNode* node);
  bool Erase(Key key);
  // Destroys every node; the table keeps its size for the next listing.
  void Clear();
  size_t size() const { return count_; }

 private:
  struct Slot {
    size_t hash = 0;
    StorageNode* node = nullptr;  // null: a free place
  };

  // The place holding `key`, or the free place where it would go.
  size_t PlaceOf(Key key, size_t hash) const;
  // Doubles the table; false when memory runs out.
  bool Grow();
  void EraseAt(size_t place);
  static StorageNode* MakeNode(Key key);
  static void DestroyNode(StorageNode* node);

  std::vector<Slot> slots_;  // a power of two in size, at most three quarters used
  size_t count_ = 0;
};
