// What the page calls a player. A player whose maker the plug-in cannot tell
// gets the vendor "unknown", which its display name then begins with ("unknown
// Pocket" for a folder player named after its volume label or folder): the
// page names it by what the player itself says it is.
#pragma once

#include <string>

struct PlayerName {
  std::string name;   // the heading
  std::string maker;  // empty when the plug-in cannot tell
};

// From the device's DevDisplayName, DevVendorName and DevProductName
// (each empty when not read); `number` names a player that says nothing.
PlayerName NameOfPlayer(const std::string& display, const std::string& vendor, const std::string& product,
                        unsigned long number);
