// The node cache's hash of storage keys.
#include "content/storage_node.h"

#include <gtest/gtest.h>

#include <set>
#include <type_traits>
#include <vector>

namespace {

// A hasher the standard library takes for fast and noexcept costs each entry
// its kept hash: every rehash and every crowded bucket would read whole
// keys again.
static_assert(!std::is_nothrow_invocable_v<const StorageKeyHash&, const WString&>,
              "the node cache keeps an entry's hash only for a hasher that may throw");

const WString kInternal = W("WMDM10\\\\?\\usb#vid_0b70#pid_0101#r1___internal memory");

// Keys a cache holds side by side, each of which must hash apart from all
// the others: the hash reads them eight bytes at a step, so the differences
// sit in every place of a step and in every length of the last, short one.
std::vector<WString> NeighbouringKeys() {
  std::vector<WString> keys = {W(""), kInternal, kInternal + W("\\")};
  // Names of each length up to two steps, so each size of the last step,
  // each beside one that differs in its last unit alone.
  WString name;
  for (int length = 1; length <= 16; ++length) {
    keys.push_back(kInternal + W("\\Music\\") + name + W('a'));
    keys.push_back(kInternal + W("\\Music\\") + name + W('b'));
    name += W('a');
  }
  // Siblings that differ in one unit, at each place of the last eight.
  const WString sibling = W("track0000.mp3");
  for (size_t place = sibling.size() - 8; place < sibling.size(); ++place) {
    WString changed = sibling;
    changed[place] = W('~');
    keys.push_back(kInternal + W("\\Music\\") + changed);
  }
  keys.push_back(kInternal + W("\\Music\\") + sibling);
  // A zero unit after a key: only the length tells it apart.
  keys.push_back(kInternal + W("\\Music") + WString(1, W('\0')));
  keys.push_back(kInternal + W("\\Music"));
  // The same path on the other medium.
  keys.push_back(W("WMDM10\\\\?\\usb#vid_0b70#pid_0101#r1___storage card\\Music"));
  return keys;
}

TEST(StorageKeyHashTest, NeighbouringKeysHashApart) {
  const StorageKeyHash hash;
  const std::vector<WString> keys = NeighbouringKeys();
  std::set<size_t> hashes;
  for (const WString& key : keys) {
    EXPECT_TRUE(hashes.insert(hash(key)).second) << "a second key hashes like another: " << wide::ToUtf8(key);
    EXPECT_EQ(hash(key), hash(WString(key))) << "a key hashes the same wherever it is held";
  }
}

}  // namespace
