#include "host_support/folder_players.h"

#include "folder_player.h"
#include "host_support/input_file.h"

bool AddFolderPlayers(wmdm_standin::PlayerModel& model, const std::vector<std::string>& folders, std::string* error) {
  for (const std::string& folder : folders) {
    if (!wmdm_standin::AddFolderPlayer(model, folder)) {
      *error = ShownName(folder) + ": not a folder that can be read";
      return false;
    }
  }
  return true;
}
