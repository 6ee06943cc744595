#include "sync/sync_source.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "mdhost/player_formats.h"

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kAudioExtensions = {".mp3", ".wma", ".asf", ".wav", ".flac", ".ogg", ".oga",
                                                ".opus", ".m4a", ".mp4", ".aac", ".aif", ".aiff"};
const std::set<std::string> kPlaylistExtensions = {".m3u", ".m3u8"};

std::string Relative(const fs::path& path, const fs::path& root) { return path.lexically_relative(root).generic_u8string(); }

// The entry as a path inside the folder, or empty when it leads outside or
// is no file path (a URL).
std::string EntryInside(const std::string& line, const fs::path& playlistFolder, const fs::path& root) {
  if (line.find("://") != std::string::npos) return std::string();
  std::string written = line;
  std::replace(written.begin(), written.end(), '\\', '/');
  fs::path entry = fs::u8path(written);
  if (entry.is_relative()) entry = playlistFolder / entry;
  const std::string relative = Relative(entry.lexically_normal(), root);
  return relative.empty() || relative.rfind("..", 0) == 0 ? std::string() : relative;
}

SourcePlaylist ReadPlaylist(const fs::path& file, const fs::path& root, const std::set<std::string>& tracks) {
  SourcePlaylist playlist;
  playlist.relative = Relative(file, root);
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  for (const std::string& line : PlaylistLines(text.str())) {
    const std::string inside = EntryInside(line, file.parent_path(), root);
    if (tracks.count(inside))
      playlist.tracks.push_back(inside);
    else
      ++playlist.leftOut;
  }
  return playlist;
}

}  // namespace

std::vector<std::string> PlaylistLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  }
  return lines;
}

bool ReadSourceTree(const std::string& root, SourceTree* tree, std::string* error) {
  std::error_code failed;
  const fs::path base = fs::absolute(fs::u8path(root), failed).lexically_normal();
  if (failed || !fs::is_directory(base, failed)) {
    *error = root + ": not a folder";
    return false;
  }
  std::vector<fs::path> playlists;
  fs::recursive_directory_iterator walk(base, fs::directory_options::skip_permission_denied, failed), end;
  for (; !failed && walk != end; walk.increment(failed)) {
    if (!walk->is_regular_file(failed)) continue;
    const std::string relative = Relative(walk->path(), base);
    const std::string extension = LowerExtension(relative);
    if (kPlaylistExtensions.count(extension)) {
      playlists.push_back(walk->path());
    } else if (kAudioExtensions.count(extension)) {
      SourceTrack track;
      track.relative = relative;
      if (!FindSourceFile(walk->path().u8string(), &track.file)) continue;
      track.size = static_cast<ULONGLONG>(walk->file_size(failed));
      track.modified = static_cast<long long>(walk->last_write_time(failed).time_since_epoch().count());
      tree->tracks.push_back(track);
    } else {
      ++tree->others;
    }
  }
  if (failed) {
    *error = root + ": " + failed.message();
    return false;
  }
  std::sort(tree->tracks.begin(), tree->tracks.end(),
            [](const SourceTrack& a, const SourceTrack& b) { return a.relative < b.relative; });
  std::set<std::string> names;
  for (const SourceTrack& track : tree->tracks) names.insert(track.relative);
  std::sort(playlists.begin(), playlists.end());
  for (const fs::path& playlist : playlists) tree->playlists.push_back(ReadPlaylist(playlist, base, names));
  return true;
}
