// How a player's file system tells two names apart. The cards players carry
// (FAT, exFAT) keep a name's case but compare names with case aside, and the
// plug-in finds a name ignoring case on every medium, so a sync that told
// "Song.mp3" from "song.mp3" would send one the player calls already there
// and delete the other.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "sync/sync_player.h"

// `relative` ("Band/Song.mp3") with every letter in upper case, as FAT and
// exFAT compare names: the letters of Latin, Greek and Cyrillic scripts and
// fullwidth Latin; others are left as they are. Two names that fold alike
// are one item on the player.
std::string FoldCase(const std::string& relative);

// The items below TARGET found by name as the player finds them: a name's
// own spelling first, else the item whose name differs in case only (on a
// file system that tells case apart there may be two, and one is taken).
class PlayerNames {
 public:
  using Item = std::pair<const std::string, PlayerItem>;

  explicit PlayerNames(const PlayerTree& tree);

  // The item `relative` names, with the player's spelling of it; null when
  // there is none.
  const Item* Find(const std::string& relative) const;

 private:
  const PlayerTree& tree_;
  std::map<std::string, const Item*> folded_;
};
