#include "sync/sync_plan.h"

#include <map>
#include <set>

#include "convert/mp3_conversion.h"
#include "mdhost/player_formats.h"
#include "sync/sync_names.h"

namespace {

constexpr LONG kFolder = 1;
constexpr LONG kPlaylist = 3;
constexpr LONG kFile = 4;

std::vector<std::string> Parents(const std::string& relative) {
  std::vector<std::string> parents;
  for (size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1))
    parents.push_back(relative.substr(0, slash));
  return parents;
}

void AddParents(const std::string& relative, std::set<std::string>* folders) {
  for (const std::string& parent : Parents(relative)) folders->insert(parent);
}

// The record's entries by their names as the player compares them, so that
// a name whose case changed in the folder keeps what was recorded of it.
class RecordNames {
 public:
  explicit RecordNames(const SyncRecord& record) : record_(record) {
    for (const auto& entry : record.entries) folded_.emplace(FoldCase(entry.first), &entry.second);
  }
  const SyncRecordEntry* Find(const std::string& relative) const {
    const auto exact = record_.entries.find(relative);
    if (exact != record_.entries.end()) return &exact->second;
    const auto folded = folded_.find(FoldCase(relative));
    return folded == folded_.end() ? nullptr : folded->second;
  }

 private:
  const SyncRecord& record_;
  std::map<std::string, const SyncRecordEntry*> folded_;
};

// "a/b.flac" -> "a/b.mp3"
std::string Mp3Name(const std::string& relative) {
  const size_t slash = relative.rfind('/');
  const size_t dot = relative.rfind('.');
  return (dot == std::string::npos || (slash != std::string::npos && dot < slash) ? relative
                                                                                   : relative.substr(0, dot)) +
         ".mp3";
}

bool Changed(const SourceTrack& track, const std::string& name, bool converted, const PlayerItem& copy,
             const RecordNames& record) {
  const SyncRecordEntry* sent = record.Find(name);
  // Never sent by a sync: the copy is taken for the same file when the sizes
  // agree; a conversion's size says nothing, so it is sent again.
  if (!sent) return converted || copy.size != track.size;
  return sent->sourceSize != track.size || sent->sourceModified != track.modified || sent->playerSize != copy.size;
}

// Of names that fold alike, the one to keep: the one the player holds as
// it is spelt, else the first in path order, so that the next sync keeps
// the same one. Keyed by folded name.
std::map<std::string, std::string> ChooseSpellings(const std::set<std::string>& names, const PlayerTree& player,
                                                   LONG kind) {
  std::map<std::string, std::string> chosen;
  for (const std::string& name : names) {
    const auto there = player.items.find(name);
    const bool held = there != player.items.end() && there->second.kind == kind;
    auto [slot, added] = chosen.emplace(FoldCase(name), name);
    if (!added && held) slot->second = name;
  }
  return chosen;
}

// Holds back every track the player would take for another: first those in
// a folder spelt as another of the same name, then files of the same name.
std::vector<const SourceTrack*> HoldBackTwins(const std::vector<const SourceTrack*>& tracks, const PlayerTree& player,
                                              SyncPlan* plan) {
  std::set<std::string> folders;
  for (const SourceTrack* track : tracks) AddParents(track->relative, &folders);
  const std::map<std::string, std::string> folderChosen = ChooseSpellings(folders, player, kFolder);
  std::map<std::string, size_t> heldFolders;  // the twin folder's place in plan->twins
  std::vector<const SourceTrack*> inKeptFolders;
  for (const SourceTrack* track : tracks) {
    bool held = false;
    for (const std::string& parent : Parents(track->relative)) {
      const std::string& kept = folderChosen.at(FoldCase(parent));
      if (kept == parent) continue;
      auto [slot, added] = heldFolders.emplace(parent, plan->twins.size());
      if (added) plan->twins.push_back({parent, kept, 0, true});
      ++plan->twins[slot->second].files;
      held = true;
      break;
    }
    if (!held) inKeptFolders.push_back(track);
  }
  std::set<std::string> names;
  for (const SourceTrack* track : inKeptFolders) names.insert(track->relative);
  const std::map<std::string, std::string> fileChosen = ChooseSpellings(names, player, kFile);
  std::vector<const SourceTrack*> kept;
  for (const SourceTrack* track : inKeptFolders) {
    const std::string& chosen = fileChosen.at(FoldCase(track->relative));
    if (chosen == track->relative)
      kept.push_back(track);
    else
      plan->twins.push_back({track->relative, chosen, 1, false});
  }
  return kept;
}

void PlanDeletes(const SourceTree& source, const PlayerTree& player, const SyncOptions& options, SyncPlan* plan) {
  std::set<std::string> files, folders, playlists;
  for (const SourceTrack& track : source.tracks) {
    files.insert(FoldCase(plan->PlayerName(track)));
    // An earlier sync's conversion stays while its source does, converted
    // this time or not.
    if (ConvertibleExtension(LowerExtension(track.relative))) files.insert(FoldCase(Mp3Name(track.relative)));
    for (const std::string& parent : Parents(track.relative)) folders.insert(FoldCase(parent));
  }
  for (const SourcePlaylist& playlist : source.playlists) {
    playlists.insert(FoldCase(playlist.relative));
    for (const std::string& parent : Parents(playlist.relative)) folders.insert(FoldCase(parent));
  }
  std::set<std::string> goneFolders;
  for (const auto& [relative, item] : player.items) {
    bool below = false;
    for (const std::string& parent : Parents(relative)) below = below || goneFolders.count(parent);
    if (below) continue;
    const std::string folded = FoldCase(relative);
    const bool gone = item.kind == kFolder     ? !folders.count(folded)
                      : item.kind == kFile     ? !files.count(folded)
                      : item.kind == kPlaylist ? options.playlists && !playlists.count(folded)
                                               : false;
    if (!gone) continue;
    plan->deletes.push_back(relative);
    if (item.kind == kFolder) goneFolders.insert(relative);
  }
}

// Which tracks go as MP3 and under which name. A track the player plays
// keeps its name; of two that would become the same MP3 (names compared
// with case aside, as a player's file system does), the first in path order
// is sent and the other reported.
void PlanConversions(const SourceTree& source, const std::string& playedFormats, const SyncOptions& options,
                     SyncPlan* plan) {
  std::map<std::string, std::string> taken;  // folded player name -> the track's own
  for (const SourceTrack& track : source.tracks)
    if (Plays(playedFormats, LowerExtension(track.relative))) taken[FoldCase(track.relative)] = track.relative;
  const bool converts = options.convert && Plays(playedFormats, ".mp3");
  for (const SourceTrack& track : source.tracks) {
    const std::string extension = LowerExtension(track.relative);
    if (!converts || Plays(playedFormats, extension) || !ConvertibleExtension(extension)) continue;
    const std::string name = Mp3Name(track.relative);
    const auto other = taken.find(FoldCase(name));
    if (other != taken.end()) {
      plan->clashes.push_back({&track, other->second});
      continue;
    }
    taken[FoldCase(name)] = track.relative;
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
  std::set<const SourceTrack*> clashing;
  for (const auto& [track, other] : plan.clashes) clashing.insert(track);
  std::vector<const SourceTrack*> candidates;
  for (const SourceTrack& track : source.tracks) {
    if (clashing.count(&track)) continue;
    const bool converted = plan.converts.count(&track) != 0;
    (converted || Plays(playedFormats, LowerExtension(track.relative)) ? candidates : plan.unplayable)
        .push_back(&track);
  }
  const PlayerNames names(player);
  const RecordNames recorded(record);
  std::set<std::string> needed;
  for (const SourceTrack* track : HoldBackTwins(candidates, player, &plan)) {
    const bool converted = plan.converts.count(track) != 0;
    const std::string& name = plan.PlayerName(*track);
    AddParents(name, &needed);
    const PlayerNames::Item* copy = names.Find(name);
    if (!copy || copy->second.kind != kFile) {
      plan.sends.push_back(track);
      continue;
    }
    if (copy->first != name) plan.playerSpellings[name] = copy->first;
    if (Changed(*track, name, converted, copy->second, recorded))
      plan.replaces.push_back(track);
    else
      ++plan.unchanged;
  }
  if (options.playlists)
    for (const SourcePlaylist& playlist : source.playlists) AddParents(playlist.relative, &needed);
  for (const std::string& folder : needed) {
    const PlayerNames::Item* there = names.Find(folder);
    if (!there || there->second.kind != kFolder)
      plan.folders.push_back(folder);
    else if (there->first != folder)
      plan.playerSpellings[folder] = there->first;
  }
  if (options.remove) PlanDeletes(source, player, options, &plan);
  return plan;
}

std::string PlayerSpelling(const SyncPlan& plan, const std::string& relative) {
  const auto spelt = plan.playerSpellings.find(relative);
  return spelt == plan.playerSpellings.end() ? relative : spelt->second;
}
