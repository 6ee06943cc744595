// A playlist file on a folder player's medium with its entries matched to
// the tracks they name. Each edit changes the entries it is about; every
// other line (comments, directives, URLs, paths to other drives, entries
// naming nothing on the medium yet) stays as it was and where it was.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "m3u8.h"
#include "player_model.h"
#include "playlist_location.h"

namespace wmdm_standin {

// A rename just made on disk, not yet in the model.
struct PendingRename {
  const ModelObject* object = nullptr;
  WString newName;
};

class PlaylistFile {
 public:
  // Reads `playlist`'s file on the medium kept in the folder `mediumPath`,
  // matching entries against the model's tree. With `rename`, the file is
  // read from where that rename put it.
  PlaylistFile(const PlayerModel& model, const ModelObject& playlist, std::string mediumPath,
               const PendingRename* rename = nullptr);

  const std::string& Path() const { return path_; }
  // The tracks the entries name, in order.
  std::vector<ObjectId> Targets() const;

  // The entries become `tracks`, in that order: an entry kept keeps its
  // lines, one moved takes them along, one new is written from the track's
  // tags (`readTags` fills them in first) with a location relative to the
  // playlist's folder.
  void SetEntries(const std::vector<const ModelObject*>& tracks, const std::function<void(ModelObject&)>& readTags);
  // Entries naming `removed`, or anything in it, go.
  void DropEntriesIn(const ModelObject& removed);
  // Entries naming the renamed object, or anything in it, name it under its
  // new name, each in the form it was written in.
  void FollowRename();

  // The new text when an edit changed it.
  std::optional<std::string> ChangedText() const;

 private:
  struct Entry {
    size_t piece;  // in text_.pieces
    const ModelObject* target;  // alive while the model's lock is held
    LocationForm form;
  };
  std::vector<std::string> NamesOf(const ModelObject& object) const;
  void Read(const PlayerModel& model);
  M3uPiece NewEntry(ModelObject& track, const std::function<void(ModelObject&)>& readTags);

  const ModelObject& playlist_;
  std::string mediumPath_;
  const PendingRename* rename_;
  std::string path_;
  std::string original_;
  M3uText text_;
  std::vector<Entry> entries_;
};

// Every playlist on the medium below `root`, the medium's root itself included.
void ForEachPlaylist(const ModelObject& root, const std::function<void(const ModelObject&)>& visit);

bool IsBelowOrSame(const ModelObject& object, const ModelObject& ancestor);

}  // namespace wmdm_standin
