// A medium whose content is a directory on this machine: the model's tree is
// read from it when the player is added, and every edit is made on the files
// before the tree follows.
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "content_store.h"
#include "no_replace_rename.h"
#include "player_model.h"

namespace wmdm_standin {

class PlaylistFile;

class FolderStore final : public ContentStore {
 public:
  explicit FolderStore(std::string root) : root_(std::move(root)) {}
  // New files not yet flushed are made durable when the player goes away.
  ~FolderStore() override;

  // Lists the directory into the medium whose root storage is `mediumRoot`:
  // folders and files with their names, sizes, dates and attributes, and the
  // playlists' entries. Tags are read when first asked for.
  void Scan(PlayerModel& model, ObjectId mediumRoot);

  ULONGLONG TotalSize(const ModelMedium& medium) const override;
  ULONGLONG FreeSpace(const ModelMedium& medium) const override;
  HRESULT CheckName(const WString& name) const override;
  HRESULT CheckReachable() const override;
  HRESULT CheckReachableWithRoom(const ModelMedium& medium, bool fresh, ULONGLONG* room) const override;
  HRESULT Create(const ModelObject& parent, const NewObject& request, const ModelObject* replaced,
                 ModelObject* object) override;
  HRESULT Remove(const ModelObject& object) override;
  HRESULT Rename(const ModelObject& object, const WString& newName) override;
  HRESULT Erase(const ModelMedium& medium) override;
  HRESULT SaveReferences(const ModelObject& playlist, const std::vector<const ModelObject*>& entries) override;
  HRESULT SaveTags(const ModelObject& object, const std::vector<ModelTag>& tags) override;
  void LoadDetails(ModelObject& object) override;
  void LoadFormat(ModelObject& object) override;

  // The file of a stored object.
  std::string PathOf(const ModelObject& object) const;

  // Makes every write to a new file fail with "no space left" once this many
  // bytes were written by the process's folder players (negative: never), as
  // a full medium would.
  static void LimitWritesForTesting(long long bytes);

  // Files changed by other programs: a folder is read again when it is
  // listed or searched after its modification time changed; a call on an
  // object checks the object's folder at most once in this interval
  // (default 100 ms, 0: every call).
  void CatchUp(PlayerModel& model, const ModelObject& object, bool listing) override;
  // A lookup by name in a folder that changed looks at that name alone: the
  // model's child still there with its size, or no such file, is answered
  // without reading the folder (the next listing catches up with the rest).
  void CatchUpName(PlayerModel& model, const ModelObject& folder, const WString& name) override;
  static void SetRecheckIntervalForTesting(std::chrono::milliseconds interval);

 private:
  // Lists the folder `top` (at `topPath`) and all below it into the model,
  // passing over the names in `known` that the model holds already.
  void ScanFolder(PlayerModel& model, ObjectId top, const std::string& topPath, const std::set<WString>& known);
  void NoteFolderSeen(ObjectId folder, const std::string& path);
  // An edit of the store's own changes its folder's time. When the folder
  // was as last read just before the edit (SeenAsIs), NoteOwnChange right
  // after it takes the new time as read, so the edit alone does not make the
  // folder be read again; a change by another program between the two
  // would have to fall in those microseconds and the same tick of the clock.
  bool SeenAsIs(ObjectId folder, const std::string& path) const;
  void NoteOwnChange(ObjectId folder, const std::string& path);
  void CatchUpFolder(PlayerModel& model, const ModelObject& folder);
  // True when the folder's time is the one it had when it was read, and no
  // change could hide in the same tick; `info` is what stat said.
  bool Unchanged(const ModelObject& folder, const struct stat& info) const;
  HRESULT RemoveFiles(const ModelObject& object);
  HRESULT CreateFiles(const ModelObject& parent, const NewObject& request, const ModelObject* replaced,
                      ModelObject* object);
  // `result`, unless it failed because the medium is gone: then that.
  HRESULT Answer(HRESULT result) const;
  HRESULT SavePlaylistText(const PlaylistFile& file);
  // Copies the source into `folder` as `path`, replacing the file there when
  // `replace`; `object` gets what the copy holds (size, time, format, tags).
  HRESULT CopyInto(const ModelObject& parent, const std::string& path, const NewObject& request, bool replace,
                   ModelObject* object);
  void RewritePlaylistsAfterRename(const ModelObject& renamed, const WString& newName);
  // Whether the object and its folders are named in the model as on disk.
  bool ShownAsOnDisk(const ModelObject& object) const;
  // The room as last read is no longer taken (a failed edit), or is less
  // by what a send wrote.
  void ForgetRoom() const;
  void NoteWritten(ULONGLONG bytes) const;

  std::string root_;
  // Whether the medium's file system refused the no-replace rename: a
  // player's folder is one file system, and a send renames every file.
  NoReplaceMemo noReplace_;
  // The most bytes of UTF-8 a name may take on the folder's file system (0:
  // none beyond the player's own rule, as on FUSE mounts; -1: not read yet).
  mutable std::atomic<long> nameBytesLimit_{-1};
  // The real bytes of the names that are shown escaped (not UTF-8, or
  // holding a "\"), by object.
  std::unordered_map<ObjectId, std::string> diskNames_;
  // The model whose medium this is; it owns the store.
  std::weak_ptr<const PlayerModel> model_;
  // Each listed folder's modification time when it was read, and whether a
  // change made in the same tick of the file system's clock could hide.
  struct FolderSeen {
    timespec modified = {};
    bool unsure = false;
  };
  std::map<ObjectId, FolderSeen> seen_;
  // The play time a track's first headers gave when its format was read,
  // with the file's size then, until its tags are read.
  std::unordered_map<ObjectId, std::pair<ULONGLONG, unsigned long long>> headerPlayTimes_;
  // The medium's free bytes as last read, when, and what this store wrote
  // since. A statvfs is a round trip to the FUSE process of a card (about a
  // tenth of a millisecond, as much as the rest of a small track's send), so
  // a sync's sends share one look for a moment. A write that finds the medium
  // fuller than that still fails whole, and keeps nothing.
  struct RoomSeen {
    std::mutex mutex;
    ULONGLONG room = 0;
    std::chrono::steady_clock::time_point at;
    bool known = false;
  };
  mutable RoomSeen roomSeen_;
  long long timestampStep_ = 0;  // nanoseconds; 0 until the file system was asked
  std::atomic<long long> lastRecheck_{-1'000'000};  // milliseconds of the coarse monotonic clock
};

// The name of the optional file of device facts at a player's root; it is
// not listed among the player's files.
inline constexpr char kPlayerFactsFile[] = "player.json";

}  // namespace wmdm_standin
