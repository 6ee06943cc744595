// Media a platform under chaos takes out of a player that stays attached
// (the stand-in's remove-store kind). The session takes such a medium's
// going as a legitimate end of its steps: a step it left half done is judged
// by the invariants alone, and the steps that need it do not run.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include <wide_text.h>

#include "player_model.h"

// The media of the attached players, by id.
struct PresentMedium {
  wmdm_standin::ObjectId device;
  WString name;
};
using PresentMedia = std::map<wmdm_standin::ObjectId, PresentMedium>;

PresentMedia MediaPresent(wmdm_standin::PlayerModel& players);

// The names of the media of `before` gone from a player still attached; a
// player unplugged takes its media along, which is no medium taken out.
std::vector<WString> TakenOutSince(const PresentMedia& before, wmdm_standin::PlayerModel& players);

// True when the player named `device` is attached without its medium named `medium`.
bool IsTakenOut(wmdm_standin::PlayerModel& players, const WString& device, const WString& medium);
