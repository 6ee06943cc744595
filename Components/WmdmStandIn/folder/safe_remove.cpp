#include "safe_remove.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include <wide_text.h>

#include "errno_result.h"

namespace wmdm_standin {
namespace {

constexpr DWORD kErrorNotSameDevice = 17;

struct Status {
  MountMark mark;
  mode_t mode = 0;
};

bool StatusAt(int folder, const char* name, Status* entry) {
  struct statx info = {};
  if (statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_MNT_ID, &info) != 0)
    return false;
  entry->mark.device = makedev(info.stx_dev_major, info.stx_dev_minor);
  entry->mark.mount = (info.stx_mask & STATX_MNT_ID) ? info.stx_mnt_id : 0;
  entry->mode = info.stx_mode;
  return true;
}

bool SameMount(const MountMark& a, const MountMark& b) { return a.device == b.device && a.mount == b.mount; }

// The names in an open folder, "." and ".." left out.
bool NamesIn(int folder, std::vector<std::string>* names) {
  const int copy = dup(folder);
  DIR* directory = copy < 0 ? nullptr : fdopendir(copy);
  if (!directory) {
    if (copy >= 0) close(copy);
    return false;
  }
  // The copy shares its position with `folder`, which an earlier walk left at the end.
  rewinddir(directory);
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  closedir(directory);
  return true;
}

class Walk {
 public:
  Walk(const MountMark& player, bool remove) : player_(player), remove_(remove) {}

  // Checks (or deletes) `name` in `folder` and all below it.
  HRESULT Visit(int folder, const std::string& name) {
    Status entry;
    if (!StatusAt(folder, name.c_str(), &entry)) return errno == ENOENT ? S_OK : FromErrno(errno);
    if (!SameMount(entry.mark, player_)) return MountPointRefusal();
    if (!S_ISDIR(entry.mode)) return remove_ && unlinkat(folder, name.c_str(), 0) != 0 ? FromErrno(errno) : S_OK;
    const int child = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child < 0) return FromErrno(errno);
    const HRESULT below = Contents(child);
    close(child);
    if (FAILED(below) || !remove_) return below;
    return unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0 ? S_OK : FromErrno(errno);
  }

  HRESULT Contents(int folder, const std::function<bool(const std::string&)>& keep = nullptr) {
    std::vector<std::string> names;
    if (!NamesIn(folder, &names)) return FromErrno(errno);
    for (const std::string& name : names) {
      if (keep && keep(name)) continue;
      const HRESULT result = Visit(folder, name);
      if (FAILED(result)) return result;
    }
    return S_OK;
  }

 private:
  MountMark player_;
  bool remove_;
};

// Says on the debugger output why nothing was deleted.
HRESULT Explained(HRESULT result, const std::string& path) {
  if (result == MountPointRefusal())
    OutputDebugStringW((W("folder player: ") + wide::FromUtf8(wide::EscapeForDisplay(path)) +
                        W(" holds another file system's mount point; nothing deleted\n"))
                           .c_str());
  return result;
}

// Splits "/a/b/c" into the folder "/a/b" and the name "c".
void SplitLast(const std::string& path, std::string* folder, std::string* name) {
  const size_t slash = path.find_last_of('/');
  *folder = slash == 0 ? std::string("/") : path.substr(0, slash);
  *name = path.substr(slash + 1);
}

}  // namespace

bool MarkOf(const std::string& path, MountMark* mark) {
  Status entry;
  if (!StatusAt(AT_FDCWD, path.c_str(), &entry)) return false;
  *mark = entry.mark;
  return true;
}

HRESULT MountPointRefusal() { return HRESULT_FROM_WIN32(kErrorNotSameDevice); }

HRESULT RemoveTree(const std::string& path, const MountMark& player) {
  std::string folderPath, name;
  SplitLast(path, &folderPath, &name);
  const int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return FromErrno(errno);
  // Everything is looked at before the first deletion.
  HRESULT result = Walk(player, false).Visit(folder, name);
  if (SUCCEEDED(result)) result = Walk(player, true).Visit(folder, name);
  close(folder);
  return Explained(result, path);
}

HRESULT EmptyFolder(const std::string& path, const MountMark& player,
                    const std::function<bool(const std::string& name)>& keep) {
  const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return FromErrno(errno);
  HRESULT result = Walk(player, false).Contents(folder, keep);
  if (SUCCEEDED(result)) result = Walk(player, true).Contents(folder, keep);
  close(folder);
  return Explained(result, path);
}

}  // namespace wmdm_standin
