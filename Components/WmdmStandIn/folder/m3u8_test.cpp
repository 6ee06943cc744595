#include "m3u8.h"

#include <gtest/gtest.h>

namespace wmdm_standin {
namespace {

std::vector<std::string> Locations(const M3uText& text) {
  std::vector<std::string> locations;
  for (const M3uPiece& piece : text.pieces)
    if (piece.entry) locations.push_back(piece.location);
  return locations;
}

TEST(M3u8Test, ReadsWhatPlayersAndProgramsWriteAndKeepsEveryByte) {
  struct Case { const char* what; std::string text; std::vector<std::string> paths; };
  const Case cases[] = {
      {"plain, LF", "#EXTM3U\n#EXTINF:61,A - B\nMusic/a.mp3\nMusic/b.mp3\n", {"Music/a.mp3", "Music/b.mp3"}},
      {"CRLF and no final line end", "#EXTM3U\r\nMusic/a.mp3\r\nMusic/b.mp3", {"Music/a.mp3", "Music/b.mp3"}},
      {"byte-order mark", "\xEF\xBB\xBF#EXTM3U\nMusic/\xC3\xA9t\xC3\xA9.mp3\n", {"Music/\xC3\xA9t\xC3\xA9.mp3"}},
      {"no header, comments, blanks, spaces", "\n# made by hand\n  /abs/a.mp3  \n\n\\Music\\b.mp3\n",
       {"/abs/a.mp3", "\\Music\\b.mp3"}},
      {"lone CR line ends", "#EXTM3U\ra.mp3\rb.mp3\r", {"a.mp3", "b.mp3"}},
      {"Windows-1252", "#EXTM3U\r\nCaf\xE9 \x80\\D\xE9j\xE0.mp3\r\n", {"Caf\xC3\xA9 \xE2\x82\xAC\\D\xC3\xA9j\xC3\xA0.mp3"}},
      {"empty", "", {}},
      {"only a mark", "\xEF\xBB\xBF", {}},
      {"info without a path", "#EXTM3U\n#EXTINF:3,x\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const M3uText text = ReadM3u(c.text);
    EXPECT_EQ(Locations(text), c.paths);
    EXPECT_EQ(text.Bytes(), c.text);
  }
}

TEST(M3u8Test, DirectivesJustAboveALocationBelongToItsEntry) {
  const M3uText text =
      ReadM3u("#EXTM3U\n#EXTINF:61,Artist - Title\n#EXTVLCOPT:start-time=5\na.mp3\nb.mp3\n#EXTINF:bad,X\n"
              "# a comment\nc.mp3\n#EXTINF:-5,Y\nd.mp3\n");
  std::vector<std::string> pieces;
  for (const M3uPiece& piece : text.pieces) pieces.push_back(piece.bytes);
  EXPECT_EQ(pieces, (std::vector<std::string>{"#EXTM3U\n", "#EXTINF:61,Artist - Title\n#EXTVLCOPT:start-time=5\na.mp3\n",
                                              "b.mp3\n", "#EXTINF:bad,X\n", "# a comment\n", "c.mp3\n",
                                              "#EXTINF:-5,Y\nd.mp3\n"}));
  EXPECT_EQ(text.pieces[1].seconds, 61);
  EXPECT_EQ(text.pieces[1].title, "Artist - Title");
  EXPECT_EQ(text.pieces[2].title, "");
  EXPECT_EQ(text.pieces[6].seconds, -1) << "a negative length is no length";
}

TEST(M3u8Test, NewAndMovedEntriesFollowTheTextsOwnForm) {
  struct Case { const char* what; std::string text; std::string location; std::string expected; };
  const Case cases[] = {
      {"UTF-8, LF; a title on one line", "#EXTM3U\nold.mp3", "\xC3\xA9.mp3",
       "#EXTM3U\nold.mp3\n#EXTINF:61,A - Two  lines and  bell\n\xC3\xA9.mp3\n"},
      {"CRLF", "#EXTM3U\r\n", "x.mp3", "#EXTM3U\r\n#EXTINF:61,A - Two  lines and  bell\r\nx.mp3\r\n"},
      {"Windows-1252 that holds it", "#EXTM3U\r\nCaf\xE9.mp3\r\n", "\xC3\xA9\xE2\x82\xAC.mp3",
       "#EXTM3U\r\nCaf\xE9.mp3\r\n#EXTINF:61,A - Two  lines and  bell\r\n\xE9\x80.mp3\r\n"},
      {"Windows-1252 that does not: UTF-8 with a mark", "Caf\xE9.mp3\n", "\xE6\x97\xA5.mp3",
       "\xEF\xBB\xBF" "Caf\xC3\xA9.mp3\n#EXTINF:61,A - Two  lines and  bell\n\xE6\x97\xA5.mp3\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    M3uText text = ReadM3u(c.text);
    // Every control character (CR, LF, tab, C1's NEL, BEL) is a space in the title.
    text.pieces.push_back(NewM3uEntry(&text, c.location, "A - Two\r\nlines\tand\xC2\x85\x07" "bell", 61));
    EXPECT_EQ(text.Bytes(), c.expected);
  }
}

TEST(M3u8Test, RelocatingAnEntryKeepsItsDirectives) {
  M3uText text = ReadM3u("#EXTM3U\r\n#EXTINF:5,Bell\r\n#EXTVLCOPT:stop-time=3\r\n..\\Music\\a.mp3");
  Relocate(&text, &text.pieces[1], "..\\Music\\b.mp3");
  EXPECT_EQ(text.Bytes(), "#EXTM3U\r\n#EXTINF:5,Bell\r\n#EXTVLCOPT:stop-time=3\r\n..\\Music\\b.mp3");
  text.pieces.push_back(text.pieces[0]);
  EXPECT_EQ(text.Bytes(), "#EXTM3U\r\n#EXTINF:5,Bell\r\n#EXTVLCOPT:stop-time=3\r\n..\\Music\\b.mp3\r\n#EXTM3U\r\n")
      << "a piece no longer last gets its line end";
}

TEST(M3u8Test, WritesAnInfoLineBeforeEveryPath) {
  const std::vector<M3u8Entry> entries = {{"Music/a b.mp3", "A - B", 61}, {"Music/\xC3\xA9.wav", "", -1}};
  EXPECT_EQ(WriteM3u8(entries), "#EXTM3U\n#EXTINF:61,A - B\nMusic/a b.mp3\n#EXTINF:-1,\nMusic/\xC3\xA9.wav\n");
}

}  // namespace
}  // namespace wmdm_standin
