// mdhost send: copy tracks from the computer onto a player through the
// plug-in, as the library application does when its user drags tracks onto
// the device: each file with its tags (the options, then on the Linux lane
// the file's own tags), into a folder or onto the end of a playlist. One
// line per file says what became of it.
#include <algorithm>
#include <iostream>

#include "host_support/host_item.h"
#include "host_support/send_outcome.h"
#include "host_support/track_tags.h"
#include "mdhost/command.h"
#include "mdhost/host_session.h"
#include "mdhost/item_report.h"
#include "mdhost/medium_location.h"
#include "mdhost/report_text.h"
#include "host_support/source_file.h"

namespace {

// The session's options (--player DIR among them) and the tags.
const std::vector<std::string> kOptionsWithValues = [] {
  std::vector<std::string> options = SessionValueOptions();
  options.insert(options.end(), {"--title", "--artist", "--album", "--genre", "--track", "--rating"});
  return options;
}();

// Existing-file modes of DownloadFile.
constexpr DWORD kModeReplace = 0;
constexpr DWORD kModeKeep = 2;
constexpr DWORD kModeFailIfExists = 3;

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

// "Harbour Bell" by Northern Lights on Quiet Water #4, Ambient
std::string DescribeTrack(const ItemReport& item) {
  std::string text = "\"" + item.title + "\"";
  if (!item.artist.empty()) text += " by " + item.artist;
  if (!item.album.empty()) text += " on " + item.album;
  if (item.trackNumber > 0) text += " #" + std::to_string(item.trackNumber);
  if (!item.genre.empty()) text += ", " + item.genre;
  return text;
}

}  // namespace

int RunSend(const CommandLine& line) {
  const std::vector<std::string> args = line.Positionals(kOptionsWithValues);
  if (args.size() < 3) {
    std::cerr << "mdhost send: FILE... LOCATION TARGET (see mdhost help)\n";
    return kExitBadInput;
  }
  DWORD mode = kModeKeep;
  if (!ExistingFileMode(line, &mode)) {
    std::cerr << "mdhost send: --keep, --fail-if-exists and --replace exclude each other\n";
    return kExitBadInput;
  }
  TrackTags given;
  std::string error;
  if (!TagsFromOptions(line, &given, &error)) {
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
  const int opened = session.Open(line, "send", std::cerr);
  if (opened != kExitOk) return opened;
  WString location;
  if (!FindLocation(session.Plugin(), args[args.size() - 2], &location) || !KnownLocation(session.Plugin(), location)) {
    std::cerr << "mdhost send: no medium " << args[args.size() - 2] << "\n";
    return kExitBadInput;
  }
  const WString target = wide::FromUtf8(args.back());

  int status = kExitOk;
  for (size_t i = 0; i < sources.size(); ++i) {
    TrackTags own;
    if (CanReadFileTags()) ReadFileTags(sources[i].native, &own);
    HostItem item;
    FillTrackItem(MergeTags(given, own), &item);

    const DWORD cookie = static_cast<DWORD>(i + 1);
    std::cerr << "[" << cookie << "/" << sources.size() << "] sending " << files[i] << " to " << args.back()
              << " ...\n"
              << std::flush;
    session.Callback().ClearEvents();
    DWORD outcome = 0;
    const HRESULT hr = session.Plugin()->DownloadFile(location.c_str(), target.c_str(), sources[i].path.c_str(),
                                                      &item, mode, cookie, &outcome);
    const std::vector<HostEvent> events = session.Callback().Events();
    const bool ended = std::any_of(events.begin(), events.end(), [cookie](const HostEvent& event) {
      return event.kind == HostEvent::kOperationEnded && event.number == cookie;
    });
    WString added;  // the new track's host path, as the plug-in reported it
    for (const HostEvent& event : events)
      if (event.kind == HostEvent::kContentAdded && !event.paths.empty()) added = event.paths.back();

    const SendOutcome result = ClassifySend(hr, outcome, ended);
    std::string line = std::string(OutcomeWord(result)) + " " + files[i];
    if (result == SendOutcome::kFailed) {
      const std::string words = ResultText(hr);
      line += ": " + Hex(hr) + (words.empty() ? "" : " (" + words + ")");
      status = kExitFailure;
    } else if (result == SendOutcome::kKept) {
      line += " (already on the player)";
    } else if (!added.empty()) {
      line += " as " + wide::ToUtf8(added);
      // What the player now holds, read back as the host would show it
      // (before the line is written: with -v the reading logs lines too).
      ItemReport stored;
      if (SUCCEEDED(ReadItem(session.Plugin(), location, added, &stored))) line += "  " + DescribeTrack(stored);
    }
    std::cout << line;
    std::cout << "\n" << std::flush;
  }
  return status;
}
