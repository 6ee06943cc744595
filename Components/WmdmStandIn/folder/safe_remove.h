// Deleting a player's folders without ever leaving the player: every folder
// below is checked to sit on the player's own mount before anything goes, a
// folder with another file system (or a bind mount) on it is refused, and a
// symbolic link is deleted as a link, never followed.
#pragma once

#include <windows.h>

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

namespace wmdm_standin {

// Which mount a file lies on: its file system's device and the kernel's
// mount id (a bind mount of the same file system has the same device).
struct MountMark {
  dev_t device = 0;
  uint64_t mount = 0;
};

// The mark of `path` itself (a link is not followed); false when it cannot be read.
bool MarkOf(const std::string& path, MountMark* mark);

// What a folder holding another mount answers: nothing was deleted.
HRESULT MountPointRefusal();

// Deletes `path` (a file, a link, or a folder with all it holds). A folder
// holding a mount point anywhere below is refused with MountPointRefusal()
// before anything is deleted.
HRESULT RemoveTree(const std::string& path, const MountMark& player);

// Deletes every entry of the folder `path` for which `keep` answers false,
// after checking all of them as RemoveTree does.
HRESULT EmptyFolder(const std::string& path, const MountMark& player,
                    const std::function<bool(const std::string& name)>& keep);

}  // namespace wmdm_standin
