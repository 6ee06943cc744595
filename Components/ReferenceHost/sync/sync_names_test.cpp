// What a sync finds on the player by a name the library spells its own way.
#include "sync/sync_names.h"

#include <gtest/gtest.h>

namespace {

TEST(SyncNamesTest, AnItemIsFoundAsThePlayerFindsIt) {
  PlayerTree tree;
  for (const char* path : {"Band", "Band/one.mp3", "MIX.m3u8", "Twins/a.mp3", "Twins/A.mp3", "Été.mp3", "ÜBER/x.mp3"})
    tree.items[path] = PlayerItem{};
  const struct {
    const char* asked;
    const char* found;  // the player's spelling; "" none; "*" one of two
  } cases[] = {
      {"Band/one.mp3", "Band/one.mp3"},
      {"band/ONE.MP3", "Band/one.mp3"},
      {"mix.m3u8", "MIX.m3u8"},
      {"Twins/a.mp3", "Twins/a.mp3"},  // the exact one of two
      {"twins/a.MP3", "*"},            // two match case aside: one is taken
      {"Band/two.mp3", ""},
      {"Band/one.mp", ""},
      {"Été.mp3", "Été.mp3"},
      {"été.MP3", "Été.mp3"},
      {"über/X.mp3", "ÜBER/x.mp3"},
      {"uber/x.mp3", ""},
  };
  const PlayerNames names(tree);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    const PlayerNames::Item* item = names.Find(c.asked);
    ASSERT_EQ(item != nullptr, *c.found != 0);
    if (!item) continue;
    if (std::string(c.found) == "*")
      EXPECT_TRUE(item->first == "Twins/a.mp3" || item->first == "Twins/A.mp3");
    else
      EXPECT_EQ(item->first, c.found);
    EXPECT_EQ(&item->second, &tree.items.at(item->first));
  }
}

}  // namespace
