// A medium whose content is a directory on this machine: the model's tree is
// read from it when the player is added, and every edit is made on the files
// before the tree follows.
#pragma once

#include <memory>
#include <string>

#include "content_store.h"
#include "player_model.h"

namespace wmdm_standin {

class PlaylistFile;

class FolderStore final : public ContentStore {
 public:
  explicit FolderStore(std::string root) : root_(std::move(root)) {}

  // Lists the directory into the medium whose root storage is `mediumRoot`:
  // folders and files with their names, sizes, dates and attributes, and the
  // playlists' entries. Tags are read when first asked for.
  void Scan(PlayerModel& model, ObjectId mediumRoot);

  ULONGLONG TotalSize(const ModelMedium& medium) const override;
  ULONGLONG FreeSpace(const ModelMedium& medium) const override;
  HRESULT CheckName(const WString& name) const override;
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

 private:
  HRESULT RemoveFiles(const ModelObject& object);
  HRESULT SavePlaylistText(const PlaylistFile& file);
  HRESULT CopyInto(const std::string& folder, const NewObject& request, const ModelObject* replaced);
  void RewritePlaylistsAfterRename(const ModelObject& renamed, const WString& newName);

  std::string root_;
  // The model whose medium this is; it owns the store.
  std::weak_ptr<const PlayerModel> model_;
};

// The name of the optional file of device facts at a player's root; it is
// not listed among the player's files.
inline constexpr char kPlayerFactsFile[] = "player.json";

}  // namespace wmdm_standin
