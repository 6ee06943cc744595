// The node cache: its hash of storage keys, and its table kept right as
// nodes come and go.
#include "content/node_cache.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

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

// Many keys added and erased in a mixed order, each step checked against an
// ordered map: the table grows several times, and erasing from the middle
// of crowded runs must leave every other key reachable.
TEST(NodeCacheTest, AgreesWithAMapThroughGrowthAndErasure) {
  NodeCache cache;
  std::map<WString, StorageNode*> expected;
  std::mt19937 random(7);
  std::vector<WString> keys;
  for (int i = 0; i < 600; ++i) keys.push_back(kInternal + W("\\Music\\track") + wide::FromUnsigned(i) + W(".mp3"));
  for (int step = 0; step < 4000; ++step) {
    const WString& key = keys[random() % keys.size()];
    if (random() % 3 == 0) {
      cache.Erase(key);
      expected.erase(key);
    } else {
      const auto [node, added] = cache.TryEmplace(key);
      ASSERT_NE(node, nullptr);
      EXPECT_EQ(added, expected.count(key) == 0) << wide::ToUtf8(key);
      if (added) expected[key] = node;
      EXPECT_EQ(node, expected[key]) << "a key found again gives its first node";
      EXPECT_EQ(wide::ToUtf8(WString(node->key)), wide::ToUtf8(key));
    }
    ASSERT_EQ(cache.size(), expected.size());
  }
  for (const WString& key : keys) {
    const auto found = expected.find(key);
    EXPECT_EQ(cache.Find(key), found == expected.end() ? nullptr : found->second) << wide::ToUtf8(key);
  }
}

// A node erased by its own pointer goes, and only when it is the cache's
// node for its key; the cache empties and fills again.
TEST(NodeCacheTest, ErasesANodeByItselfAndClears) {
  NodeCache cache;
  StorageNode* music = cache.TryEmplace(kInternal + W("\\Music")).first;
  StorageNode* lists = cache.TryEmplace(kInternal + W("\\Lists")).first;
  NodeCache other;
  StorageNode* stranger = other.TryEmplace(kInternal + W("\\Music")).first;
  cache.Erase(stranger);
  EXPECT_EQ(cache.Find(kInternal + W("\\Music")), music) << "another cache's node with the same key";
  cache.Erase(music);
  EXPECT_EQ(cache.Find(kInternal + W("\\Music")), nullptr);
  EXPECT_EQ(cache.Find(kInternal + W("\\Lists")), lists);
  cache.Clear();
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_EQ(cache.Find(kInternal + W("\\Lists")), nullptr);
  EXPECT_TRUE(cache.TryEmplace(kInternal + W("\\Lists")).second);
}

}  // namespace
