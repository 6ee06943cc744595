#include "e2e/media_taken_out.h"

PresentMedia MediaPresent(wmdm_standin::PlayerModel& players) {
  PresentMedia media;
  auto lock = players.Lock();
  for (const auto& device : players.PresentDevices())
    for (const auto& medium : device->media)
      if (medium->present) media[medium->id] = PresentMedium{device->id, medium->description.name};
  return media;
}

std::vector<WString> TakenOutSince(const PresentMedia& before, wmdm_standin::PlayerModel& players) {
  const PresentMedia now = MediaPresent(players);
  std::map<wmdm_standin::ObjectId, bool> attached;
  for (const auto& device : players.PresentDevices()) attached[device->id] = true;
  std::vector<WString> out;
  for (const auto& [id, medium] : before)
    if (!now.count(id) && attached.count(medium.device)) out.push_back(medium.name);
  return out;
}

bool IsTakenOut(wmdm_standin::PlayerModel& players, const WString& device, const WString& medium) {
  auto lock = players.Lock();
  for (const auto& player : players.PresentDevices()) {
    if (player->description.name != device) continue;
    for (const auto& held : player->media)
      if (held->present && held->description.name == medium) return false;
    return true;
  }
  return false;
}
