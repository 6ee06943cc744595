// Playlists as M3U text, the form music players and phones read from a
// mass-storage medium: "#EXTM3U", an "#EXTINF" line before each location.
// A text is read into pieces that put together give back its bytes, so an
// edit changes the lines it is about and no other.
#pragma once

#include <string>
#include <vector>

namespace wmdm_standin {

// One entry of a playlist text (its location line and the "#EXT" lines just
// before it that describe it), or one line that is no entry: the header, a
// comment, a blank, a directive that stands apart.
struct M3uPiece {
  std::string bytes;  // as read, line end included
  bool entry = false;
  std::string location;    // an entry's location as UTF-8, spaces around it trimmed
  std::string title;       // from its "#EXTINF:seconds,title"; empty without one
  long long seconds = -1;  // -1: unknown
};

struct M3uText {
  std::string bom;  // a UTF-8 byte-order mark, when the text starts with one
  std::vector<M3uPiece> pieces;
  // Bytes that are not UTF-8 (an older ".m3u"): read, and lines added
  // written, as Windows-1252.
  bool windows1252 = false;
  std::string lineEnd = "\n";  // the first line's end, given to lines added

  // The text's bytes; a piece moved from the end gets a line end.
  std::string Bytes() const;
};

// Takes what players and programs write: a byte-order mark, CRLF, LF or CR
// line ends, comments and blank lines, no "#EXTM3U", Windows-1252. Never
// fails; text that is no playlist has no entries.
M3uText ReadM3u(const std::string& bytes);

// A new entry in the text's encoding and line ends: "#EXTINF:seconds,title"
// (a control character in the title, CR and LF among them, as a space) and
// the location. A text in Windows-1252 that cannot hold the new lines turns
// to UTF-8 with a byte-order mark, every line's meaning kept.
M3uPiece NewM3uEntry(M3uText* text, const std::string& location, const std::string& title, long long seconds);

// Gives an entry another location; its "#EXT" lines stay as they were.
void Relocate(M3uText* text, M3uPiece* entry, const std::string& location);

// The entries of a text, for callers that only read.
struct M3u8Entry {
  std::string path;
  std::string title;
  long long seconds = -1;
};
std::vector<M3u8Entry> ParseM3u8(const std::string& text);

// A whole new playlist: "#EXTM3U", then each entry, "\n" line ends, UTF-8.
std::string WriteM3u8(const std::vector<M3u8Entry>& entries);

}  // namespace wmdm_standin
