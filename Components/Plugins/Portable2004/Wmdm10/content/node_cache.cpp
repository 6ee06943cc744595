#include "content/node_cache.h"

#include <new>

namespace {

constexpr size_t kFirstSize = 64;

}  // namespace

std::pair<StorageNode*, bool> NodeCache::TryEmplace(Key key) {
  if ((count_ + 1) * 4 > slots_.size() * 3 && !Grow()) return {nullptr, false};
  const size_t hash = StorageKeyHash()(key);
  const size_t place = PlaceOf(key, hash);
  if (slots_[place].node) return {slots_[place].node, false};
  StorageNode* node = MakeNode(key);
  if (!node) return {nullptr, false};
  slots_[place] = Slot{hash, node};
  ++count_;
  return {node, true};
}

StorageNode* NodeCache::Find(Key key) const {
  if (slots_.empty()) return nullptr;
  return slots_[PlaceOf(key, StorageKeyHash()(key))].node;
}

bool NodeCache::Holds(const StorageNode* node) const {
  if (!node) return false;
  for (const Slot& slot : slots_)
    if (slot.node == node) return true;
  return false;
}

bool NodeCache::Erase(StorageNode* node) {
  if (!node || slots_.empty()) return false;
  const size_t place = PlaceOf(node->key, StorageKeyHash()(node->key));
  if (slots_[place].node != node) return false;
  EraseAt(place);
  return true;
}

bool NodeCache::Erase(Key key) {
  if (slots_.empty()) return false;
  const size_t place = PlaceOf(key, StorageKeyHash()(key));
  if (!slots_[place].node) return false;
  EraseAt(place);
  return true;
}

void NodeCache::Clear() {
  for (Slot& slot : slots_) {
    if (!slot.node) continue;
    DestroyNode(slot.node);
    slot = Slot{};
  }
  count_ = 0;
}

size_t NodeCache::PlaceOf(Key key, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  // The table is never full, so a free place ends every search.
  for (size_t place = hash & mask;; place = (place + 1) & mask) {
    const Slot& slot = slots_[place];
    if (!slot.node || (slot.hash == hash && slot.node->key == key)) return place;
  }
}

bool NodeCache::Grow() {
  std::vector<Slot> grown;
  try {
    grown.resize(slots_.empty() ? kFirstSize : slots_.size() * 2);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const size_t mask = grown.size() - 1;
  for (const Slot& slot : slots_) {
    if (!slot.node) continue;
    size_t place = slot.hash & mask;
    while (grown[place].node) place = (place + 1) & mask;
    grown[place] = slot;
  }
  slots_.swap(grown);
  return true;
}

void NodeCache::EraseAt(size_t place) {
  DestroyNode(slots_[place].node);
  --count_;
  // Later entries of the same run move back into the hole, so that every
  // entry stays reachable from its home place without markers for the
  // erased.
  const size_t mask = slots_.size() - 1;
  size_t hole = place;
  for (size_t next = (hole + 1) & mask; slots_[next].node; next = (next + 1) & mask) {
    const size_t home = slots_[next].hash & mask;
    // The entry may fill the hole when the hole lies on its way from home.
    if (((next - home) & mask) >= ((next - hole) & mask)) {
      slots_[hole] = slots_[next];
      hole = next;
    }
  }
  slots_[hole] = Slot{};
}

StorageNode* NodeCache::MakeNode(Key key) {
  // The key's units follow the node in the same block.
  void* block = ::operator new(sizeof(StorageNode) + key.size() * sizeof(WCHAR), std::nothrow);
  if (!block) return nullptr;
  auto* node = new (block) StorageNode;
  auto* text = reinterpret_cast<WCHAR*>(node + 1);
  if (!key.empty()) std::memcpy(text, key.data(), key.size() * sizeof(WCHAR));
  node->key = Key(text, key.size());
  return node;
}

void NodeCache::DestroyNode(StorageNode* node) {
  node->~StorageNode();
  ::operator delete(node);
}
