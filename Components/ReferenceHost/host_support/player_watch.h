// Players that come and go with folders, for a host on Linux: every folder in
// a watched root, and every removable medium the desktop mounts, is a player
// of the stand-in while it exists. On Windows the platform itself serves the
// players it finds, so there is nothing to watch.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "player_model.h"

class PlayerWatch {
 public:
  PlayerWatch();
  ~PlayerWatch();  // stops watching
  PlayerWatch(const PlayerWatch&) = delete;
  PlayerWatch& operator=(const PlayerWatch&) = delete;

  // Whether this platform can watch folders at all.
  static bool Supported();
  // Makes players of what is there now and watches for more. False with a
  // message when a root cannot be watched.
  bool Start(const std::shared_ptr<wmdm_standin::PlayerModel>& model, const std::vector<std::string>& roots,
             bool desktopMounts, std::string* error);
  void Stop();
  // Waits until every change the kernel reported so far is handled, so the
  // players are what is there now.
  void Settle();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
