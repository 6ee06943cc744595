// Where desktops mount removable media, read from the kernel's table of
// mounts (the text of /proc/self/mountinfo): the mount points below the
// watched places, and what changed between two readings of the table.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace wmdm_standin {

// The places a desktop mounts removable media for `user`: /media/USER and
// /run/media/USER (udisks uses the first or the second, depending on the
// distribution).
std::vector<std::string> DesktopMountPlaces(const std::string& user);

// Every mount point strictly below one of `places`, from mountinfo text.
// Mount points are unescaped (the kernel writes a space as \040); a line that
// is not a mount line is skipped.
std::set<std::string> MountPointsBelow(const std::string& mountinfo, const std::vector<std::string>& places);

struct MountChanges {
  std::vector<std::string> appeared;  // sorted
  std::vector<std::string> vanished;  // sorted
};

// The mount points below `places` that one reading of the table has and the
// other has not.
MountChanges DiffMounts(const std::string& before, const std::string& after, const std::vector<std::string>& places);

}  // namespace wmdm_standin
