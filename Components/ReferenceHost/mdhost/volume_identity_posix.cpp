#include "mdhost/volume_identity.h"

#include <blkid/blkid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Mount {
  std::string root;   // the part of the file system mounted
  std::string point;  // where
  std::string source;
};

// mountinfo writes a space, tab, newline and backslash in octal ("\040").
std::string Unescape(const std::string& field) {
  std::string text;
  for (size_t at = 0; at < field.size(); ++at) {
    if (field[at] == '\\' && at + 3 < field.size()) {
      text += static_cast<char>(std::strtol(field.substr(at + 1, 3).c_str(), nullptr, 8));
      at += 3;
    } else {
      text += field[at];
    }
  }
  return text;
}

bool Below(const std::string& path, const std::string& point) {
  if (point == "/") return true;
  return path.compare(0, point.size(), point) == 0 && (path.size() == point.size() || path[point.size()] == '/');
}

// The mount that holds `path`: the last one listed whose point is above it
// (a later mount hides an earlier one at the same point).
bool MountOf(const std::string& path, Mount* found) {
  std::ifstream info("/proc/self/mountinfo");
  std::string line;
  bool any = false;
  while (std::getline(info, line)) {
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    size_t dash = 6;
    while (dash < words.size() && words[dash] != "-") ++dash;
    if (words.size() < 5 || dash + 2 >= words.size()) continue;
    const Mount mount{Unescape(words[3]), Unescape(words[4]), Unescape(words[dash + 2])};
    if (!Below(path, mount.point) || (any && mount.point.size() < found->point.size())) continue;
    *found = mount;
    any = true;
  }
  return any;
}

// Asks the device itself (readable by root and the disk group); a desktop
// user's session is told by udev's links instead.
std::string Probe(const std::string& device, const char* tag) {
  char* value = blkid_get_tag_value(nullptr, tag, device.c_str());
  std::string text = value ? value : "";
  free(value);
  return text;
}

std::string Linked(const std::string& device, const char* folder) {
  std::error_code error;
  const fs::path target = fs::canonical(device, error);
  if (error) return std::string();
  for (fs::directory_iterator link(folder, error), end; !error && link != end; link.increment(error))
    if (fs::canonical(link->path(), error) == target && !error) return link->path().filename().string();
  return std::string();
}

}  // namespace

std::string VolumeIdentity(const std::string& folder) {
  char resolved[PATH_MAX];
  if (!realpath(folder.c_str(), resolved)) return std::string();
  const std::string path = resolved;
  Mount mount;
  if (!MountOf(path, &mount) || mount.source.rfind("/dev/", 0) != 0) return std::string();
  std::string inside = mount.root + (mount.point == "/" ? path : path.substr(mount.point.size()));
  if (inside.size() > 1 && inside.compare(0, 2, "//") == 0) inside.erase(0, 1);
  if (inside.empty()) inside = "/";
  std::string uuid = Linked(mount.source, "/dev/disk/by-uuid");
  if (uuid.empty()) uuid = Probe(mount.source, "UUID");
  if (!uuid.empty()) return "uuid:" + uuid + inside;
  std::string label = Probe(mount.source, "LABEL");
  if (label.empty()) label = Linked(mount.source, "/dev/disk/by-label");
  return label.empty() ? std::string() : "label:" + label + inside;
}
