#include "m3u8.h"

#include <gtest/gtest.h>

namespace wmdm_standin {
namespace {

TEST(M3u8Test, ReadsWhatPlayersAndProgramsWrite) {
  struct Case { const char* what; std::string text; std::vector<std::string> paths; };
  const Case cases[] = {
      {"plain, LF", "#EXTM3U\n#EXTINF:61,A - B\nMusic/a.mp3\nMusic/b.mp3\n", {"Music/a.mp3", "Music/b.mp3"}},
      {"CRLF and no final line end", "#EXTM3U\r\nMusic/a.mp3\r\nMusic/b.mp3", {"Music/a.mp3", "Music/b.mp3"}},
      {"byte-order mark", "\xEF\xBB\xBF#EXTM3U\nMusic/\xC3\xA9t\xC3\xA9.mp3\n", {"Music/\xC3\xA9t\xC3\xA9.mp3"}},
      {"no header, comments, blanks, spaces", "\n# made by hand\n  /abs/a.mp3  \n\n\\Music\\b.mp3\n",
       {"/abs/a.mp3", "\\Music\\b.mp3"}},
      {"lone CR line ends", "#EXTM3U\ra.mp3\rb.mp3\r", {"a.mp3", "b.mp3"}},
      {"empty", "", {}},
      {"only a mark", "\xEF\xBB\xBF", {}},
      {"info without a path", "#EXTM3U\n#EXTINF:3,x\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> paths;
    for (const M3u8Entry& entry : ParseM3u8(c.text)) paths.push_back(entry.path);
    EXPECT_EQ(paths, c.paths);
  }
}

TEST(M3u8Test, InfoLinesGoWithTheNextPathOnly) {
  const auto entries =
      ParseM3u8("#EXTM3U\n#EXTINF:61,Artist - Title\na.mp3\nb.mp3\n#EXTINF:bad,X\nc.mp3\n#EXTINF:-5,Y\nd.mp3\n");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].seconds, 61);
  EXPECT_EQ(entries[0].title, "Artist - Title");
  EXPECT_EQ(entries[1].seconds, -1);
  EXPECT_EQ(entries[1].title, "");
  EXPECT_EQ(entries[2].seconds, -1);
  EXPECT_EQ(entries[2].title, "X");
  EXPECT_EQ(entries[3].seconds, -1) << "a negative length is no length";
}

TEST(M3u8Test, WritesAnInfoLineBeforeEveryPath) {
  const std::vector<M3u8Entry> entries = {{"Music/a b.mp3", "A - B", 61}, {"Music/\xC3\xA9.wav", "", -1}};
  EXPECT_EQ(WriteM3u8(entries), "#EXTM3U\n#EXTINF:61,A - B\nMusic/a b.mp3\n#EXTINF:-1,\nMusic/\xC3\xA9.wav\n");
}

}  // namespace
}  // namespace wmdm_standin
