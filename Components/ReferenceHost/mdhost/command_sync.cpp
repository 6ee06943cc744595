// mdhost sync SOURCE MEDIUM TARGET: makes the folder TARGET on the player
// hold the audio files of the computer's folder SOURCE, as a library
// application's sync does, entirely through the plug-in's slots: the
// listings to see what is there, DownloadFile to send, DeleteItem to remove,
// CreatePlaylist and UpdatePlaylist for the playlists. A track the player
// does not play is converted to MP3 first (on worker threads, ahead of the
// sends) and the MP3 sent in its place.
#include <iostream>
#include <map>
#include <optional>
#include <set>

#include <ipp_result_codes.h>
#include <unique_bstr.h>

#include "convert/conversion_queue.h"
#include "host_support/host_item_id_list.h"
#include "mdhost/command.h"
#include "mdhost/conversion_options.h"
#include "mdhost/durable_report.h"
#include "mdhost/folder_reach.h"
#include "mdhost/host_session.h"
#include "mdhost/item_report.h"
#include "mdhost/medium_location.h"
#include "mdhost/player_formats.h"
#include "mdhost/refusal_words.h"
#include "mdhost/stop_request.h"
#include "mdhost/track_sender.h"
#include "mdhost/transfer_progress.h"
#include "mdhost/volume_identity.h"
#include "sync/sync_names.h"
#include "sync/sync_plan.h"
#include "sync/tag_prefetch.h"

namespace {

struct SyncRun {
  HostSession& session;
  WString location;
  WString target;
  SyncOptions options;
  ConversionChoice conversion;
  int status = kExitOk;
  size_t sent = 0, replaced = 0, deleted = 0, playlists = 0, converted = 0, failed = 0;
  bool gone = false;  // the medium no longer answers
  DurableReport lines{std::cout};
};

void Fail(SyncRun& run, const std::string& what, const std::string& why) {
  run.lines.Add("failed " + what + ": " + why);
  run.status = kExitFailure;
  ++run.failed;
}

// Why the medium no longer answers, in words; empty while it does. A folder
// player's folder is asked directly; another player is gone when it no
// longer lists its root.
std::string WhyGone(SyncRun& run) {
  const std::string folder = FolderOf(run.session.Folders(), run.location);
  if (!folder.empty()) return FolderGone(folder);
  std::vector<ItemReport> top;
  const HRESULT listed = ListItems(run.session.Plugin(), run.location, WString(), &top);
  return FAILED(listed) ? "listing it: " + FailureWords(listed) : std::string();
}

// After a failure: whether the medium is still there to try the next file
// on. A card pulled out answers every call with some failure (a full
// medium's, a write fault's), and trying the hundreds of files left would
// report each as that.
bool Gone(SyncRun& run, HRESULT hr) {
  if (run.gone) return true;
  const std::string why = WhyGone(run);
  if (why.empty()) return false;
  run.gone = true;
  std::cerr << "mdhost sync: the medium is gone (" << FailureWords(hr) << "; " << why
            << "): taken out or unmounted; the sync stops here\n";
  return true;
}

CacheSource CacheSourceOf(const SourceTrack& track) { return {track.file.native, track.size, track.modified}; }

// The file to send for a track: its own, or its MP3 once converted (the
// line's tail then says so). False when it is not to be sent: a failed
// conversion, reported, or a stop asked for while waiting (`stopped`).
bool FileToSend(SyncRun& run, ConversionQueue& queue, const std::map<size_t, size_t>& queued, size_t index,
                const SourceTrack& track, TransferProgress& progress, const StopRequest& stop, SourceFile* file,
                std::string* tail, bool* stopped) {
  *file = track.file;
  const auto conversion = queued.find(index);
  if (conversion == queued.end()) return true;
  progress.Converting(index + 1, track.relative, queue.Finished(), queued.size());
  const std::optional<ConversionOutcome> outcome =
      queue.WaitUnless(conversion->second, [&stop] { return stop.Asked(); });
  progress.Clear();
  if (!outcome) {
    *stopped = true;
    return false;
  }
  if (!outcome->ok || !FindSourceFile(outcome->mp3, file)) {
    Fail(run, wide::EscapeForDisplay(track.relative), outcome->ok ? "its MP3 is gone from the cache" : outcome->problem);
    return false;
  }
  run.converted += outcome->converted;
  *tail = outcome->converted ? " (converted)" : " (converted earlier)";
  return true;
}

// TARGET and every folder below it that the plan needs; an existing one is
// left as it is.
void MakeFolders(SyncRun& run, const PlayerTree& player, const SyncPlan& plan) {
  std::vector<std::pair<WString, WString>> made;  // parent, name
  if (!player.exists) {
    WString parent;
    const WString& target = run.target;
    for (size_t start = 1; start <= target.size();) {
      const size_t end = std::min(target.find(W('\\'), start), target.size());
      if (end > start) made.push_back({parent.empty() ? W("\\") : parent, target.substr(start, end - start)});
      parent = target.substr(0, end);
      start = end + 1;
    }
  }
  for (const std::string& folder : plan.folders) {
    const size_t slash = folder.rfind('/');
    made.push_back({slash == std::string::npos ? run.target
                                               : PlayerPath(run.target, PlayerSpelling(plan, folder.substr(0, slash))),
                    wide::FromUtf8(folder.substr(slash + 1))});
  }
  for (const auto& [parent, name] : made) {
    if (const std::string problem = NameProblem(name); !problem.empty()) {
      Fail(run, "folder " + wide::ToUtf8(name), problem);
      continue;
    }
    UniqueBstr created;
    const HRESULT hr =
        run.session.Plugin()->CreateFolder(run.location.c_str(), parent.c_str(), name.c_str(), created.Put());
    if (hr == IPP_E_ALREADYEXISTS) continue;
    if (FAILED(hr)) Fail(run, "folder " + wide::ToUtf8(name), FailureWords(hr));
    if (FAILED(hr) && Gone(run, hr)) return;
  }
}

// Sends and replaces, between which Ctrl-C may stop the run; false when it
// did. The conversions are queued first, in the order of the sends.
bool SendTracks(SyncRun& run, const SyncPlan& plan, SyncRecord* record) {
  std::vector<std::pair<const SourceTrack*, DWORD>> work;
  ULONGLONG bytes = 0;
  for (const SourceTrack* track : plan.sends) work.push_back({track, kModeFailIfExists});
  for (const SourceTrack* track : plan.replaces) work.push_back({track, kModeReplace});
  for (const auto& [track, mode] : work) bytes += track->size;
  const ConversionCache cache;
  ConversionQueue queue(cache, run.conversion.settings, run.conversion.jobs);
  std::map<size_t, size_t> queued;  // index in `work` -> in the queue
  std::set<std::string> used;       // the cache's MP3s this run sent
  for (size_t i = 0; i < work.size(); ++i)
    if (plan.converts.count(work[i].first)) queued[i] = queue.Add(CacheSourceOf(*work[i].first));
  std::vector<std::string> tagged;  // what the prefetch reads: the files sent as they are
  for (const auto& [track, mode] : work) tagged.push_back(plan.converts.count(track) ? "" : track->file.native);
  TagPrefetch tags(std::move(tagged));
  TransferProgress progress(std::cerr, ErrorStreamIsTerminal(), work.size(), bytes);
  const StopRequest stop;
  size_t done = 0;
  for (; done < work.size() && !stop.Asked() && !run.gone; ++done) {
    const SourceTrack& track = *work[done].first;
    const std::string& name = plan.PlayerName(track);
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : PlayerSpelling(plan, name.substr(0, slash));
    std::string problem = SourceNameProblem(track.file.native);
    if (problem.empty()) problem = NameProblem(wide::FromUtf8(name.substr(slash + 1)));
    if (!problem.empty()) {
      Fail(run, wide::EscapeForDisplay(track.relative), problem);
      continue;
    }
    SourceFile file;
    std::string tail;
    bool stopped = false;
    if (!FileToSend(run, queue, queued, done, track, progress, stop, &file, &tail, &stopped)) {
      if (stopped) break;
      continue;
    }
    if (!tail.empty()) used.insert(file.native);
    progress.Starting(done + 1, track.size, track.relative);
    const std::optional<TrackTags> own = file.native == track.file.native ? tags.Take(done) : std::nullopt;
    const WString target = PlayerPath(run.target, folder);
    const DWORD cookie = static_cast<DWORD>(done + 1);
    const SentTrack sent = own ? SendTaggedTrack(run.session, run.location, target, file, *own, work[done].second, cookie)
                               : SendTrack(run.session, run.location, target, file, TrackTags(), work[done].second, cookie);
    progress.Finished();
    progress.Clear();
    if (sent.outcome == SendOutcome::kFailed) {
      Fail(run, track.relative, FailureWords(sent.result));
      Gone(run, sent.result);
      continue;
    }
    (sent.outcome == SendOutcome::kReplaced ? run.replaced : run.sent) += 1;
    run.lines.Add(OutcomeWord(sent.outcome) + (" " + track.relative) + (tail.empty() ? "" : " as " + name + tail),
                  true);
    record->entries[name] = {track.size, track.modified, 0};
    if (!run.lines.FlushIfDue(std::cerr)) run.status = kExitFailure;
  }
  if (!run.lines.Flush(std::cerr)) run.status = kExitFailure;
  // The conversions in hand are abandoned, and leave nothing in the cache.
  queue.Stop();
  cache.Trim(used);
  if (done == work.size() && !run.gone) return true;
  progress.Clear();
  if (run.gone) {
    std::cerr << "mdhost sync: stopped after " << done << " of " << work.size() << " files: "
              << run.lines.Confirmed() << " known written (the lines \"sent\" and \"replaced\"), "
              << run.sent + run.replaced - run.lines.Confirmed()
              << " not confirmed written (they may be missing or cut short on the medium), " << work.size() - done
              << " not tried; nothing was deleted\n";
    return false;
  }
  std::cerr << "mdhost sync: stopped after " << done << " of " << work.size() << " files (" << run.sent << " sent, "
            << run.replaced << " replaced); nothing was deleted and no file is left half-written\n";
  return false;
}

void DeleteGone(SyncRun& run, const SyncPlan& plan) {
  for (const std::string& relative : plan.deletes) {
    const HRESULT hr = run.session.Plugin()->DeleteItem(run.location.c_str(), PlayerPath(run.target, relative).c_str());
    if (FAILED(hr)) {
      Fail(run, "to delete " + relative, FailureWords(hr));
      if (Gone(run, hr)) return;
      continue;
    }
    ++run.deleted;
    run.lines.Add("deleted " + relative);
  }
}

// Each playlist of the folder as the player's own, its entries the tracks
// now on the player; one whose entries are already so is left alone.
void SyncPlaylists(SyncRun& run, const SourceTree& source, const PlayerTree& player) {
  const PlayerNames names(player);
  for (const SourcePlaylist& playlist : source.playlists) {
    // Entries and the playlist itself are found as the player finds them, so
    // a card's other spelling of a name is that item, not one missing.
    std::vector<WString> tracks;
    for (const std::string& track : playlist.tracks)
      if (const PlayerNames::Item* copy = names.Find(track)) tracks.push_back(PlayerPath(run.target, copy->first));
    const PlayerNames::Item* there = names.Find(playlist.relative);
    WString path = PlayerPath(run.target, there ? there->first : playlist.relative);
    if (there && there->second.entries == tracks) continue;
    if (!there) {
      const size_t slash = playlist.relative.rfind('/');
      const WString folder =
          slash == std::string::npos ? run.target : PlayerPath(run.target, playlist.relative.substr(0, slash));
      UniqueBstr created;
      const HRESULT hr = run.session.Plugin()->CreatePlaylist(
          run.location.c_str(), folder.c_str(), wide::FromUtf8(playlist.relative.substr(slash + 1)).c_str(),
          created.Put());
      if (FAILED(hr)) {
        Fail(run, "playlist " + playlist.relative, FailureWords(hr));
        if (Gone(run, hr)) return;
        continue;
      }
      if (created) path = created.ToString();  // the name the player gave it
    }
    std::vector<WString> ids;
    for (const WString& track : tracks) ids.push_back(path + W("|") + track);
    HostItemIdList entries(std::move(ids));
    const HRESULT hr = run.session.Plugin()->UpdatePlaylist(run.location.c_str(), path.c_str(), &entries);
    if (FAILED(hr)) {
      Fail(run, "playlist " + playlist.relative, FailureWords(hr));
      if (Gone(run, hr)) return;
      continue;
    }
    ++run.playlists;
    std::string line = "playlist " + playlist.relative + ": " + std::to_string(tracks.size()) + " entries";
    if (playlist.leftOut + playlist.tracks.size() > tracks.size())
      line += " (" + std::to_string(playlist.leftOut + playlist.tracks.size() - tracks.size()) +
              " left out: not on the player)";
    run.lines.Add(line);
  }
}

// A name the player would take for another already sent in this run is
// held back, saying which; the same one is kept at every sync.
void PrintTwins(const SyncPlan& plan) {
  for (const CaseTwin& twin : plan.twins) {
    if (twin.folder)
      std::cout << "skipped " << twin.relative << " (" << twin.files << (twin.files == 1 ? " file" : " files")
                << "): the player would take it for the folder " << twin.kept
                << ", synced in its place (the names differ only in case)\n";
    else
      std::cout << "skipped " << twin.relative << ": the player would take it for " << twin.kept
                << ", sent in its place (the names differ only in case)\n";
  }
}

// The name the record of this medium is kept under: its volume's, where a
// folder player's folder lies on one that can be told.
WString RecordKey(const HostSession& session, const WString& location) {
  const std::string folder = FolderOf(session.Folders(), location);
  const std::string volume = folder.empty() ? std::string() : VolumeIdentity(folder);
  return volume.empty() ? location : wide::FromUtf8(volume);
}

void PrintDryRun(const SyncPlan& plan) {
  for (const std::string& folder : plan.folders) std::cout << "would make folder " << folder << "\n";
  for (const auto* list : {&plan.sends, &plan.replaces}) {
    const bool replacing = list == &plan.replaces;
    for (const SourceTrack* track : *list) {
      if (plan.converts.count(track))
        std::cout << "would convert " << track->relative << " to " << plan.PlayerName(*track)
                  << (replacing ? ", replacing it" : "") << "\n";
      else
        std::cout << (replacing ? "would replace " : "would send ") << track->relative << "\n";
    }
  }
  for (const std::string& gone : plan.deletes) std::cout << "would delete " << gone << "\n";
}

// The record keeps what the player holds now, with the sizes of its copies.
void UpdateRecord(const PlayerTree& player, SyncRecord* record) {
  const PlayerNames names(player);
  for (auto entry = record->entries.begin(); entry != record->entries.end();) {
    const PlayerNames::Item* copy = names.Find(entry->first);
    if (!copy) {
      entry = record->entries.erase(entry);
      continue;
    }
    if (entry->second.playerSize == 0) entry->second.playerSize = copy->second.size;
    ++entry;
  }
}

}  // namespace

int RunSync(const CommandLine& line) {
  const std::vector<std::string> args = line.Positionals();
  if (line.Has("--clean-cache")) {
    const ConversionCache cache;
    std::string problem;
    if (!cache.Clean(&problem)) {
      std::cerr << "mdhost sync: cannot empty the conversion cache: " << problem << "\n";
      return kExitFailure;
    }
    std::cout << "emptied the conversion cache " << cache.Root() << "\n";
    if (args.empty()) return kExitOk;
  }
  ConversionChoice conversion;
  std::string problem;
  if (!ConversionFromOptions(line, &conversion, &problem)) {
    std::cerr << "mdhost sync: " << problem << "\n";
    return kExitBadInput;
  }
  if (args.size() != 3) {
    std::cerr << "mdhost sync: SOURCE MEDIUM TARGET (see mdhost help)\n";
    return kExitBadInput;
  }
  SourceTree source;
  std::string error;
  if (!ReadSourceTree(args[0], &source, &error)) {
    std::cerr << "mdhost sync: " << error << "\n";
    return kExitBadInput;
  }
  HostSession session;
  MediumName medium;
  const int opened = session.OpenOnMedium(line, "sync", args[1], &medium, std::cerr);
  if (opened != kExitOk) return opened;
  SyncRun run{session, medium.location, HostPath(args[2]),
              {line.Has("--delete"), line.Has("--playlists"), conversion.convert}, conversion};
  if (run.target.empty() || run.target[0] != W('\\')) run.target = W("\\") + run.target;

  PlayerTree player;
  HRESULT hr = ReadPlayerTree(session.Plugin(), run.location, run.target, &player);
  if (FAILED(hr)) {
    std::cerr << "mdhost sync: cannot list " << args[2] << ": " << FailureWords(hr) << "\n";
    return kExitFailure;
  }
  SyncRecord record(RecordKey(session, run.location), run.target, run.location);
  if (!record.Load()) {
    std::cerr << "mdhost sync: cannot read " << record.File() << "\n";
    return kExitFailure;
  }
  UniqueBstr formats;
  if (session.Plugin()->GetDevicePropertyString(medium.device, W("DeviceSupportedFileFormats"), formats.Put()) != S_OK)
    formats.Reset();
  const SyncPlan plan = PlanSync(source, player, record, wide::ToUtf8(formats.ToString()), run.options);
  for (const SourceTrack* track : plan.unplayable) {
    SayWhenNotConverted(conversion, LowerExtension(track->relative), "sync", std::cerr);
    std::cout << "skipped " << track->relative << ": the player does not play " << LowerExtension(track->relative)
              << " files\n";
  }
  PrintTwins(plan);
  for (const auto& [track, other] : plan.clashes)
    std::cout << "skipped " << track->relative << ": its MP3's name is " << other << "'s on the player\n";
  const size_t skipped = plan.unplayable.size() + plan.twins.size() + plan.clashes.size();
  if (line.Has("--dry-run")) {
    PrintDryRun(plan);
    std::cout << "dry run: " << plan.sends.size() << " to send, " << plan.replaces.size() << " to replace, "
              << plan.deletes.size() << " to delete, " << skipped << " skipped, " << plan.unchanged
              << " unchanged, " << plan.converts.size() << " to convert; nothing changed\n";
    return kExitOk;
  }

  MakeFolders(run, player, plan);
  const bool complete = SendTracks(run, plan, &record);
  if (complete) DeleteGone(run, plan);
  // A run that changed nothing reads the same tree again: on a card through
  // FUSE that second listing is most of a sync with nothing to do.
  const bool touched = run.sent || run.replaced || run.deleted || run.failed || !plan.folders.empty() || !player.exists;
  if (run.gone)
    hr = E_FAIL;
  else if (touched)
    hr = ReadPlayerTree(session.Plugin(), run.location, run.target, &player);
  if (SUCCEEDED(hr)) UpdateRecord(player, &record);
  if (!record.Save()) std::cerr << "mdhost sync: cannot write " << record.File() << "\n";
  if (complete && run.options.playlists && SUCCEEDED(hr)) SyncPlaylists(run, source, player);
  if (!run.lines.Flush(std::cerr)) run.status = kExitFailure;
  std::cout << "sync: " << run.sent << " sent, " << run.replaced << " replaced, " << run.deleted << " deleted, "
            << skipped << " skipped, " << plan.unchanged << " unchanged, " << run.converted << " converted";
  if (run.options.playlists) std::cout << ", " << run.playlists << " playlists written";
  std::cout << ", " << run.failed << " failed\n";
  if (complete || run.gone) return run.status;
  return kExitInterrupted;
}
