// Noticing what other programs did to a folder player's files: a file
// manager's copy, delete or rename shows in the next listing, and a storage
// whose file went answers as a deleted one, so that a client holding it
// looks again.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <algorithm>
#include <atomic>

#include "folder_store.h"
#include "playlist_file.h"
#include "track_tags.h"

namespace wmdm_standin {
namespace {

std::atomic<long long> g_recheckMilliseconds{100};

// FAT keeps times to two seconds; the others to a tick of the kernel's
// coarse clock, a few milliseconds (20 to be safe).
long long TimestampStep(const std::string& path) {
  struct statfs info = {};
  if (statfs(path.c_str(), &info) != 0) return 2'000'000'000LL;
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0x4d44:      // FAT
    case 0x2011BAB0:  // exFAT
    case 0x65735546:  // a FUSE block device (exfat-fuse, ntfs-3g)
      return 2'000'000'000LL;
    default: return 20'000'000LL;
  }
}

long long Nanoseconds(const timespec& time) { return time.tv_sec * 1'000'000'000LL + time.tv_nsec; }

std::set<WString> NamesIn(const std::string& path) {
  std::set<WString> names;
  if (DIR* directory = opendir(path.c_str())) {
    while (const dirent* entry = readdir(directory)) names.insert(wide::FromUtf8(entry->d_name));
    closedir(directory);
  }
  return names;
}

}  // namespace

void FolderStore::SetRecheckIntervalForTesting(std::chrono::milliseconds interval) {
  g_recheckMilliseconds = interval.count();
}

void FolderStore::NoteFolderSeen(ObjectId folder, const std::string& path) {
  struct stat info = {};
  if (stat(path.c_str(), &info) != 0) return;
  if (timestampStep_ == 0) timestampStep_ = TimestampStep(root_);
  timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  // A change made within one step of the time read would keep that time:
  // such a folder is read again next time, whatever its time says.
  seen_[folder] = FolderSeen{info.st_mtim, Nanoseconds(now) - Nanoseconds(info.st_mtim) <= timestampStep_};
}

bool FolderStore::SeenAsIs(ObjectId folder, const std::string& path) const {
  const auto seen = seen_.find(folder);
  struct stat info = {};
  return seen != seen_.end() && !seen->second.unsure && stat(path.c_str(), &info) == 0 &&
         Nanoseconds(seen->second.modified) == Nanoseconds(info.st_mtim);
}

void FolderStore::NoteOwnChange(ObjectId folder, const std::string& path) {
  struct stat info = {};
  if (stat(path.c_str(), &info) == 0) seen_[folder] = FolderSeen{info.st_mtim, false};
}

void FolderStore::CatchUp(PlayerModel& model, const ModelObject& object, bool listing) {
  if (!listing) {
    // A listing's calls come microseconds apart: one look at the folder serves them all.
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    const long long milliseconds = now.tv_sec * 1000LL + now.tv_nsec / 1'000'000;
    const long long interval = g_recheckMilliseconds.load(std::memory_order_relaxed);
    long long last = lastRecheck_.load(std::memory_order_relaxed);
    if (interval > 0 && milliseconds - last < interval) return;
    if (!lastRecheck_.compare_exchange_strong(last, milliseconds)) return;  // another thread looks
  }
  auto lock = model.Lock();
  if (!object.medium->present || object.deleted) return;
  const auto parent = object.parent.lock();
  const ModelObject* folder = listing && object.IsFolder() ? &object : parent.get();
  if (folder) CatchUpFolder(model, *folder);
}

bool FolderStore::Unchanged(const ModelObject& folder, const struct stat& info) const {
  const auto seen = seen_.find(folder.id);
  return seen != seen_.end() && !seen->second.unsure &&
         Nanoseconds(seen->second.modified) == Nanoseconds(info.st_mtim);
}

void FolderStore::CatchUpName(PlayerModel& model, const ModelObject& folder, const WString& name) {
  auto lock = model.Lock();
  if (!folder.medium->present || folder.deleted || !folder.IsFolder()) return;
  struct stat info = {};
  if (stat(PathOf(folder).c_str(), &info) == 0 && Unchanged(folder, info)) return;
  const auto child = model.ChildNamed(folder, name);
  const std::string path = child ? PathOf(*child) : PathOf(folder) + "/" + wide::ToUtf8(name);
  struct stat file = {};
  const bool onDisk = lstat(path.c_str(), &file) == 0;
  if (!child && !onDisk) return;
  if (child && onDisk && (child->IsFolder() || static_cast<ULONGLONG>(file.st_size) == child->size)) return;
  CatchUpFolder(model, folder);
}

void FolderStore::CatchUpFolder(PlayerModel& model, const ModelObject& folder) {
  const std::string path = PathOf(folder);
  struct stat info = {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT && !folder.isRoot) model.ForgetObject(folder.id);
    return;
  }
  if (Unchanged(folder, info)) return;
  const std::set<WString> present = NamesIn(path);
  std::set<WString> known;
  for (const auto& child : std::vector<std::shared_ptr<ModelObject>>(folder.children.Items())) {
    if (!present.count(child->name)) {
      model.ForgetObject(child->id);
      continue;
    }
    known.insert(child->name);
    // A file put in another's place: its size, time, format and tags anew.
    struct stat file = {};
    if (child->IsFolder() || lstat(PathOf(*child).c_str(), &file) != 0) continue;
    if (static_cast<ULONGLONG>(file.st_size) == child->size) continue;
    child->size = static_cast<ULONGLONG>(file.st_size);
    const DWORD code = FormatCodeOfName(child->name);
    if (code != 0 && code != WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST) child->detailsPending = child->formatPending = true;
  }
  const size_t before = folder.children.size();
  ScanFolder(model, folder.id, path, known);
  if (folder.children.size() == before) return;
  // Listed in the order of their names, case aside, as a fresh scan lists them.
  const_cast<ModelObject&>(folder).children.Sort([](const auto& a, const auto& b) {
    return wide::LowerAscii(a->name) < wide::LowerAscii(b->name);
  });
}

}  // namespace wmdm_standin
