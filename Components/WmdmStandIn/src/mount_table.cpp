#include "mount_table.h"

#include <algorithm>
#include <iterator>
#include <sstream>

namespace wmdm_standin {

namespace {

// The kernel escapes space, tab, newline and backslash in paths as \ooo.
std::string Unescape(const std::string& field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        text += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    text += field[i];
  }
  return text;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsBelow(const std::string& path, const std::string& place) {
  const std::string prefix = WithoutTrailingSlash(place);
  if (prefix.empty()) return false;
  const std::string withSlash = prefix == "/" ? prefix : prefix + "/";
  return path.size() > withSlash.size() && path.compare(0, withSlash.size(), withSlash) == 0;
}

}  // namespace

std::vector<std::string> DesktopMountPlaces(const std::string& user) {
  if (user.empty() || user.find('/') != std::string::npos) return {};
  return {"/media/" + user, "/run/media/" + user};
}

std::set<std::string> MountPointsBelow(const std::string& mountinfo, const std::vector<std::string>& places) {
  std::set<std::string> found;
  std::istringstream lines(mountinfo);
  std::string line;
  while (std::getline(lines, line)) {
    // id parent major:minor root mountpoint options [optional...] - type source super
    std::istringstream fields(line);
    std::string id, parent, device, root, mountPoint;
    if (!(fields >> id >> parent >> device >> root >> mountPoint)) continue;
    if (line.find(" - ") == std::string::npos) continue;
    const std::string path = WithoutTrailingSlash(Unescape(mountPoint));
    if (path.empty() || path[0] != '/') continue;
    for (const std::string& place : places) {
      if (IsBelow(path, place)) {
        found.insert(path);
        break;
      }
    }
  }
  return found;
}

MountChanges DiffMounts(const std::string& before, const std::string& after, const std::vector<std::string>& places) {
  const std::set<std::string> old = MountPointsBelow(before, places);
  const std::set<std::string> now = MountPointsBelow(after, places);
  MountChanges changes;
  std::set_difference(now.begin(), now.end(), old.begin(), old.end(), std::back_inserter(changes.appeared));
  std::set_difference(old.begin(), old.end(), now.begin(), now.end(), std::back_inserter(changes.vanished));
  return changes;
}

}  // namespace wmdm_standin
