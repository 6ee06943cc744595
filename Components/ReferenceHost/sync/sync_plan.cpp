#include "sync/sync_plan.h"

#include <map>
#include <set>

#include "convert/mp3_conversion.h"
#include "mdhost/player_formats.h"

namespace {

constexpr LONG kFolder = 1;
constexpr LONG kPlaylist = 3;
constexpr LONG kFile = 4;

void AddParents(const std::string& relative, std::set<std::string>* folders) {
  for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
    folders->insert(relative.substr(0, slash));
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// "a/b.flac" -> "a/b.mp3"
std::string Mp3Name(const std::string& relative) {
  const size_t slash = relative.rfind('/');
  const size_t dot = relative.rfind('.');
  return (dot == std::string::npos || (slash != std::string::npos && dot < slash) ? relative
                                                                                   : relative.substr(0, dot)) +
         ".mp3";
}

bool Changed(const SourceTrack& track, const std::string& name, bool converted, const PlayerItem& copy,
             const SyncRecord& record) {
  const auto sent = record.entries.find(name);
  // Never sent by a sync: the copy is taken for the same file when the sizes
  // agree; a conversion's size says nothing, so it is sent again.
  if (sent == record.entries.end()) return converted || copy.size != track.size;
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
    files.insert(plan->PlayerName(track));
    // An earlier sync's conversion stays while its source does, converted
    // this time or not.
    if (ConvertibleExtension(LowerExtension(track.relative))) files.insert(Mp3Name(track.relative));
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

// Which tracks go as MP3 and under which name. A track the player plays
// keeps its name; of two that would become the same MP3 (names compared
// with case aside, as a player's file system does), the first in path order
// is sent and the other reported.
void PlanConversions(const SourceTree& source, const std::string& playedFormats, const SyncOptions& options,
                     SyncPlan* plan) {
  std::map<std::string, std::string> taken;  // lower-cased player name -> the track's own
  for (const SourceTrack& track : source.tracks)
    if (Plays(playedFormats, LowerExtension(track.relative))) taken[Lower(track.relative)] = track.relative;
  const bool converts = options.convert && Plays(playedFormats, ".mp3");
  for (const SourceTrack& track : source.tracks) {
    const std::string extension = LowerExtension(track.relative);
    if (!converts || Plays(playedFormats, extension) || !ConvertibleExtension(extension)) continue;
    const std::string name = Mp3Name(track.relative);
    const auto other = taken.find(Lower(name));
    if (other != taken.end()) {
      plan->clashes.push_back({&track, other->second});
      continue;
    }
    taken[Lower(name)] = track.relative;
    plan->converts[&track] = name;
  }
}

}  // namespace

const std::string& SyncPlan::PlayerName(const SourceTrack& track) const {
  const auto converted = converts.find(&track);
  return converted == converts.end() ? track.relative : converted->second;
}

SyncPlan PlanSync(const SourceTree& source, const PlayerTree& player, const SyncRecord& record,
                  const std::string& playedFormats, const SyncOptions& options) {
  SyncPlan plan;
  PlanConversions(source, playedFormats, options, &plan);
  std::set<std::string> needed;
  std::set<const SourceTrack*> clashing;
  for (const auto& [track, other] : plan.clashes) clashing.insert(track);
  for (const SourceTrack& track : source.tracks) {
    const bool converted = plan.converts.count(&track) != 0;
    if (clashing.count(&track)) continue;
    if (!converted && !Plays(playedFormats, LowerExtension(track.relative))) {
      plan.unplayable.push_back(&track);
      continue;
    }
    const std::string& name = plan.PlayerName(track);
    AddParents(name, &needed);
    const auto copy = player.items.find(name);
    if (copy == player.items.end() || copy->second.kind != kFile)
      plan.sends.push_back(&track);
    else if (Changed(track, name, converted, copy->second, record))
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
