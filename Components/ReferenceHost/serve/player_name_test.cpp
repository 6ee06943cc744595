// A player is headed by a name of its own, never by the plug-in's word for a
// maker it cannot tell.
#include "serve/player_name.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerNameTest, NamesAPlayerByWhatItSaysItIs) {
  const struct {
    int line;
    const char *display, *vendor, *product, *name, *maker;
  } cases[] = {
      {__LINE__, "Aurora Audio Aurora MX-20", "Aurora Audio", "Aurora MX-20", "Aurora Audio Aurora MX-20", "Aurora Audio"},
      // A folder player: its product is its volume label or folder name.
      {__LINE__, "unknown Pocket", "unknown", "Pocket", "Pocket", ""},
      {__LINE__, "Unknown WALKMAN", "Unknown", "WALKMAN", "WALKMAN", ""},
      {__LINE__, "unknown Pocket", "unknown", "", "Player 4", ""},
      {__LINE__, "Trek", "", "", "Trek", ""},
      {__LINE__, "", "", "", "Player 4", ""},
      {__LINE__, "", "Kestrel Digital", "Trek 256", "Trek 256", "Kestrel Digital"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const PlayerName player = NameOfPlayer(c.display, c.vendor, c.product, 4);
    EXPECT_EQ(player.name, c.name);
    EXPECT_EQ(player.maker, c.maker);
  }
}

}  // namespace
