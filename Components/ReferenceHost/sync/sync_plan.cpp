#include "sync/sync_plan.h"

#include <set>

#include "mdhost/player_formats.h"

namespace {

constexpr LONG kFolder = 1;
constexpr LONG kPlaylist = 3;
constexpr LONG kFile = 4;

void AddParents(const std::string& relative, std::set<std::string>* folders) {
  for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
    folders->insert(relative.substr(0, slash));
}

bool Changed(const SourceTrack& track, const PlayerItem& copy, const SyncRecord& record) {
  const auto sent = record.entries.find(track.relative);
  // Never sent by a sync: the copy is taken for the same file when the sizes agree.
  if (sent == record.entries.end()) return copy.size != track.size;
  return sent->second.sourceSize != track.size || sent->second.sourceModified != track.modified ||
         sent->second.playerSize != copy.size;
}

bool Below(const std::string& path, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders)
    if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/')
      return true;
  return false;
}

void PlanDeletes(const SourceTree& source, const PlayerTree& player, const SyncOptions& options, SyncPlan* plan) {
  std::set<std::string> files, folders, playlists;
  for (const SourceTrack& track : source.tracks) {
    files.insert(track.relative);
    AddParents(track.relative, &folders);
  }
  for (const SourcePlaylist& playlist : source.playlists) {
    playlists.insert(playlist.relative);
    AddParents(playlist.relative, &folders);
  }
  std::vector<std::string> goneFolders;
  for (const auto& [relative, item] : player.items) {
    if (Below(relative, goneFolders)) continue;
    const bool gone = item.kind == kFolder     ? !folders.count(relative)
                      : item.kind == kFile     ? !files.count(relative)
                      : item.kind == kPlaylist ? options.playlists && !playlists.count(relative)
                                               : false;
    if (!gone) continue;
    plan->deletes.push_back(relative);
    if (item.kind == kFolder) goneFolders.push_back(relative);
  }
}

}  // namespace

SyncPlan PlanSync(const SourceTree& source, const PlayerTree& player, const SyncRecord& record,
                  const std::string& playedFormats, const SyncOptions& options) {
  SyncPlan plan;
  std::set<std::string> needed;
  for (const SourceTrack& track : source.tracks) {
    if (!Plays(playedFormats, LowerExtension(track.relative))) {
      plan.unplayable.push_back(&track);
      continue;
    }
    AddParents(track.relative, &needed);
    const auto copy = player.items.find(track.relative);
    if (copy == player.items.end() || copy->second.kind != kFile)
      plan.sends.push_back(&track);
    else if (Changed(track, copy->second, record))
      plan.replaces.push_back(&track);
    else
      ++plan.unchanged;
  }
  if (options.playlists)
    for (const SourcePlaylist& playlist : source.playlists) AddParents(playlist.relative, &needed);
  for (const std::string& folder : needed) {
    const auto there = player.items.find(folder);
    if (there == player.items.end() || there->second.kind != kFolder) plan.folders.push_back(folder);
  }
  if (options.remove) PlanDeletes(source, player, options, &plan);
  return plan;
}
