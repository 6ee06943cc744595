// The watcher over real directories in a temporary folder: players follow
// the subdirectories of a root and the mount points of a mount table.
#include "hotplug_watcher.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdio>
#include <fstream>
#include <future>

#include "com_support.h"

namespace wmdm_standin {
namespace {

class HotplugWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/md-hotplug-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    base_ = pattern;
    root_ = base_ + "/players";
    outside_ = base_ + "/outside";
    ASSERT_EQ(mkdir(root_.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(outside_.c_str(), 0755), 0);
  }
  void TearDown() override {
    watcher_.reset();
    model_->Events().Flush();
    EXPECT_EQ(LiveComObjects(), 0) << "a stand-in object was not released";
    std::system(("rm -rf '" + base_ + "'").c_str());
  }

  // Players are memory players named after their directory, so that the
  // test sees exactly which directories the watcher served.
  HotplugWatcher::Settings Settings() {
    HotplugWatcher::Settings settings;
    settings.roots = {root_};
    settings.makePlayer = [](PlayerModel& model, const std::string& directory) {
      DeviceDescription description;
      description.name = wide::FromUtf8(directory);
      return model.AddDevice(description);
    };
    return settings;
  }
  void Watch(HotplugWatcher::Settings settings) {
    watcher_ = std::make_unique<HotplugWatcher>(model_, std::move(settings));
    std::string error;
    ASSERT_TRUE(watcher_->Start(&error)) << error;
  }

  // The players the model presents, by name, sorted.
  std::vector<std::string> ModelPlayers() const {
    std::vector<std::string> names;
    for (const auto& device : model_->PresentDevices()) names.push_back(wide::ToUtf8(device->description.name));
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Paths(std::vector<std::string> names) const {
    for (std::string& name : names) name = root_ + "/" + name;
    return names;
  }
  void ExpectPlayers(const std::vector<std::string>& paths, int line) {
    SCOPED_TRACE(testing::Message() << "checked at line " << line);
    ASSERT_TRUE(watcher_->Settle());
    EXPECT_EQ(watcher_->Players(), paths);
    EXPECT_EQ(ModelPlayers(), paths);
  }

  std::shared_ptr<PlayerModel> model_ = PlayerModel::Create();
  std::unique_ptr<HotplugWatcher> watcher_;
  std::string base_, root_, outside_;
};

TEST_F(HotplugWatcherTest, PlayersFollowTheSubdirectoriesOfARoot) {
  ASSERT_EQ(mkdir((root_ + "/Already").c_str(), 0755), 0);
  Watch(Settings());
  ExpectPlayers(Paths({"Already"}), __LINE__);

  struct Step { const char* what; std::string command; std::vector<std::string> players; } steps[] = {
      {"created", "mkdir '%R/Walkman' '%R/Card'", {"Already", "Card", "Walkman"}},
      {"removed", "rmdir '%R/Already'", {"Card", "Walkman"}},
      {"moved in from elsewhere", "mkdir '%O/Phone' && mv '%O/Phone' '%R/Phone'", {"Card", "Phone", "Walkman"}},
      {"moved out", "mv '%R/Card' '%O/Card'", {"Phone", "Walkman"}},
      {"renamed in place", "mv '%R/Walkman' '%R/Walkman 2'", {"Phone", "Walkman 2"}},
      {"files, dot-folders and nested folders are no players",
       "touch '%R/notes.txt' && mkdir '%R/.Trash-1000' '%R/Phone/Music'", {"Phone", "Walkman 2"}},
      {"a non-ASCII name", "mkdir '%R/Plattenspieler \xc3\xa9t\xc3\xa9'", {"Phone", "Plattenspieler \xc3\xa9t\xc3\xa9", "Walkman 2"}},
      {"removed with content", "rm -rf '%R/Phone'", {"Plattenspieler \xc3\xa9t\xc3\xa9", "Walkman 2"}},
      {"the root itself going away", "rm -rf '%R'", {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    std::string command = step.command;
    for (size_t at; (at = command.find("%R")) != std::string::npos;) command.replace(at, 2, root_);
    for (size_t at; (at = command.find("%O")) != std::string::npos;) command.replace(at, 2, outside_);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ExpectPlayers(Paths(step.players), __LINE__);
  }
}

TEST_F(HotplugWatcherTest, ARootThatCannotBeWatchedIsRefused) {
  HotplugWatcher::Settings settings = Settings();
  settings.roots = {base_ + "/missing"};
  HotplugWatcher watcher(model_, settings);
  std::string error;
  EXPECT_FALSE(watcher.Start(&error));
  EXPECT_NE(error.find(base_ + "/missing"), std::string::npos) << error;
  EXPECT_TRUE(model_->PresentDevices().empty());
}

TEST_F(HotplugWatcherTest, MountPointsBelowTheDesktopPlacesArePlayers) {
  const std::string table = base_ + "/mountinfo";
  const std::string place = base_ + "/media/ann";
  auto writeTable = [&](const std::vector<std::string>& mounts) {
    std::ofstream out(table, std::ios::trunc);
    out << "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n";
    for (const std::string& mount : mounts) out << "41 29 8:17 / " << mount << " rw,nosuid - vfat /dev/sdb1 rw\n";
  };
  writeTable({place + "/STICK", "/mnt/elsewhere"});
  HotplugWatcher::Settings settings = Settings();
  settings.roots.clear();
  settings.mountPlaces = {place};
  settings.mountTable = table;
  Watch(settings);
  ExpectPlayers({place + "/STICK"}, __LINE__);

  writeTable({place + "/STICK", place + "/SD\\040CARD"});
  ExpectPlayers({place + "/SD CARD", place + "/STICK"}, __LINE__);
  writeTable({place + "/SD\\040CARD"});
  ExpectPlayers({place + "/SD CARD"}, __LINE__);
  writeTable({});
  ExpectPlayers({}, __LINE__);
}

TEST_F(HotplugWatcherTest, StoppingLeavesThePlayersAndWatchesNoMore) {
  ASSERT_EQ(mkdir((root_ + "/A").c_str(), 0755), 0);
  Watch(Settings());
  ExpectPlayers(Paths({"A"}), __LINE__);
  watcher_->Stop();
  EXPECT_FALSE(watcher_->Settle(100));
  ASSERT_EQ(mkdir((root_ + "/B").c_str(), 0755), 0);
  usleep(100 * 1000);
  EXPECT_EQ(ModelPlayers(), Paths({"A"}));
}

TEST_F(HotplugWatcherTest, ADirectoryThatCannotBeServedIsTriedAgainLater) {
  int refusals = 1;
  HotplugWatcher::Settings settings = Settings();
  const auto make = settings.makePlayer;
  settings.makePlayer = [&](PlayerModel& model, const std::string& directory) -> ObjectId {
    if (refusals > 0) {
      --refusals;
      return 0;
    }
    return make(model, directory);
  };
  Watch(settings);
  ASSERT_EQ(mkdir((root_ + "/Busy").c_str(), 0755), 0);
  ExpectPlayers({}, __LINE__);
  ASSERT_EQ(mkdir((root_ + "/Other").c_str(), 0755), 0);
  ExpectPlayers(Paths({"Busy", "Other"}), __LINE__);
}

// Changes the kernel had no room to queue are found by reading every root
// again: here the changes to a second root are lost while the watcher is
// held in making a player and a burst of files fills its queue.
TEST_F(HotplugWatcherTest, AnOverflowedQueueReadsEveryRootAgain) {
  long limit = 0;
  std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
  if (limit <= 0 || limit > 100000) GTEST_SKIP() << "inotify queue limit " << limit;
  const std::string quiet = base_ + "/quiet";
  ASSERT_EQ(mkdir(quiet.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((quiet + "/Gone").c_str(), 0755), 0);

  std::promise<void> held, release;
  std::shared_future<void> released = release.get_future().share();
  HotplugWatcher::Settings settings = Settings();
  settings.roots.push_back(quiet);
  const auto make = settings.makePlayer;
  settings.makePlayer = [&, released](PlayerModel& model, const std::string& directory) {
    if (directory == root_ + "/Hold") {
      held.set_value();
      released.wait();
    }
    return make(model, directory);
  };
  Watch(settings);
  ExpectPlayers({quiet + "/Gone"}, __LINE__);

  ASSERT_EQ(mkdir((root_ + "/Hold").c_str(), 0755), 0);
  held.get_future().wait();
  const std::string file = root_ + "/burst";
  for (long i = 0; i <= limit / 2; ++i) {
    const int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_EQ(unlink(file.c_str()), 0);
  }
  ASSERT_EQ(rmdir((quiet + "/Gone").c_str()), 0);
  ASSERT_EQ(mkdir((quiet + "/New").c_str(), 0755), 0);
  release.set_value();
  ExpectPlayers({root_ + "/Hold", quiet + "/New"}, __LINE__);
}

}  // namespace
}  // namespace wmdm_standin
