#include "playlist_location.h"

#include <gtest/gtest.h>

namespace wmdm_standin {
namespace {

using Names = std::vector<std::string>;
const std::string kMedium = "/media/ana/WALK MAN";
const Names kListFolder = {"Lists", "Evening"};

// Each location a playlist in Lists/Evening may hold for Music/Café/a b.mp3,
// read as the first reading says and written again in the same form.
TEST(PlaylistLocationTest, EachFormIsReadAndWrittenBackAsItWas) {
  struct Case { std::string location; LocationAnchor anchor; char separator; };
  const Case cases[] = {
      {"../../Music/Caf\xC3\xA9/a b.mp3", LocationAnchor::PlaylistFolder, '/'},
      {"..\\..\\Music\\Caf\xC3\xA9\\a b.mp3", LocationAnchor::PlaylistFolder, '\\'},
      {"/Music/Caf\xC3\xA9/a b.mp3", LocationAnchor::MediumAbsolute, '/'},
      {"\\Music\\Caf\xC3\xA9\\a b.mp3", LocationAnchor::MediumAbsolute, '\\'},
      {kMedium + "/Music/Caf\xC3\xA9/a b.mp3", LocationAnchor::HostAbsolute, '/'},
      {"file:///media/ana/WALK%20MAN/Music/Caf%C3%A9/a%20b.mp3", LocationAnchor::FileUrl, '/'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    const auto readings = ReadLocation(c.location, kListFolder, kMedium);
    ASSERT_FALSE(readings.empty());
    EXPECT_EQ(readings[0].names, (Names{"Music", "Caf\xC3\xA9", "a b.mp3"}));
    EXPECT_EQ(readings[0].form.anchor, c.anchor);
    EXPECT_EQ(readings[0].form.separator, c.separator);
    EXPECT_EQ(WriteLocation(readings[0].form, readings[0].names, kListFolder, kMedium), c.location);
  }
}

TEST(PlaylistLocationTest, ARelativeLocationIsTriedFromThePlaylistsFolderThenFromTheRoot) {
  const auto readings = ReadLocation("Music\\a.mp3", kListFolder, kMedium);
  ASSERT_EQ(readings.size(), 2u);
  EXPECT_EQ(readings[0].names, (Names{"Lists", "Evening", "Music", "a.mp3"}));
  EXPECT_EQ(readings[1].names, (Names{"Music", "a.mp3"}));
  EXPECT_EQ(readings[1].form.anchor, LocationAnchor::MediumRoot);
  EXPECT_EQ(WriteLocation(readings[1].form, {"Other", "b.mp3"}, kListFolder, kMedium), "Other\\b.mp3");
  EXPECT_EQ(ReadLocation("./a.mp3", {}, kMedium).size(), 1u) << "in the root both are one";
  EXPECT_EQ(WriteLocation(LocationForm{}, {"Lists", "b.mp3"}, kListFolder, kMedium), "../b.mp3");
  EXPECT_EQ(WriteLocation(LocationForm{}, {"Lists", "Evening", "c.mp3"}, kListFolder, kMedium), "c.mp3");
}

TEST(PlaylistLocationTest, PlacesOffTheMediumNameNothing) {
  for (const std::string location :
       {"http://stream.example.org/live.mp3", "rtsp://example.org/a", "C:\\Users\\ana\\Music\\a.mp3", "D:/a.mp3",
        "\\\\server\\share\\a.mp3", "file:///home/ana/a.mp3", "file://laptop/Music/a.mp3", "../../../a.mp3"})
    EXPECT_TRUE(ReadLocation(location, kListFolder, kMedium).empty()) << location;
}

}  // namespace
}  // namespace wmdm_standin
