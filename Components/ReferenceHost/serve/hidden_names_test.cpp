// An edit must not leave an item the player never lists again.
#include "serve/hidden_names.h"

#include <gtest/gtest.h>

namespace {

TEST(HiddenNamesTest, RenameKeepsWhatTheListingShows) {
  const struct {
    int line;
    bool folder;
    const char* from;
    const char* to;
    bool hides;
  } cases[] = {
      {__LINE__, false, "02 Cosmic.mp3", "No extension", true},
      {__LINE__, false, "02 Cosmic.mp3", "No extension.", true},
      {__LINE__, false, "02 Cosmic.mp3", "02 Cosmic.flac", true},
      {__LINE__, false, "02 Cosmic.mp3", ".Cosmic.mp3", true},
      {__LINE__, false, "02 Cosmic.mp3", "Cosmos.mp3", false},
      // The extension is compared as the plug-in compares it, case-blind.
      {__LINE__, false, "02 Cosmic.mp3", "Cosmos.MP3", false},
      {__LINE__, false, "Mix.m3u8", "Party", true},
      {__LINE__, false, "Mix.m3u8", "Party.m3u8", false},
      // A dot inside a name is no extension's end.
      {__LINE__, false, "a.b.mp3", "a.mp3", false},
      {__LINE__, true, "Music", "Tunes", false},
      {__LINE__, true, "Music", "Tunes.old", false},
      {__LINE__, true, "Music", ".Music", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string why = RenameHidingProblem(c.folder, c.from, c.to);
    EXPECT_EQ(!why.empty(), c.hides) << why;
  }
}

TEST(HiddenNamesTest, NewItemsNamedLikeHiddenOnesAreRefused) {
  EXPECT_NE(HiddenNameProblem(".hidden"), "");
  EXPECT_NE(HiddenNameProblem(".m3u8"), "");
  EXPECT_EQ(HiddenNameProblem("Live"), "");
  EXPECT_EQ(HiddenNameProblem("Live.2024"), "");
}

}  // namespace
