// mdhost sync SOURCE MEDIUM TARGET: makes the folder TARGET on the player
// hold the audio files of the computer's folder SOURCE, as a library
// application's sync does, entirely through the plug-in's slots: the
// listings to see what is there, DownloadFile to send, DeleteItem to remove,
// CreatePlaylist and UpdatePlaylist for the playlists. A track the player
// does not play is converted to MP3 first (on worker threads, ahead of the
// sends) and the MP3 sent in its place.
#include <iostream>
#include <map>
#include <set>

#include <ipp_result_codes.h>
#include <unique_bstr.h>

#include "convert/conversion_queue.h"
#include "host_support/host_item_id_list.h"
#include "mdhost/command.h"
#include "mdhost/conversion_options.h"
#include "mdhost/durable_report.h"
#include "mdhost/host_session.h"
#include "mdhost/medium_location.h"
#include "mdhost/player_formats.h"
#include "mdhost/refusal_words.h"
#include "mdhost/stop_request.h"
#include "mdhost/track_sender.h"
#include "mdhost/transfer_progress.h"
#include "sync/sync_plan.h"

namespace {

struct SyncRun {
  HostSession& session;
  WString location;
  WString target;
  SyncOptions options;
  ConversionChoice conversion;
  int status = kExitOk;
  size_t sent = 0, replaced = 0, deleted = 0, playlists = 0, converted = 0, failed = 0;
  DurableReport lines{std::cout};
};

void Fail(SyncRun& run, const std::string& what, const std::string& why) {
  run.lines.Add("failed " + what + ": " + why);
  run.status = kExitFailure;
  ++run.failed;
}

void Fail(SyncRun& run, const std::string& what, HRESULT hr) { Fail(run, what, FailureWords(hr)); }

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
void MakeFolders(SyncRun& run, const PlayerTree& player, const std::vector<std::string>& folders) {
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
  for (const std::string& folder : folders) {
    const size_t slash = folder.rfind('/');
    made.push_back({slash == std::string::npos ? run.target : PlayerPath(run.target, folder.substr(0, slash)),
                    wide::FromUtf8(folder.substr(slash + 1))});
  }
  for (const auto& [parent, name] : made) {
    if (const std::string problem = NameProblem(name); !problem.empty()) {
      run.lines.Add("failed folder " + wide::ToUtf8(name) + ": " + problem);
      run.status = kExitFailure;
      continue;
    }
    UniqueBstr created;
    const HRESULT hr =
        run.session.Plugin()->CreateFolder(run.location.c_str(), parent.c_str(), name.c_str(), created.Put());
    if (hr == IPP_E_ALREADYEXISTS) continue;
    if (FAILED(hr)) Fail(run, "folder " + wide::ToUtf8(name), hr);
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
  TransferProgress progress(std::cerr, ErrorStreamIsTerminal(), work.size(), bytes);
  const StopRequest stop;
  size_t done = 0;
  for (; done < work.size() && !stop.Asked(); ++done) {
    const SourceTrack& track = *work[done].first;
    const std::string& name = plan.PlayerName(track);
    const std::string folder = name.substr(0, name.rfind('/') + 1);
    std::string problem = SourceNameProblem(track.file.native);
    if (problem.empty()) problem = NameProblem(wide::FromUtf8(name.substr(name.rfind('/') + 1)));
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
    const SentTrack sent = SendTrack(run.session, run.location, PlayerPath(run.target, folder), file,
                                     TrackTags(), work[done].second, static_cast<DWORD>(done + 1));
    progress.Finished();
    progress.Clear();
    if (sent.outcome == SendOutcome::kFailed) {
      Fail(run, track.relative, sent.result);
      continue;
    }
    (sent.outcome == SendOutcome::kReplaced ? run.replaced : run.sent) += 1;
    run.lines.Add(OutcomeWord(sent.outcome) + (" " + track.relative) + (tail.empty() ? "" : " as " + name + tail));
    record->entries[name] = {track.size, track.modified, 0};
    if (!run.lines.FlushIfDue(std::cerr)) run.status = kExitFailure;
  }
  if (!run.lines.Flush(std::cerr)) run.status = kExitFailure;
  // The conversions in hand are abandoned, and leave nothing in the cache.
  queue.Stop();
  cache.Trim(used);
  if (done == work.size()) return true;
  progress.Clear();
  std::cerr << "mdhost sync: stopped after " << done << " of " << work.size() << " files (" << run.sent << " sent, "
            << run.replaced << " replaced); nothing was deleted and no file is left half-written\n";
  return false;
}

void DeleteGone(SyncRun& run, const SyncPlan& plan) {
  for (const std::string& relative : plan.deletes) {
    const HRESULT hr = run.session.Plugin()->DeleteItem(run.location.c_str(), PlayerPath(run.target, relative).c_str());
    if (FAILED(hr)) {
      Fail(run, "to delete " + relative, hr);
      continue;
    }
    ++run.deleted;
    run.lines.Add("deleted " + relative);
  }
}

// Each playlist of the folder as the player's own, its entries the tracks
// now on the player; one whose entries are already so is left alone.
void SyncPlaylists(SyncRun& run, const SourceTree& source, const PlayerTree& player) {
  for (const SourcePlaylist& playlist : source.playlists) {
    std::vector<WString> tracks;
    for (const std::string& track : playlist.tracks)
      if (player.items.count(track)) tracks.push_back(PlayerPath(run.target, track));
    const WString path = PlayerPath(run.target, playlist.relative);
    const auto there = player.items.find(playlist.relative);
    if (there != player.items.end() && there->second.entries == tracks) continue;
    if (there == player.items.end()) {
      const size_t slash = playlist.relative.rfind('/');
      const WString folder =
          slash == std::string::npos ? run.target : PlayerPath(run.target, playlist.relative.substr(0, slash));
      UniqueBstr created;
      const HRESULT hr = run.session.Plugin()->CreatePlaylist(
          run.location.c_str(), folder.c_str(), wide::FromUtf8(playlist.relative.substr(slash + 1)).c_str(),
          created.Put());
      if (FAILED(hr)) {
        Fail(run, "playlist " + playlist.relative, hr);
        continue;
      }
    }
    std::vector<WString> ids;
    for (const WString& track : tracks) ids.push_back(path + W("|") + track);
    HostItemIdList entries(std::move(ids));
    const HRESULT hr = run.session.Plugin()->UpdatePlaylist(run.location.c_str(), path.c_str(), &entries);
    if (FAILED(hr)) {
      Fail(run, "playlist " + playlist.relative, hr);
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
  for (auto entry = record->entries.begin(); entry != record->entries.end();) {
    const auto copy = player.items.find(entry->first);
    if (copy == player.items.end()) {
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
  SyncRecord record(run.location, run.target);
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
  for (const auto& [track, other] : plan.clashes)
    std::cout << "skipped " << track->relative << ": its MP3's name is " << other << "'s on the player\n";
  const size_t skipped = plan.unplayable.size() + plan.clashes.size();
  if (line.Has("--dry-run")) {
    PrintDryRun(plan);
    std::cout << "dry run: " << plan.sends.size() << " to send, " << plan.replaces.size() << " to replace, "
              << plan.deletes.size() << " to delete, " << skipped << " skipped, " << plan.unchanged
              << " unchanged, " << plan.converts.size() << " to convert; nothing changed\n";
    return kExitOk;
  }

  MakeFolders(run, player, plan.folders);
  const bool complete = SendTracks(run, plan, &record);
  if (complete) DeleteGone(run, plan);
  hr = ReadPlayerTree(session.Plugin(), run.location, run.target, &player);
  if (SUCCEEDED(hr)) UpdateRecord(player, &record);
  if (!record.Save()) std::cerr << "mdhost sync: cannot write " << record.File() << "\n";
  if (complete && run.options.playlists && SUCCEEDED(hr)) SyncPlaylists(run, source, player);
  if (!run.lines.Flush(std::cerr)) run.status = kExitFailure;
  std::cout << "sync: " << run.sent << " sent, " << run.replaced << " replaced, " << run.deleted << " deleted, "
            << skipped << " skipped, " << plan.unchanged << " unchanged, " << run.converted << " converted";
  if (run.failed) std::cout << ", " << run.failed << " failed";
  if (run.options.playlists) std::cout << ", " << run.playlists << " playlists written";
  std::cout << "\n";
  return complete ? run.status : kExitInterrupted;
}
