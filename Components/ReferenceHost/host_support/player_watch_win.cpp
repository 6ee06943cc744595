#include "host_support/player_watch.h"

struct PlayerWatch::State {};

PlayerWatch::PlayerWatch() : state_(std::make_unique<State>()) {}
PlayerWatch::~PlayerWatch() = default;

bool PlayerWatch::Supported() { return false; }

bool PlayerWatch::Start(const std::shared_ptr<wmdm_standin::PlayerModel>&, const std::vector<std::string>&, bool,
                        std::string* error) {
  *error = "watching folders for players is done on Linux only; on Windows the platform finds the players";
  return false;
}

void PlayerWatch::Stop() {}

void PlayerWatch::Settle() {}
