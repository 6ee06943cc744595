// The WMDM stand-in as a host sets it up: players read from a description
// file (the built-in sample, bin/samples/players.json, when none is named),
// offered as the process's device manager for as long as this object lives.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <wide_text.h>

#include "player_model.h"
#include "registration.h"

class StandInPlayers {
 public:
  StandInPlayers() = default;
  StandInPlayers(const StandInPlayers&) = delete;
  StandInPlayers& operator=(const StandInPlayers&) = delete;

  // Loads and registers; COM must be initialised on this thread and stay so
  // until this object is gone. With `folders`, each folder is a player (and
  // the built-in sample is left out unless a description file is named).
  // False with a message; `badInput` tells whether the description file or a
  // folder was at fault.
  bool Open(const std::string& descriptionFile, std::string* error, bool* badInput = nullptr,
            const std::vector<std::string>& folders = {});
  // No players to begin with: they come from watched folders.
  bool OpenEmpty(std::string* error);

  wmdm_standin::PlayerModel& Model() const { return *model_; }
  std::shared_ptr<wmdm_standin::PlayerModel> SharedModel() const { return model_; }
  // The description file the players came from.
  const WString& Source() const { return source_; }

  // A player made from a folder: the folder as given, and the name the
  // platform knows its device by (its canonical name).
  struct Folder {
    std::string path;
    WString deviceName;
  };
  const std::vector<Folder>& Folders() const { return folders_; }

 private:
  std::shared_ptr<wmdm_standin::PlayerModel> model_;
  wmdm_standin::DeviceManagerRegistration registration_;
  WString source_;
  std::vector<Folder> folders_;
};
