// A thousand arrivals and removals, of memory players and of folder players
// under a watched root, while the host lists devices, media and items and
// reads properties: nothing may crash, race or leak, and the device list
// settles on the players present.
#include "testing/hotplug_test_harness.h"

#include <unistd.h>

#include <atomic>
#include <thread>

#include "host_sdk/kc_ipp_item.h"

namespace {

class HotplugStormTest : public HotplugHarness {
 protected:
  // A memory player with a track, connected in one arrival.
  wmdm_standin::ObjectId AddTrackPlayer(unsigned serial) {
    const WString number = wide::FromUnsigned(serial);
    const auto id = model_->AddDevice(SamplePlayer(W("Player ") + number, W("storm-") + number),
                                      wmdm_standin::PlayerModel::Presence::Detached);
    wmdm_standin::MediumDescription medium;
    medium.name = W("Internal Memory");
    medium.totalSize = 1 << 30;
    const auto music = model_->AddFolder(model_->AddMedium(id, medium), W("Music"));
    wmdm_standin::FileDescription track;
    track.name = W("one.mp3");
    track.size = 1000;
    track.tags = {wmdm_standin::ModelTag::String(g_wszWMDMTitle, W("One"))};
    model_->AddFile(music, track);
    model_->ConnectDevice(id);
    return id;
  }

  // Everything a host's browser asks of one device. A player may vanish
  // between two calls, so the answers are not checked, only that asking is
  // safe.
  void Browse(DWORD number) {
    UniqueBstr text;
    plugin_.GetDevicePropertyString(number, W("DevDisplayName"), text.Put());
    plugin_.GetDevicePropertyString(number, W("DevUniqueID"), text.Put());
    LONG count = 0;
    plugin_.GetDevicePropertyLong(number, W("DevMediaCount"), &count);
    UniqueBstr location;
    IPPFINDHANDLE media = nullptr;
    if (plugin_.FindFirstMedia(number, location.Put(), &media) != S_OK) return;
    do {
      UniqueBstr value;
      plugin_.GetMediaPropertyString(location.Get(), W("MediaDisplayName"), value.Put());
      LONG free = 0;
      plugin_.GetMediaPropertyLong(location.Get(), W("MediaSpaceFreeLo"), &free);
      for (const WCHAR* folder : {W("\\"), W("\\Music")}) {
        kcIPPItem item;
        IPPFINDHANDLE items = nullptr;
        HRESULT hr = plugin_.FindFirstItem(location.Get(), folder, &item, &items);
        for (int guard = 0; hr == S_OK && guard < 100; ++guard) hr = plugin_.FindNextItem(items, &item);
        if (items) plugin_.FindItemClose(items);
      }
      kcIPPItem track;
      plugin_.GetItemInformation(location.Get(), W("\\Music\\one.mp3"), &track);
    } while (plugin_.FindNextMedia(media, location.Put()) == S_OK);
    plugin_.FindMediaClose(media);
  }
};

TEST_F(HotplugStormTest, AThousandArrivalsAndRemovalsWhileTheHostBrowses) {
  Watch();
  Start(true);

  // Two churns of 503 changes over five slots each: over a thousand, and
  // three players of each kind are left at the end.
  constexpr int kChangesEach = 503;
  constexpr int kSlots = 5;
  std::vector<wmdm_standin::ObjectId> memory(kSlots, 0);
  std::vector<bool> folders(kSlots, false);
  std::atomic<int> running{2};
  std::thread memoryChurn([&] {
    for (int i = 0; i < kChangesEach; ++i) {
      const int slot = i % kSlots;
      if (memory[slot]) {
        model_->RemoveDevice(memory[slot]);
        memory[slot] = 0;
      } else {
        memory[slot] = AddTrackPlayer(static_cast<unsigned>(i));
      }
      if (i % 25 == 0) usleep(20 * 1000);
    }
    --running;
  });
  std::thread folderChurn([&] {
    for (int i = 0; i < kChangesEach; ++i) {
      const int slot = i % kSlots;
      const std::string path = root_ + "/Folder " + std::to_string(slot);
      EXPECT_EQ(folders[slot] ? rmdir(path.c_str()) : mkdir(path.c_str(), 0755), 0) << path;
      folders[slot] = !folders[slot];
      if (i % 25 == 0) usleep(20 * 1000);
    }
    --running;
  });

  int rounds = 0;
  while (running > 0 || rounds < 3) {
    for (DWORD number : ListDevices()) Browse(number);
    EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
    ++rounds;
  }
  memoryChurn.join();
  folderChurn.join();

  ASSERT_TRUE(watcher_->Settle());
  model_->Events().Flush();
  Sleep(kWorkerPassMs);
  size_t present = 0;
  for (int slot = 0; slot < kSlots; ++slot) present += (memory[slot] != 0) + folders[slot];
  EXPECT_EQ(present, 6u);
  EXPECT_EQ(model_->PresentDevices().size(), present);
  EXPECT_EQ(watcher_->Players().size(), static_cast<size_t>(std::count(folders.begin(), folders.end(), true)));
  EXPECT_EQ(PluginDevices(), StandInDevices());
  EXPECT_TRUE(LockIsFree());
  EXPECT_GT(EventsOf(HostEvent::kDeviceArrived).size(), 10u) << "the host heard of too few arrivals";
}

}  // namespace
