// What mdhost's device commands set up around the plug-in, as a music-library
// application would: COM on this thread, the registry facts (.reg files in a
// sandbox), the host settings store serving a manifest, the WMDM stand-in over
// a player model, the plug-in module, Initialize and the host callback.
#pragma once

#include <windows.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host_support/class_object_registration.h"
#include "host_support/host_callback.h"
#include "host_support/player_watch.h"
#include "host_support/plugin_module.h"
#include "host_support/reg_file_loader.h"
#include "host_support/registry_sandbox.h"
#include "host_support/standin_players.h"
#include "mdhost/command.h"
#include "mdhost/medium_location.h"
#include "mdhost/play_times.h"

class HostSession {
 public:
  HostSession() = default;
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;
  // Shuts the plug-in down and undoes the registrations, in reverse order.
  ~HostSession();

  // Reads --players (the stand-in's built-in sample when absent and nothing
  // is watched), --watch-root and --watch-mounts, --manifest, --reg, --plugin
  // and -v, and brings the plug-in up. kExitOk, or the exit
  // status with a message on `errors`: kExitBadInput when an input file is at
  // fault.
  int Open(const CommandLine& line, const char* command, std::ostream& errors);

  // Open, for a command that names a medium: a folder named so is a player
  // for the run; then the devices and their media are listed and the medium
  // found (kExitBadInput with a message when none is listed).
  int OpenOnMedium(const CommandLine& line, const char* command, const std::string& medium, MediumName* found,
                   std::ostream& errors);

  kiMusicDevicePlugin2004* Plugin() const { return plugin_; }
  const std::vector<StandInPlayers::Folder>& Folders() const { return players_->Folders(); }
  HostCallback& Callback() { return callback_; }
  // What the host has seen of its tracks' play times in this session.
  PlayTimes& Times() { return times_; }
  wmdm_standin::PlayerModel& Players() { return players_->Model(); }
  // Lets the folder watch catch up with every change made so far and the
  // stand-in deliver what it sent.
  void Settle();

 private:
  bool comInitialized_ = false;
  std::unique_ptr<RegistrySandbox> sandbox_;
  std::unique_ptr<ClassObjectRegistration> settings_;
  std::unique_ptr<StandInPlayers> players_;
  PlayerWatch watch_;
  PluginModule module_;
  kiMusicDevicePlugin2004* plugin_ = nullptr;
  HostCallback callback_;
  PlayTimes times_;
};
