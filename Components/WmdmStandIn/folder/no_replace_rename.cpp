#include "no_replace_rename.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <wide_text.h>

#include "errno_result.h"

namespace wmdm_standin {
namespace {

std::atomic<void (*)(const char*)> g_stepHook{nullptr};
std::atomic<bool> g_checkedOnly{false};

void Step(const char* step) {
  if (auto hook = g_stepHook.load()) hook(step);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Whether `folder` lists an entry spelt exactly `name`; a file system that
// ignores case finds `name` by any spelling, but lists only the one it keeps.
bool ListsExactly(const std::string& folder, const std::string& name) {
  DIR* directory = opendir(folder.c_str());
  if (!directory) return true;  // cannot tell: take it as there
  bool found = false;
  while (const dirent* entry = readdir(directory))
    if (name == entry->d_name) {
      found = true;
      break;
    }
  closedir(directory);
  return found;
}

// `to` was found although it is `from` under another case: the file system
// ignores case, and no other entry is spelt as `to`. Inode numbers cannot
// tell (exfat-fuse gives each spelling its own); the case rule is the one
// the card itself folds names by ("élan" and "Élan" are one name there).
bool IsOwnOtherCase(const std::string& from, const std::string& to) {
  const std::string folder = FolderOf(from);
  if (folder != FolderOf(to) || NameOf(from) == NameOf(to)) return false;
  if (!wide::EqualsFolded(wide::FromUtf8(NameOf(from)), wide::FromUtf8(NameOf(to)))) return false;
  return !ListsExactly(folder, NameOf(to));
}

HRESULT PlainRename(const std::string& from, const std::string& to) {
  return rename(from.c_str(), to.c_str()) == 0 ? S_OK : FromErrno(errno);
}

// The folder's lock, held by whoever checks a name and gives it there:
// the players of every process of this machine take it (a lock of the
// kernel's own where the file system keeps none, as FUSE mounts do).
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder)
      : descriptor_(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (descriptor_ < 0) {
      error_ = errno;
      return;
    }
    while (flock(descriptor_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      break;
    }
  }
  ~FolderLock() {
    if (descriptor_ >= 0) close(descriptor_);
  }
  int Error() const { return error_; }

 private:
  int descriptor_ = -1;
  int error_ = 0;
};

// The file system has no no-replace rename: checked and renamed under the
// folder's lock. The finished file or folder changes its name in one
// rename, so a crash at any point leaves either the old name or the new
// one, never a part under the new.
HRESULT RenameCheckedUnderLock(const std::string& from, const std::string& to) {
  FolderLock lock(FolderOf(to));
  if (lock.Error()) return FromErrno(lock.Error());
  struct stat target = {};
  if (lstat(to.c_str(), &target) == 0) {
    if (!IsOwnOtherCase(from, to)) return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  } else if (errno != ENOENT) {
    return FromErrno(errno);
  }
  Step("checked");
  const HRESULT renamed = PlainRename(from, to);
  if (SUCCEEDED(renamed)) Step("named");
  return renamed;
}

}  // namespace

void SetRenameStepHookForTesting(void (*hook)(const char* step)) { g_stepHook = hook; }

void UseCheckedRenameForTesting(bool checked) { g_checkedOnly = checked; }

HRESULT RenameWithoutReplacing(const std::string& from, const std::string& to) {
  return RenameWithoutReplacing(from, to, nullptr);
}

HRESULT RenameWithoutReplacing(const std::string& from, const std::string& to, NoReplaceMemo* memo) {
  if (from == to) return S_OK;  // its own name: nothing to take
  if (g_checkedOnly || (memo && memo->refused.load(std::memory_order_relaxed))) return RenameCheckedUnderLock(from, to);
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return S_OK;
  const int error = errno;
  if (error == EEXIST) return IsOwnOtherCase(from, to) ? PlainRename(from, to) : HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return FromErrno(error);
  Step("refused");
  if (memo) memo->refused.store(true, std::memory_order_relaxed);
  return RenameCheckedUnderLock(from, to);
}

}  // namespace wmdm_standin
