// Players kept in folders on this machine (mdhost --player DIR), where the
// stand-in can serve them: on Linux. On Windows the platform's own
// mass-storage provider serves such players, and the option is refused.
#pragma once

#include <string>
#include <vector>

#include "player_model.h"

// Adds one player per folder; false with a message naming the first folder
// that is not one. `devices`, when given, receives each folder's device id
// in the model, in the folders' order.
bool AddFolderPlayers(wmdm_standin::PlayerModel& model, const std::vector<std::string>& folders, std::string* error,
                      std::vector<wmdm_standin::ObjectId>* devices = nullptr);

// Makes what the folder players wrote durable (new files are named without
// waiting for the disk); a command calls it before it reports a send or a
// sync done. False with a message when the file system reported a failure.
bool FlushFolderPlayers(std::string* error);
