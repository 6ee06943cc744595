#include "host_support/folder_players.h"

bool AddFolderPlayers(wmdm_standin::PlayerModel&, const std::vector<std::string>&, std::string* error,
                      std::vector<wmdm_standin::ObjectId>*) {
  *error = "--player: on Windows the platform itself offers the players in folders";
  return false;
}

// The platform's providers write through to their devices themselves.
bool FlushFolderPlayers(std::string*) { return true; }
