// Test support: the plug-in over folder players under a watched root of the
// test's own, which appear and disappear as folders are made and removed.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/escape_name.h"
#include "testing/plugin_test_harness.h"
#include "folder_player.h"
#include "hotplug_watcher.h"

class HotplugHarness : public PluginHarness {
 protected:
  void SetUp() override {
    PluginHarness::SetUp();
    char pattern[] = "/tmp/md-hotplug-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    watcher_.reset();
    PluginHarness::TearDown();
    std::system(("rm -rf '" + root_ + "'").c_str());
  }

  // Starts watching the root: each folder below it is a player.
  void Watch() {
    wmdm_standin::HotplugWatcher::Settings settings;
    settings.roots = {root_};
    settings.makePlayer = [](wmdm_standin::PlayerModel& model, const std::string& directory) {
      return wmdm_standin::AddFolderPlayer(model, directory);
    };
    watcher_ = std::make_unique<wmdm_standin::HotplugWatcher>(model_, settings);
    std::string error;
    ASSERT_TRUE(watcher_->Start(&error)) << error;
  }

  // The plug-in's devices by their identity ("DevUniqueID"), sorted.
  std::vector<WString> PluginDevices() {
    std::vector<WString> names;
    for (DWORD number : ListDevices()) names.push_back(StringProperty(number, W("DevUniqueID")));
    std::sort(names.begin(), names.end());
    return names;
  }
  // The same, as the stand-in presents them.
  std::vector<WString> StandInDevices() const {
    std::vector<WString> names;
    for (const auto& device : model_->PresentDevices()) names.push_back(EscapeName(device->knownName));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string root_;
  std::unique_ptr<wmdm_standin::HotplugWatcher> watcher_;
};
