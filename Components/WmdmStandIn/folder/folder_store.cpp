#include "folder_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <result_macros.h>

#include "audio_format.h"
#include "errno_result.h"
#include "file_writes.h"
#include "m3u8.h"
#include "name_rules.h"
#include "no_replace_rename.h"
#include "pending_writes.h"
#include "playlist_file.h"
#include "safe_remove.h"
#include "tag_edits.h"
#include "shown_names.h"
#include "tagged_copy.h"
#include "temporary_files.h"
#include "track_tags.h"

namespace wmdm_standin {
namespace {

constexpr DWORD kErrorFilenameTooLong = 206;
constexpr DWORD kErrorInvalidName = 123;

WMDMDATETIME DateOf(time_t seconds) {
  struct tm parts = {};
  gmtime_r(&seconds, &parts);
  WMDMDATETIME date = {};
  date.wYear = static_cast<WORD>(parts.tm_year + 1900);
  date.wMonth = static_cast<WORD>(parts.tm_mon + 1);
  date.wDay = static_cast<WORD>(parts.tm_mday);
  date.wHour = static_cast<WORD>(parts.tm_hour);
  date.wMinute = static_cast<WORD>(parts.tm_min);
  date.wSecond = static_cast<WORD>(parts.tm_sec);
  return date;
}

bool IsPlaylistCode(DWORD code) { return code == WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST; }

DWORD FormatCodeTag(const std::vector<ModelTag>& tags) {
  DWORD code = 0;
  for (const ModelTag& tag : tags)
    if (tag.name == g_wszWMDMFormatCode) tag.AsDword(&code);
  return code;
}

bool IsAudioCode(DWORD code) { return code != 0 && !IsPlaylistCode(code); }

DWORD FileAttributesFor(const WString& name, const struct stat& info) {
  DWORD attributes = WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_CANREAD | WMDM_FILE_ATTR_CANMOVE;
  if (IsAudioCode(FormatCodeOfName(name)))
    attributes |= WMDM_FILE_ATTR_AUDIO | WMDM_FILE_ATTR_MUSIC | WMDM_FILE_ATTR_CANPLAY;
  if (info.st_mode & S_IWUSR)
    attributes |= WMDM_FILE_ATTR_CANDELETE | WMDM_FILE_ATTR_CANRENAME;
  else
    attributes |= WMDM_FILE_ATTR_READONLY;
  return attributes;
}

// A name made by a client's playlist ("Run.pla", or "Mix" with no extension
// at all) is kept as given; its text is M3U8 all the same, and the first line
// tells it apart. Only those names are opened, so a listing reads no track.
bool LooksLikePlaylist(const std::string& path, const WString& name) {
  if (IsPlaylistCode(FormatCodeOfName(name))) return true;
  const bool plaName = name.size() >= 4 && wide::EqualsIgnoreCaseAscii(name.substr(name.size() - 4), W(".pla"));
  const bool noExtension = name.find(W('.')) == WString::npos;
  if (!plaName && !noExtension) return false;
  std::ifstream in(path, std::ios::binary);
  char head[10] = {};
  in.read(head, sizeof(head));
  const std::string text(head, static_cast<size_t>(in.gcount()));
  return text.rfind("#EXTM3U", 0) == 0 || text.rfind("\xEF\xBB\xBF#EXTM3U", 0) == 0;
}

// Players find playlists by their extension: a name without one of theirs
// gets ".m3u8", and a ".pla" (another program's kind, which this text is
// not) becomes one.
WString PlaylistFileName(const WString& given) {
  if (IsPlaylistCode(FormatCodeOfName(given))) return given;
  const bool plaName = given.size() > 4 && wide::EqualsIgnoreCaseAscii(given.substr(given.size() - 4), W(".pla"));
  return (plaName ? given.substr(0, given.size() - 4) : given) + W(".m3u8");
}

// A FUSE mount (exfat-fuse, ntfs-3g, a desktop's MTP mount) reports a name
// limit in the units of the file system behind it, UTF-16 units for FAT,
// exFAT and NTFS, not in bytes; the file system itself refuses what it cannot hold.
constexpr long kFuseMagic = 0x65735546;
// How long the free room read from the medium answers for the sends after it.
constexpr auto kRoomSeenFor = std::chrono::milliseconds(500);

HRESULT SyncAndClose(int descriptor) {
  const int synced = fsync(descriptor);
  const int error = errno;
  close(descriptor);
  return synced == 0 ? S_OK : FromErrno(error);
}

HRESULT CloseChecked(int descriptor) { return close(descriptor) == 0 ? S_OK : FromErrno(errno); }

void SyncFolder(const std::string& folder) {
  const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (descriptor < 0) return;
  fsync(descriptor);
  close(descriptor);
}

// Takes `from`'s place as `to`; fails when `to` exists unless `replace`.
HRESULT MoveInto(const std::string& from, const std::string& to, bool replace, NoReplaceMemo* memo) {
  if (replace) return rename(from.c_str(), to.c_str()) == 0 ? S_OK : FromErrno(errno);
  return RenameWithoutReplacing(from, to, memo);
}

// The file's tags edited on a copy that takes the file's place only once it
// is whole and durable: an edit that fails part way (no room, a tag TagLib
// cannot write) leaves the file as it was.
HRESULT RewriteWithTags(const std::string& path, const WString& name, const std::vector<ModelTag>& tags) {
  const int source = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return FromErrno(errno);
  struct stat info = {};
  const std::string folder = path.substr(0, path.find_last_of('/'));
  const std::string temporary = TemporaryPathIn(folder);
  const int target = fstat(source, &info) == 0 ? open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
  if (target < 0) {
    const int error = errno;
    close(source);
    return FromErrno(error);
  }
  const int error = CopyTagged(source, path, target, name, tags);
  close(source);
  HRESULT result = error == ENOTSUP ? WMDM_E_NOTSUPPORTED : error ? FromErrno(error) : S_OK;
  if (SUCCEEDED(result) && fchmod(target, info.st_mode & 07777) != 0) result = FromErrno(errno);
  if (SUCCEEDED(result))
    result = SyncAndClose(target);
  else
    close(target);
  if (SUCCEEDED(result) && rename(temporary.c_str(), path.c_str()) != 0) result = FromErrno(errno);
  if (FAILED(result)) {
    unlink(temporary.c_str());
    return result;
  }
  SyncFolder(folder);
  return S_OK;
}

HRESULT WriteNewFile(const std::string& path, const std::string& text) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (descriptor < 0) return FromErrno(errno);
  if (!WriteAll(descriptor, text.data(), text.size())) {
    const int error = errno;
    close(descriptor);
    unlink(path.c_str());
    return FromErrno(error);
  }
  const HRESULT synced = SyncAndClose(descriptor);
  if (FAILED(synced)) unlink(path.c_str());
  return synced;
}

}  // namespace

void FolderStore::LimitWritesForTesting(long long bytes) { SetWriteBudget(bytes); }

FolderStore::~FolderStore() { FlushPendingWrites(root_); }

namespace {

// `prefix`, then the names from the medium's root down to `object`, each
// after a "/" (none before the first when `prefix` is empty).
std::string JoinNames(const ModelObject& object, const std::string& prefix,
                      const std::unordered_map<ObjectId, std::string>& diskNames) {
  std::vector<const ModelObject*> chain;
  for (const ModelObject* at = &object; at && !at->isRoot;) {
    chain.push_back(at);
    const auto parent = at->parent.lock();
    at = parent.get();
  }
  std::string path = prefix;
  path.reserve(prefix.size() + chain.size() * 24);
  for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
    if (!path.empty()) path += '/';
    const auto disk = diskNames.find((*at)->id);
    path += disk != diskNames.end() ? disk->second : wide::ToUtf8((*at)->name);
  }
  return path;
}

}  // namespace

std::string FolderStore::PathOf(const ModelObject& object) const { return JoinNames(object, root_, diskNames_); }

void FolderStore::Scan(PlayerModel& model, ObjectId mediumRoot) {
  model_ = model.shared_from_this();
  ScanFolder(model, mediumRoot, root_, {});
}

void FolderStore::ScanFolder(PlayerModel& model, ObjectId top, const std::string& topPath,
                             const std::set<WString>& known) {
  std::vector<std::pair<ObjectId, std::string>> playlists;
  std::function<void(ObjectId, const std::string&, bool)> list = [&](ObjectId parent, const std::string& folder,
                                                                      bool atRoot) {
    NoteFolderSeen(parent, folder);
    DIR* directory = opendir(folder.c_str());
    if (!directory) return;
    // Each name with its lower-case form, made once for the sort.
    std::vector<std::pair<std::string, std::string>> entries;
    while (const dirent* entry = readdir(directory)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (IsTemporaryName(name)) {
        RemoveIfLeftOver(folder, name);  // a send killed part way
        continue;
      }
      if (atRoot && name == kPlayerFactsFile) continue;
      std::string lower = name;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      entries.emplace_back(std::move(lower), std::move(name));
    }
    closedir(directory);
    // Directory order is the file system's whim: list by name, case aside.
    std::sort(entries.begin(), entries.end());
    for (const auto& [lower, name] : entries) {
      bool faithful = true;
      const WString wideName = ShownName(name, &faithful);
      if (parent == top && known.count(wideName)) continue;
      const std::string path = folder + "/" + name;
      struct stat info = {};
      // A link to a folder could lead round in a circle: only linked files count.
      if (lstat(path.c_str(), &info) != 0) continue;
      if (S_ISLNK(info.st_mode) && (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))) continue;
      const DWORD hidden = name[0] == '.' ? WMDM_FILE_ATTR_HIDDEN : 0;
      if (S_ISDIR(info.st_mode)) {
        const ObjectId child = model.AddFolder(parent, wideName, DefaultFolderAttributes() | hidden);
        if (!faithful) diskNames_[child] = name;
        if (auto handle = model.HandleById(child); handle.object) handle.object->date = DateOf(info.st_mtime);
        list(child, path, false);
      } else if (S_ISREG(info.st_mode)) {
        FileDescription file;
        file.name = wideName;
        file.size = static_cast<ULONGLONG>(info.st_size);
        file.date = DateOf(info.st_mtime);
        file.attributes = FileAttributesFor(wideName, info) | hidden;
        const bool playlist = LooksLikePlaylist(path, wideName);
        if (playlist)
          file.tags.push_back(ModelTag::Dword(g_wszWMDMFormatCode, WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST));
        else if (const DWORD code = FormatCodeOfName(wideName); IsAudioCode(code)) {
          // The kind is known from the name (as a mass-storage player's is);
          // the format and the tags are read from the file when asked for.
          file.tags.push_back(ModelTag::Dword(g_wszWMDMFormatCode, code));
          file.detailsPending = file.formatPending = true;
        }
        const ObjectId id = model.AddFile(parent, file);
        if (!faithful) diskNames_[id] = name;
        if (playlist && id) playlists.emplace_back(id, path);
      }
    }
  };
  list(top, topPath, topPath == root_);

  // Entries name tracks anywhere on the medium, so they are linked last.
  for (const auto& [id, path] : playlists) {
    const auto playlist = model.HandleById(id).object;
    if (playlist) model.SetPlaylistEntries(id, PlaylistFile(model, *playlist, root_).Targets());
  }
}

ULONGLONG FolderStore::TotalSize(const ModelMedium&) const {
  struct statvfs info = {};
  if (statvfs(root_.c_str(), &info) != 0) return 0;
  return static_cast<ULONGLONG>(info.f_blocks) * info.f_frsize;
}

ULONGLONG FolderStore::FreeSpace(const ModelMedium&) const {
  struct statvfs info = {};
  if (statvfs(root_.c_str(), &info) != 0) return 0;
  return static_cast<ULONGLONG>(info.f_bavail) * info.f_frsize;
}

HRESULT FolderStore::CheckName(const WString& name) const {
  RETURN_IF_FAILED(CheckPlayerName(name));
  // The folder's own file system counts bytes (ext4: 255 of UTF-8), FAT
  // counts UTF-16 units: the name must fit both. The limit is the file
  // system's, fixed while it is mounted: asked once, since each statfs of a
  // FUSE mount is a round trip to its process.
  long limit = nameBytesLimit_.load(std::memory_order_relaxed);
  if (limit < 0) {
    struct statfs volume = {};
    struct statvfs info = {};
    if (statfs(root_.c_str(), &volume) != 0) return S_OK;  // not known now: the file system will tell
    limit = static_cast<long>(volume.f_type) == kFuseMagic || statvfs(root_.c_str(), &info) != 0
                ? 0
                : static_cast<long>(info.f_namemax);
    nameBytesLimit_.store(limit, std::memory_order_relaxed);
  }
  if (limit > 0 && wide::ToUtf8(name).size() > static_cast<size_t>(limit))
    return HRESULT_FROM_WIN32(kErrorFilenameTooLong);
  return S_OK;
}

namespace {

// What a failed look at the medium's root says of the medium.
HRESULT ReachableAfter(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kMediumGone;  // the mount point itself went with the card
    default: {
      const HRESULT result = FromErrno(error);
      return result == kMediumGone ? result : S_OK;  // not a sign of a medium gone: the edit will tell
    }
  }
}

}  // namespace

// statvfs, not stat: the kernel answers a stat of a FUSE mount's root from
// the attributes it keeps for a while after the FUSE process died (a card
// pulled out), but asks the file system itself for every statvfs.
HRESULT FolderStore::CheckReachable() const {
  struct statvfs info = {};
  return statvfs(root_.c_str(), &info) == 0 ? S_OK : ReachableAfter(errno);
}

HRESULT FolderStore::CheckReachableWithRoom(const ModelMedium&, bool fresh, ULONGLONG* room) const {
  std::lock_guard<std::mutex> lock(roomSeen_.mutex);
  const auto now = std::chrono::steady_clock::now();
  if (!fresh && roomSeen_.known && now - roomSeen_.at < kRoomSeenFor) {
    *room = roomSeen_.room;
    return S_OK;
  }
  struct statvfs info = {};
  *room = 0;
  roomSeen_.known = false;
  if (statvfs(root_.c_str(), &info) != 0) return ReachableAfter(errno);
  *room = static_cast<ULONGLONG>(info.f_bavail) * info.f_frsize;
  roomSeen_.room = *room;
  roomSeen_.at = now;
  roomSeen_.known = true;
  return S_OK;
}

HRESULT FolderStore::Answer(HRESULT result) const {
  if (FAILED(result)) ForgetRoom();
  return FAILED(result) && FAILED(CheckReachable()) ? kMediumGone : result;
}

void FolderStore::ForgetRoom() const {
  std::lock_guard<std::mutex> lock(roomSeen_.mutex);
  roomSeen_.known = false;
}

void FolderStore::NoteWritten(ULONGLONG bytes) const {
  std::lock_guard<std::mutex> lock(roomSeen_.mutex);
  roomSeen_.room -= std::min(roomSeen_.room, bytes);
}

HRESULT FolderStore::Create(const ModelObject& parent, const NewObject& request, const ModelObject* replaced,
                            ModelObject* object) {
  const HRESULT result = Answer(CreateFiles(parent, request, replaced, object));
  if (SUCCEEDED(result)) NoteWritten(object->size);
  return result;
}

HRESULT FolderStore::CreateFiles(const ModelObject& parent, const NewObject& request, const ModelObject* replaced,
                                 ModelObject* object) {
  const std::string folder = PathOf(parent);
  // What replaces a file takes its place under its name, as a file system
  // that ignores case keeps it; on one that does not, the name asked for
  // would leave the old file beside the new one, unseen.
  const std::string path = replaced ? PathOf(*replaced) : folder + "/" + wide::ToUtf8(request.name);
  if (request.folder) {
    const bool asSeen = SeenAsIs(parent.id, folder);
    if (mkdir(path.c_str(), 0755) != 0) return FromErrno(errno);
    if (asSeen) NoteOwnChange(parent.id, folder);
    NoteOwnChange(object->id, path);  // empty, as made
    NotePendingWrite(root_);
    return S_OK;
  }
  if (request.sourcePath.empty() && request.bytes.empty()) {
    // An abstract object made from its metadata: a playlist is an empty M3U8.
    const bool playlist = IsPlaylistCode(FormatCodeTag(request.tags));
    const WString name = playlist && !replaced ? PlaylistFileName(request.name) : request.name;
    if (name != request.name) RETURN_IF_FAILED(CheckName(name));
    const std::string target = name != request.name ? folder + "/" + wide::ToUtf8(name) : path;
    const std::string temporary = TemporaryPathIn(folder);
    const std::string text = playlist ? WriteM3u8({}) : std::string();
    RETURN_IF_FAILED(WriteNewFile(temporary, text));
    const HRESULT moved = MoveInto(temporary, target, replaced != nullptr, &noReplace_);
    if (FAILED(moved)) {
      unlink(temporary.c_str());
      return moved == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) ? HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) : moved;
    }
    SyncFolder(folder);
    object->size = text.size();
    object->name = name;
  } else {
    RETURN_IF_FAILED(CopyInto(parent, path, request, replaced != nullptr, object));
  }
  if (replaced) {
    object->name = replaced->name;
    if (const auto disk = diskNames_.find(replaced->id); disk != diskNames_.end()) diskNames_[object->id] = disk->second;
  }
  return S_OK;
}

HRESULT FolderStore::CopyInto(const ModelObject& parent, const std::string& path, const NewObject& request,
                              bool replace, ModelObject* object) {
  const std::string folder = path.substr(0, path.find_last_of('/'));
  const std::string temporary = TemporaryPathIn(folder);
  // Tags go into the copy before it takes its name: a failed send leaves
  // nothing behind, a finished one is whole, tags and all.
  bool asSeen = SeenAsIs(parent.id, folder);
  const int target = open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (target < 0) return FromErrno(errno);
  if (asSeen) NoteOwnChange(parent.id, folder);
  const auto fail = [&](HRESULT result) {
    unlink(temporary.c_str());
    return result;
  };
  int error = 0;
  if (!request.bytes.empty()) {
    error = WriteTagged(request.bytes, target, request.name, request.tags);
  } else {
    const int source = open(wide::ToUtf8(request.sourcePath).c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
      close(target);
      return fail(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    }
    error = CopyTagged(source, wide::ToUtf8(request.sourcePath), target, request.name, request.tags);
    close(source);
  }
  if (error) {
    close(target);
    return fail(error == ENOTSUP ? WMDM_E_NOTSUPPORTED : FromErrno(error));
  }
  // What the copy holds is read back while it is open: its size and time,
  // and an MP3's format and tags (the ones written are what it holds now),
  // where opening it again by name would cost a round trip on a card.
  struct stat written = {};
  const bool sized = fstat(target, &written) == 0;
  std::vector<ModelTag> tags;
  _WAVEFORMATEX format = {};
  const bool audio = IsAudioCode(FormatCodeOfName(request.name));
  const bool details =
      audio && sized && ReadTrackDetailsAt(target, path, request.name, static_cast<unsigned long long>(written.st_size),
                                           &tags, &format);
  // A copy taking an old file's place is durable before the old one goes; a
  // new name replaces nothing, and waits for the one flush of the batch.
  const HRESULT closed = replace ? SyncAndClose(target) : CloseChecked(target);
  if (FAILED(closed)) return fail(closed);
  asSeen = SeenAsIs(parent.id, folder);
  const HRESULT moved = MoveInto(temporary, path, replace, &noReplace_);
  if (FAILED(moved)) return fail(moved == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) ? HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) : moved);
  if (asSeen) NoteOwnChange(parent.id, folder);
  if (replace)
    SyncFolder(folder);
  else
    NotePendingWrite(root_);
  if (sized) {
    object->size = static_cast<ULONGLONG>(written.st_size);
    object->date = DateOf(written.st_mtime);
  }
  object->detailsPending = object->formatPending = audio && !details;
  if (details) {
    // As LoadDetails keeps them: tags the file cannot carry stay as sent.
    for (const ModelTag& kept : object->tags)
      if (std::none_of(tags.begin(), tags.end(), [&](const ModelTag& t) { return t.name == kept.name; }))
        tags.push_back(kept);
    object->tags = std::move(tags);
    object->format = format;
  }
  return S_OK;
}

HRESULT FolderStore::Remove(const ModelObject& object) {
  RETURN_IF_FAILED(Answer(RemoveFiles(object)));
  // The playlists that name what went no longer do; the rest of each stays.
  const auto model = model_.lock();
  if (!model) return S_OK;
  ForEachPlaylist(*object.medium->root, [&](const ModelObject& playlist) {
    if (IsBelowOrSame(playlist, object)) return;
    PlaylistFile file(*model, playlist, root_);
    file.DropEntriesIn(object);
    SavePlaylistText(file);
  });
  return S_OK;
}

HRESULT FolderStore::RemoveFiles(const ModelObject& object) {
  MountMark player;
  if (!MarkOf(root_, &player)) return FromErrno(errno);
  RETURN_IF_FAILED(RemoveTree(PathOf(object), player));
  SyncFolder(PathOf(*object.parent.lock()));
  return S_OK;
}

HRESULT FolderStore::Rename(const ModelObject& object, const WString& newName) {
  const auto parent = object.parent.lock();
  if (!parent) return S_OK;  // the medium's name is the model's alone
  const std::string from = PathOf(object);
  const std::string to = PathOf(*parent) + "/" + wide::ToUtf8(newName);
  RETURN_IF_FAILED(Answer(RenameWithoutReplacing(from, to, &noReplace_)));
  diskNames_.erase(object.id);
  RewritePlaylistsAfterRename(object, newName);
  return S_OK;
}

void FolderStore::RewritePlaylistsAfterRename(const ModelObject& renamed, const WString& newName) {
  // Playlists name their tracks by path: entries naming something at or
  // below the renamed object follow it, each in the form it had.
  const PendingRename rename{&renamed, newName};
  const auto model = model_.lock();
  if (!model) return;
  ForEachPlaylist(*renamed.medium->root, [&](const ModelObject& playlist) {
    PlaylistFile file(*model, playlist, root_, &rename);
    file.FollowRename();
    SavePlaylistText(file);
  });
}

HRESULT FolderStore::Erase(const ModelMedium&) {
  MountMark player;
  if (!MarkOf(root_, &player)) return FromErrno(errno);
  // Everything on the medium goes, listed or not (a dead send's temporary
  // file too); the player's own facts stay.
  RETURN_IF_FAILED(EmptyFolder(root_, player, [](const std::string& name) { return name == kPlayerFactsFile; }));
  SyncFolder(root_);
  return S_OK;
}

HRESULT FolderStore::SavePlaylistText(const PlaylistFile& file) {
  const auto text = file.ChangedText();
  if (!text) return S_OK;
  const std::string& path = file.Path();
  const std::string folder = path.substr(0, path.find_last_of('/'));
  const std::string temporary = TemporaryPathIn(folder);
  RETURN_IF_FAILED(WriteNewFile(temporary, *text));
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    return FromErrno(error);
  }
  return S_OK;
}

bool FolderStore::ShownAsOnDisk(const ModelObject& object) const {
  for (const ModelObject* at = &object; at && !at->isRoot; at = at->parent.lock().get())
    if (diskNames_.count(at->id)) return false;
  return true;
}

HRESULT FolderStore::SaveReferences(const ModelObject& playlist, const std::vector<const ModelObject*>& entries) {
  const auto model = model_.lock();
  if (!model) return E_UNEXPECTED;
  PlaylistFile file(*model, playlist, root_);
  // A playlist line holds a path as text: a name on disk that is not (a CR
  // or LF in it would end the line, a "\" split it, bytes that are not UTF-8
  // name nothing) cannot be written as a new entry. Entries already there
  // keep their own lines.
  const std::vector<ObjectId> kept = file.Targets();
  for (const ModelObject* entry : entries)
    if (!ShownAsOnDisk(*entry) && std::find(kept.begin(), kept.end(), entry->id) == kept.end())
      return HRESULT_FROM_WIN32(kErrorInvalidName);
  file.SetEntries(entries, [this](ModelObject& track) {
    if (!track.detailsPending) return;
    track.detailsPending = false;
    LoadDetails(track);
  });
  return Answer(SavePlaylistText(file));
}

HRESULT FolderStore::SaveTags(const ModelObject& object, const std::vector<ModelTag>& tags) {
  if (object.IsFolder() || !IsAudioCode(FormatCodeOfName(object.name))) return S_OK;
  if (object.attributes & WMDM_FILE_ATTR_READONLY) return E_ACCESSDENIED;
  if (TagEditsOf(tags).empty()) return S_OK;
  return Answer(RewriteWithTags(PathOf(object), object.name, tags));
}

void FolderStore::LoadFormat(ModelObject& object) {
  unsigned long long milliseconds = 0;
  if (ReadAudioFormat(PathOf(object), FormatCodeOfName(object.name), object.size, &object.format, &milliseconds)) {
    // Kept for the tags' reading, which would read the same headers again.
    if (milliseconds && object.detailsPending) headerPlayTimes_[object.id] = {object.size, milliseconds};
    return;
  }
  // A kind whose headers are not read here (WMA, MP4), or a file that does
  // not start as its name says: the full reader answers, tags and all.
  if (object.detailsPending) {
    object.detailsPending = false;
    LoadDetails(object);
  }
}

void FolderStore::LoadDetails(ModelObject& object) {
  const std::string path = PathOf(object);
  object.formatPending = false;
  std::vector<ModelTag> read;
  _WAVEFORMATEX format = {};
  unsigned long long headerMilliseconds = 0;
  if (const auto known = headerPlayTimes_.find(object.id); known != headerPlayTimes_.end()) {
    // Only while the file is the one whose headers were read.
    if (known->second.first == object.size && object.format.nSamplesPerSec) {
      headerMilliseconds = known->second.second;
      format = object.format;
    }
    headerPlayTimes_.erase(known);
  }
  ReadTrackDetails(path, object.name, object.size, &read, &format, headerMilliseconds);
  // The format once answered stays as it was: the headers' unless they were
  // not understood.
  if (object.format.nSamplesPerSec == 0) object.format = format;
  // What the file says wins; tags it cannot carry stay as the model had them.
  for (const ModelTag& kept : object.tags) {
    const bool inFile = std::any_of(read.begin(), read.end(), [&](const ModelTag& t) { return t.name == kept.name; });
    if (!inFile) read.push_back(kept);
  }
  object.tags = std::move(read);
}

}  // namespace wmdm_standin
