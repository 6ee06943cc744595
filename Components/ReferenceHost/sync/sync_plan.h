// What mdhost sync is to do, worked out from the computer's folder, what
// TARGET holds on the player and the record of earlier syncs, before
// anything is changed (--dry-run prints it and stops there). Names are
// matched as the player's file system matches them, with case aside. With
// conversion, a track the player does not play is planned under its MP3's
// name, which is what the player and the record of earlier syncs hold.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "sync/sync_player.h"
#include "sync/sync_record.h"
#include "sync/sync_source.h"

struct SyncOptions {
  bool remove = false;     // --delete
  bool playlists = false;  // --playlists
  bool convert = false;    // a track the player does not play goes as MP3
};

// A file or folder of the computer's folder that the player would take for
// another one whose name differs from it in case only: it is held back.
struct CaseTwin {
  std::string relative;
  std::string kept;  // the one sent in its place
  size_t files = 0;  // a folder's tracks, held back with it
  bool folder = false;
};

struct SyncPlan {
  std::vector<std::string> folders;  // to make below TARGET, parents first
  std::vector<const SourceTrack*> sends;     // not on the player
  std::vector<const SourceTrack*> replaces;  // changed since they were sent
  std::vector<const SourceTrack*> unplayable;
  std::vector<CaseTwin> twins;
  std::vector<std::string> deletes;  // below TARGET, gone from the folder
  // Files and folders the player holds under another case of their name:
  // the computer's spelling, and the player's, which it keeps.
  std::map<std::string, std::string> playerSpellings;
  size_t unchanged = 0;
  // Tracks sent as MP3, with the name each has on the player ("a/b.mp3").
  std::map<const SourceTrack*, std::string> converts;
  // Tracks to convert whose MP3's name another track has (a.flac beside
  // a.mp3 or a.ogg), with that track's name.
  std::vector<std::pair<const SourceTrack*, std::string>> clashes;

  // The name `track` has on the player.
  const std::string& PlayerName(const SourceTrack& track) const;
};

SyncPlan PlanSync(const SourceTree& source, const PlayerTree& player, const SyncRecord& record,
                  const std::string& playedFormats, const SyncOptions& options);

// How the player spells `relative`, a path of the computer's folder.
std::string PlayerSpelling(const SyncPlan& plan, const std::string& relative);
