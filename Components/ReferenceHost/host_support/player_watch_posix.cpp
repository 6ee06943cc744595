#include "host_support/player_watch.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include "folder_player.h"
#include "hotplug_watcher.h"
#include "mount_table.h"

namespace {

std::string UserName() {
  if (const char* user = getenv("USER"); user && *user) return user;
  if (const passwd* entry = getpwuid(getuid())) return entry->pw_name;
  return std::string();
}

}  // namespace

struct PlayerWatch::State {
  std::unique_ptr<wmdm_standin::HotplugWatcher> watcher;
};

PlayerWatch::PlayerWatch() : state_(std::make_unique<State>()) {}
PlayerWatch::~PlayerWatch() { Stop(); }

bool PlayerWatch::Supported() { return true; }

bool PlayerWatch::Start(const std::shared_ptr<wmdm_standin::PlayerModel>& model,
                        const std::vector<std::string>& roots, bool desktopMounts, std::string* error) {
  wmdm_standin::HotplugWatcher::Settings settings;
  settings.roots = roots;
  settings.makePlayer = [](wmdm_standin::PlayerModel& players, const std::string& directory) {
    return wmdm_standin::AddFolderPlayer(players, directory);
  };
  if (desktopMounts) settings.mountPlaces = wmdm_standin::DesktopMountPlaces(UserName());
  state_->watcher = std::make_unique<wmdm_standin::HotplugWatcher>(model, settings);
  if (state_->watcher->Start(error)) return true;
  state_->watcher.reset();
  return false;
}

void PlayerWatch::Stop() {
  if (state_) state_->watcher.reset();
}

void PlayerWatch::Settle() {
  // Hundreds of folders arriving at once take a while to read under load.
  constexpr unsigned kSettleMs = 60000;
  if (state_ && state_->watcher) state_->watcher->Settle(kSettleMs);
}
