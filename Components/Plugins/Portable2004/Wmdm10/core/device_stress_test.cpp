// Players come and go by the hundred while the host lists them and reads their
// properties: nothing may crash, race or leak, and the list settles on what
// is attached.
#include "testing/plugin_test_harness.h"

#include <atomic>
#include <thread>

namespace {

class DeviceStressTest : public PluginHarness {};

TEST_F(DeviceStressTest, ChurnWhileTheHostListsAndReads) {
  Start(true);
  constexpr int kPlayers = 6;
  constexpr int kChanges = 300;
  std::vector<wmdm_standin::ObjectId> ids(kPlayers, 0);
  std::atomic<bool> done{false};
  std::thread churn([&] {
    for (int i = 0; i < kChanges; ++i) {
      const int slot = i % kPlayers;
      if (ids[slot]) {
        model_->RemoveDevice(ids[slot]);
        ids[slot] = 0;
      } else {
        const WString name = W("Player ") + wide::FromUnsigned(i);
        ids[slot] = AddPlayer(SamplePlayer(name, W("player-") + wide::FromUnsigned(i)));
      }
      if (i % 20 == 0) Sleep(50);
    }
    done = true;
  });
  // A player may vanish between listing and asking, so the answers are not
  // checked here, only that asking is safe.
  auto readAll = [this](DWORD number) {
    UniqueBstr text;
    plugin_.GetDevicePropertyString(number, W("DevDisplayName"), text.Put());
    plugin_.GetDevicePropertyString(number, W("DeviceSupportedFileFormats"), text.Put());
    plugin_.GetDevicePropertyString(number, W("DevUniqueID"), text.Put());
    LONG count = 0;
    plugin_.GetDevicePropertyLong(number, W("DevMediaCount"), &count);
    BOOL flag = FALSE;
    plugin_.GetDevicePropertyBool(number, W("DevSupportsPlaylists"), &flag);
  };
  int rounds = 0;
  while (!done || rounds < 3) {
    for (DWORD number : ListDevices()) readAll(number);
    EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
    for (DWORD number = 1; number <= plugin_.DeviceListSize(); ++number) readAll(number);
    ++rounds;
  }
  churn.join();
  model_->Events().Flush();
  Sleep(kWorkerPassMs);
  size_t attached = 0;
  for (auto id : ids) attached += id != 0;
  EXPECT_EQ(ListDevices().size(), attached);
  EXPECT_GT(EventsOf(HostEvent::kDeviceArrived).size(), 0u);
}

}  // namespace
