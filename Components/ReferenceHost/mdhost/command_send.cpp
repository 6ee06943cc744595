// mdhost send: copy tracks from the computer onto a player through the
// plug-in, as the library application does when its user drags tracks onto
// the device: each file with its tags (the options, then on the Linux lane
// the file's own tags), into a folder or onto the end of a playlist. A
// track the player does not play is converted to MP3 first, as sync does.
// One line per file says what became of it.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include "convert/conversion_queue.h"
#include "mdhost/command.h"
#include "mdhost/conversion_options.h"
#include "mdhost/durable_report.h"
#include "mdhost/host_session.h"
#include "mdhost/item_report.h"
#include "mdhost/medium_location.h"
#include "mdhost/player_formats.h"
#include "mdhost/refusal_words.h"
#include "mdhost/stop_request.h"
#include "mdhost/track_sender.h"
#include "mdhost/transfer_progress.h"

namespace {

bool ParseLong(const std::string& text, LONG* value) {
  if (text.empty() || text.size() > 9) return false;
  LONG number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *value = number;
  return true;
}

// The tags the options give; false with a message when a number is no number.
bool TagsFromOptions(const CommandLine& line, TrackTags* tags, std::string* error) {
  const std::pair<const char*, std::optional<WString>*> texts[] = {
      {"--title", &tags->title}, {"--artist", &tags->artist}, {"--album", &tags->album}, {"--genre", &tags->genre}};
  for (const auto& [option, field] : texts)
    if (line.Has(option)) *field = wide::FromUtf8(line.Value(option));
  const std::pair<const char*, std::optional<LONG>*> numbers[] = {{"--track", &tags->track},
                                                                  {"--rating", &tags->rating}};
  for (const auto& [option, field] : numbers) {
    if (!line.Has(option)) continue;
    LONG value = 0;
    if (!ParseLong(line.Value(option), &value)) {
      *error = std::string(option) + " takes a whole number, not \"" + line.Value(option) + "\"";
      return false;
    }
    *field = value;
  }
  return true;
}

// At most one of the three; the default keeps what is there.
bool ExistingFileMode(const CommandLine& line, DWORD* mode) {
  const int given = line.Has("--keep") + line.Has("--fail-if-exists") + line.Has("--replace");
  if (given > 1) return false;
  *mode = line.Has("--replace") ? kModeReplace : line.Has("--fail-if-exists") ? kModeFailIfExists : kModeKeep;
  return true;
}

ULONGLONG FileBytes(const std::string& native) {
  std::error_code error;
  const auto size = std::filesystem::file_size(native, error);
  return error ? 0 : static_cast<ULONGLONG>(size);
}

long long FileTime(const std::string& native) {
  std::error_code error;
  return static_cast<long long>(std::filesystem::last_write_time(native, error).time_since_epoch().count());
}

// Queues a conversion for each file the device does not play but would as
// MP3; by index among the files.
std::map<size_t, size_t> QueueConversions(kiMusicDevicePlugin2004* plugin, DWORD device,
                                          const std::vector<std::string>& files,
                                          const std::vector<SourceFile>& sources, ConversionQueue* queue) {
  std::map<size_t, size_t> queued;
  std::string why;
  if (PlayerRefusesFormat(plugin, device, "a.mp3", &why)) return queued;
  for (size_t i = 0; i < files.size(); ++i)
    if (ConvertibleExtension(LowerExtension(files[i])) && PlayerRefusesFormat(plugin, device, files[i], &why))
      queued[i] = queue->Add({sources[i].native, FileBytes(sources[i].native), FileTime(sources[i].native)});
  return queued;
}

}  // namespace

int RunSend(const CommandLine& line) {
  const std::vector<std::string> args = line.Positionals();
  if (args.size() < 3) {
    std::cerr << "mdhost send: FILE... MEDIUM TARGET (see mdhost help)\n";
    return kExitBadInput;
  }
  DWORD mode = kModeKeep;
  if (!ExistingFileMode(line, &mode)) {
    std::cerr << "mdhost send: --keep, --fail-if-exists and --replace exclude each other\n";
    return kExitBadInput;
  }
  TrackTags given;
  std::string error;
  ConversionChoice conversion;
  if (!TagsFromOptions(line, &given, &error) ||
      !ConversionFromOptions(line, &conversion, &error)) {
    std::cerr << "mdhost send: " << error << "\n";
    return kExitBadInput;
  }
  const std::vector<std::string> files(args.begin(), args.end() - 2);
  std::vector<SourceFile> sources(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    if (!FindSourceFile(files[i], &sources[i])) {
      std::cerr << "mdhost send: no file " << wide::EscapeForDisplay(files[i]) << "\n";
      return kExitBadInput;
    }
  }

  HostSession session;
  MediumName medium;
  const int opened = session.OpenOnMedium(line, "send", args[args.size() - 2], &medium, std::cerr);
  if (opened != kExitOk) return opened;
  const WString& location = medium.location;
  const WString target = HostPath(args.back());

  ULONGLONG total = 0;
  for (const SourceFile& source : sources) total += FileBytes(source.native);
  const ConversionCache cache;
  ConversionQueue queue(cache, conversion.settings, conversion.jobs);
  const std::map<size_t, size_t> queued =
      conversion.convert ? QueueConversions(session.Plugin(), medium.device, files, sources, &queue)
                         : std::map<size_t, size_t>();
  std::set<std::string> used;
  TransferProgress progress(std::cerr, ErrorStreamIsTerminal(), sources.size(), total);
  const StopRequest stop;
  DurableReport lines(std::cout);
  int status = kExitOk;
  size_t done = 0;
  for (; done < sources.size() && !stop.Asked(); ++done) {
    SourceFile source = sources[done];
    std::string sentFile = files[done], tail;
    if (const auto converting = queued.find(done); converting != queued.end()) {
      progress.Converting(done + 1, files[done], queue.Finished(), queued.size());
      const std::optional<ConversionOutcome> outcome =
          queue.WaitUnless(converting->second, [&stop] { return stop.Asked(); });
      progress.Clear();
      if (!outcome) break;
      if (!outcome->ok || !FindSourceFile(outcome->mp3, &source)) {
        lines.Add("failed " + wide::EscapeForDisplay(files[done]) + ": " +
                  (outcome->ok ? "its MP3 is gone from the cache" : outcome->problem));
        status = kExitFailure;
        continue;
      }
      sentFile = outcome->mp3;
      used.insert(outcome->mp3);
      tail = outcome->converted ? " (converted to MP3)" : " (converted to MP3 earlier)";
    }
    // A file the player would hide once sent, or whose name the plug-in or
    // the medium cannot take, is not sent.
    const std::string why = SendRefusal(session.Plugin(), medium.device, sentFile, source);
    if (!why.empty()) {
      SayWhenNotConverted(conversion, LowerExtension(sentFile), "send", std::cerr);
      lines.Add("refused " + wide::EscapeForDisplay(files[done]) + ": " + why);
      status = kExitFailure;
      continue;
    }
    progress.Starting(done + 1, FileBytes(source.native), files[done] + " to " + args.back());
    const SentTrack sent = SendTrack(session, location, target, source, given, mode, static_cast<DWORD>(done + 1));
    if (sent.outcome == SendOutcome::kFailed) status = kExitFailure;
    const std::string line = std::string(OutcomeWord(sent.outcome)) + " " + files[done] +
                             SentDetail(session.Plugin(), location, target, source, sent) + tail;
    progress.Finished();
    progress.Clear();
    lines.Add(line);
    if (!lines.FlushIfDue(std::cerr)) status = kExitFailure;
  }
  if (!lines.Flush(std::cerr)) status = kExitFailure;
  queue.Stop();
  cache.Trim(used);
  if (done < sources.size()) {
    progress.Clear();
    std::cerr << "mdhost send: stopped: " << done << " of " << sources.size()
              << " files handled, the rest not sent; no file is left half-written\n";
    return kExitInterrupted;
  }
  return status;
}
