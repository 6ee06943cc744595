// A storm of arrivals and removals: the host's list, kept from the callbacks
// and reconciled by a rescan once the notifications go quiet, ends up naming
// exactly the players attached, with and without canonical names.
#include "testing/plugin_test_harness.h"

#include <random>
#include <set>

#include "host_support/device_roster.h"

namespace {

class HostRosterTest : public PluginHarness {
 protected:
  // What the host's list names, read through the plug-in.
  std::multiset<WString> RosterNames(const DeviceRoster& roster) {
    std::multiset<WString> names;
    for (DWORD number : roster.Numbers()) {
      UniqueBstr name;
      EXPECT_EQ(plugin_.GetDevicePropertyString(number, W("DevDisplayName"), name.Put()), S_OK) << number;
      names.insert(name.ToString());
    }
    return names;
  }
};

TEST_F(HostRosterTest, AStormOfArrivalsAndRemovalsEndsInTheAttachedPlayers) {
  constexpr int kPlayers = 40;
  constexpr int kChanges = 2000;
  constexpr DWORD kQuietMs = 1500;  // longer than a worker pass
  std::vector<wmdm_standin::DeviceDescription> players;
  std::vector<wmdm_standin::ObjectId> ids;
  for (int i = 0; i < kPlayers; ++i) {
    const WString name = W("Player ") + wide::FromUnsigned(i);
    players.push_back(SamplePlayer(name, W("player-") + wide::FromUnsigned(i)));
    if (i % 2) {
      // No canonical name: the plug-in names it by name, maker and serial.
      players.back().canonicalName.reset();
      players.back().serial = {static_cast<BYTE>(i)};
    }
    ids.push_back(AddPlayer(players.back()));
  }
  Start(true);
  DeviceRoster roster(kQuietMs);
  roster.Reset(ListDevices());
  size_t seen = callback_.Events().size();

  std::mt19937 random(20040601);
  for (int change = 0; change < kChanges; ++change) {
    const size_t slot = random() % kPlayers;
    if (ids[slot]) {
      model_->RemoveDevice(ids[slot]);
      ids[slot] = 0;
    } else {
      ids[slot] = AddPlayer(players[slot]);
    }
    if (change % 100 == 0) {
      roster.Apply(callback_.Events(), &seen, GetTickCount());
      Sleep(10);
    }
  }
  model_->Events().Flush();
  // The host's loop: apply what arrives, rescan once the burst is over.
  const DWORD start = GetTickCount();
  DWORD quietSince = GetTickCount();
  while (GetTickCount() - start < 20000) {
    const size_t before = seen;
    roster.Apply(callback_.Events(), &seen, GetTickCount());
    if (seen != before) quietSince = GetTickCount();
    if (roster.RescanDue(GetTickCount())) EXPECT_EQ(roster.Rescan(&plugin_, callback_, &seen), S_OK);
    else if (GetTickCount() - quietSince > kQuietMs + kWorkerPassMs) break;
    Sleep(50);
  }

  // Players with a canonical name show it in their display name; one without
  // may not be completed once it has gone and come back, so it is counted.
  std::multiset<WString> named;
  size_t unnamed = 0;
  for (size_t slot = 0; slot < players.size(); ++slot) {
    if (!ids[slot]) continue;
    if (players[slot].canonicalName) named.insert(W("ACME ") + players[slot].name);
    else ++unnamed;
  }
  std::multiset<WString> listedNamed;
  for (const WString& name : RosterNames(roster))
    if (name.compare(0, 12, W("ACME Player ")) == 0 && named.count(name)) listedNamed.insert(name);
  EXPECT_EQ(listedNamed, named);
  EXPECT_EQ(roster.Numbers().size(), named.size() + unnamed);
}

}  // namespace
