// Players that come and go with directories (Linux): every subdirectory of a
// watched root, and every mount point below the places where desktops mount
// removable media, is a player for as long as it exists. The watcher adds and
// removes them through the player model, so they arrive and leave through the
// same messages as any other player of the model.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "player_model.h"

namespace wmdm_standin {

class HotplugWatcher {
 public:
  // Makes the player of a directory, connected; 0 when it cannot be served.
  using PlayerMaker = std::function<ObjectId(PlayerModel& model, const std::string& directory)>;

  struct Settings {
    std::vector<std::string> roots;        // each subdirectory is a player
    std::vector<std::string> mountPlaces;  // each mount point below is a player
    std::string mountTable = "/proc/self/mountinfo";
    PlayerMaker makePlayer;  // AddFolderPlayer, usually (tests give their own)
  };

  HotplugWatcher(std::shared_ptr<PlayerModel> model, Settings settings);
  ~HotplugWatcher();  // stops watching; the players stay in the model
  HotplugWatcher(const HotplugWatcher&) = delete;
  HotplugWatcher& operator=(const HotplugWatcher&) = delete;

  // Makes players of what is there now and starts the watching thread. False
  // with a message when a root cannot be watched.
  bool Start(std::string* error);
  void Stop();

  // The directories served now, sorted.
  std::vector<std::string> Players() const;
  // Waits until the thread has handled every change the kernel reported
  // before this call, and has read the mount table again. False when it is
  // not running or did not catch up in time.
  bool Settle(unsigned milliseconds = 5000);

 private:
  void Run();
  void ReadRoots(const std::vector<size_t>& roots);
  void ReadMountTable();
  void Reconcile(const std::string& owner, const std::vector<std::string>& present);
  void Add(const std::string& owner, const std::string& directory);
  void Remove(const std::string& directory);

  std::shared_ptr<PlayerModel> model_;
  Settings settings_;
  int inotify_ = -1;
  int mountTable_ = -1;
  int wake_ = -1;  // eventfd: Stop, or a Settle request
  std::map<int, size_t> rootOfWatch_;
  std::string lastMountTable_;

  struct Served {
    std::string owner;  // the root, or "" for a mount point
    ObjectId device = 0;
  };
  mutable std::mutex mutex_;
  std::condition_variable settled_;
  std::map<std::string, Served> players_;
  unsigned long long settleAsked_ = 0, settleDone_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace wmdm_standin
