// Playlists as M3U8 text, the form music players and phones read from a
// mass-storage medium: "#EXTM3U", UTF-8, an "#EXTINF" line before each path.
#pragma once

#include <string>
#include <vector>

namespace wmdm_standin {

struct M3u8Entry {
  std::string path;      // as written: relative or absolute, "/" or "\"
  std::string title;     // from "#EXTINF:seconds,title"; empty without one
  long long seconds = -1;  // -1: unknown
};

// The entries of a playlist text, in order. Takes what players write: a
// byte-order mark, CRLF or LF line ends, comments and blank lines, a file
// without "#EXTM3U". Never fails; text that is no playlist has no entries.
std::vector<M3u8Entry> ParseM3u8(const std::string& text);

// The text of a playlist of these entries, "\n" line ends, no byte-order mark.
std::string WriteM3u8(const std::vector<M3u8Entry>& entries);

}  // namespace wmdm_standin
