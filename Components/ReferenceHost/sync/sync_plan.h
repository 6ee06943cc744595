// What mdhost sync is to do, worked out from the computer's folder, what
// TARGET holds on the player and the record of earlier syncs, before
// anything is changed (--dry-run prints it and stops there).
#pragma once

#include <string>
#include <vector>

#include "sync/sync_player.h"
#include "sync/sync_record.h"
#include "sync/sync_source.h"

struct SyncOptions {
  bool remove = false;     // --delete
  bool playlists = false;  // --playlists
};

struct SyncPlan {
  std::vector<std::string> folders;  // to make below TARGET, parents first
  std::vector<const SourceTrack*> sends;     // not on the player
  std::vector<const SourceTrack*> replaces;  // changed since they were sent
  std::vector<const SourceTrack*> unplayable;
  std::vector<std::string> deletes;  // below TARGET, gone from the folder
  size_t unchanged = 0;
};

SyncPlan PlanSync(const SourceTree& source, const PlayerTree& player, const SyncRecord& record,
                  const std::string& playedFormats, const SyncOptions& options);
