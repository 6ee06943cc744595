// The built-in sample: a description of three players that look real, copied
// beside the programs at build time (bin/samples/players.json).
#pragma once

#include <memory>
#include <string>

#include <wide_text.h>

#include "player_model.h"

namespace wmdm_standin {

// bin/samples/players.json beside the running program.
WString BuiltInSamplePath();

// A model of the players described at `path` (the built-in sample when
// empty); null with a message when it cannot be read.
std::shared_ptr<PlayerModel> LoadPlayerModel(const WString& path, std::string* error);

}  // namespace wmdm_standin
