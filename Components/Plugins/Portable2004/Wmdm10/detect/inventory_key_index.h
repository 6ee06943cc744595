// Positions in one of the inventory's lists by a key text, in list order.
// Rebuild links and merges each entry with the others that share a key (an
// instance prefix, a pair of ids, the hardware ids); walking whole lists for
// each entry made a machine of a thousand devices cost several times the
// registry reads themselves.
#pragma once

#include <unordered_map>
#include <vector>

#include <wide_text.h>

class InventoryKeyIndex {
 public:
  void Clear() { positions_.clear(); }
  // Positions are added in ascending order.
  void Add(const WString& key, int position) { positions_[key].push_back(position); }
  // The positions added under `key`, ascending; null when none.
  const std::vector<int>* Find(const WString& key) const {
    const auto found = positions_.find(key);
    return found == positions_.end() ? nullptr : &found->second;
  }
  bool Contains(const WString& key) const { return positions_.count(key) != 0; }

 private:
  std::unordered_map<WString, std::vector<int>> positions_;
};
