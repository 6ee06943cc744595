#include "host_support/folder_players.h"

#include <cstdio>
#include <cstdint>

#include "folder_player.h"
#include "host_support/input_file.h"

bool AddFolderPlayers(wmdm_standin::PlayerModel& model, const std::vector<std::string>& folders, std::string* error,
                      std::vector<wmdm_standin::ObjectId>* devices) {
  for (const std::string& folder : folders) {
    const wmdm_standin::ObjectId device = wmdm_standin::AddFolderPlayer(model, folder);
    if (!device) {
      *error = ShownName(folder) + ": not a folder that can be read";
      return false;
    }
    if (devices) devices->push_back(device);
  }
  return true;
}

bool FlushFolderPlayers(std::string* error) {
  const HRESULT flushed = wmdm_standin::FlushFolderPlayers();
  if (SUCCEEDED(flushed)) return true;
  char code[16];
  snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(static_cast<uint32_t>(flushed)));
  *error = std::string("the player's file system did not confirm the writes (") + code + ")";
  return false;
}
