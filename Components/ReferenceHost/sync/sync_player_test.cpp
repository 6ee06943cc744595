// What a sync finds on the player by a name the library spells its own way.
#include "sync/sync_player.h"

#include <gtest/gtest.h>

namespace {

TEST(SyncPlayerTest, AnItemIsFoundAsThePlayerFindsIt) {
  PlayerTree tree;
  for (const char* path : {"Band", "Band/one.mp3", "MIX.m3u8", "Twins/a.mp3", "Twins/A.mp3", "\xC3\x89t\xC3\xA9.mp3"})
    tree.items[path] = PlayerItem{};
  const struct {
    const char* asked;
    const char* found;  // the player's spelling; "" none
  } cases[] = {
      {"Band/one.mp3", "Band/one.mp3"},
      {"band/ONE.MP3", "Band/one.mp3"},
      {"mix.m3u8", "MIX.m3u8"},
      {"Twins/a.mp3", "Twins/a.mp3"},  // the exact one of two
      {"twins/a.MP3", ""},             // two match case aside: neither
      {"Band/two.mp3", ""},
      {"Band/one.mp", ""},
      {"\xC3\x89t\xC3\xA9.mp3", "\xC3\x89t\xC3\xA9.mp3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    std::string spelt = "unchanged";
    const PlayerItem* item = FindPlayerItem(tree, c.asked, &spelt);
    EXPECT_EQ(item != nullptr, *c.found != 0);
    EXPECT_EQ(spelt, *c.found ? c.found : "unchanged");
    if (item) EXPECT_EQ(item, &tree.items.at(c.found));
  }
}

}  // namespace
