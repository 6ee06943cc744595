// A player backed by a directory on this machine: a mounted music player, a
// memory card or any folder becomes one device with one medium, whose
// folders and files are the directory's own. Linux only.
#pragma once

#include <string>

#include "player_model.h"

namespace wmdm_standin {

// Adds the player kept in `directory` to `model` and returns its device id;
// 0 when the directory cannot be read. Its device facts come from an
// optional "player.json" at the directory's root (one player as the player
// descriptions write it), otherwise from the volume it lives on. Remove it
// with model.RemoveDevice(id).
ObjectId AddFolderPlayer(PlayerModel& model, const std::string& directory,
                         PlayerModel::Presence presence = PlayerModel::Presence::Connected);

// Makes durable what the folder players wrote as new: a new file or folder
// is given its name without waiting for the disk, and this one flush (of
// each player's file system) covers them all. A client calls it before it
// reports its work done; a player going away does it too. S_OK, or the
// failure the file system reported for the writes.
HRESULT FlushFolderPlayers();

}  // namespace wmdm_standin
