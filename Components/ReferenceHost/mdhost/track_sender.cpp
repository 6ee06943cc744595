#include "mdhost/track_sender.h"

#include <algorithm>
#include <filesystem>

#include "convert/mp3_conversion.h"
#include "host_support/host_item.h"
#include "mdhost/item_report.h"
#include "mdhost/player_formats.h"

namespace {

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

// A "\\" in the name is part of it on this system's file systems, and no
// medium takes it.
WString SentName(const SourceFile& source) {
  return wide::FromUtf8(std::filesystem::u8path(source.native).filename().u8string());
}

std::string SendRefusal(kiMusicDevicePlugin2004* plugin, DWORD device, const std::string& file,
                        const SourceFile& source) {
  std::string why = SourceNameProblem(source.native);
  if (why.empty()) why = NameProblem(SentName(source));
  if (why.empty()) PlayerRefusesFormat(plugin, device, file, &why);
  return why;
}

bool ConvertsForPlayer(kiMusicDevicePlugin2004* plugin, DWORD device, const std::string& file) {
  std::string why;
  return CanConvert() && ConvertibleExtension(LowerExtension(file)) && PlayerRefusesFormat(plugin, device, file, &why) &&
         !PlayerRefusesFormat(plugin, device, "a.mp3", &why);
}

std::string SentDetail(kiMusicDevicePlugin2004* plugin, const WString& location, const WString& target,
                       const SourceFile& source, const SentTrack& sent) {
  if (sent.outcome == SendOutcome::kFailed)
    return ": " + EditFailureWords(plugin, location, target + W("\\") + SentName(source), sent.result);
  if (sent.outcome == SendOutcome::kKept) return " (already on the player)";
  if (sent.added.empty()) return std::string();
  // What the player now holds, read back as the host would show it.
  std::string detail = " as " + wide::ToUtf8(sent.added);
  ItemReport stored;
  if (SUCCEEDED(ReadItem(plugin, location, sent.added, &stored))) detail += "  " + DescribeTrack(stored);
  return detail;
}

SentTrack SendTrack(HostSession& session, const WString& location, const WString& target, const SourceFile& source,
                    const TrackTags& given, DWORD mode, DWORD cookie, size_t taken) {
  TrackTags own;
  if (CanReadFileTags()) ReadFileTags(source.native, &own);
  return SendTaggedTrack(session, location, target, source, MergeTags(given, own), mode, cookie, taken);
}

SentTrack SendTaggedTrack(HostSession& session, const WString& location, const WString& target,
                          const SourceFile& source, const TrackTags& tags, DWORD mode, DWORD cookie, size_t taken) {
  HostItem item;
  FillTrackItem(tags, &item);

  session.Callback().DropEvents(taken);
  DWORD outcome = 0;
  SentTrack sent;
  sent.result = session.Plugin()->DownloadFile(location.c_str(), target.c_str(), source.path.c_str(), &item, mode,
                                               cookie, &outcome);
  const std::vector<HostEvent> events = session.Callback().Events();
  const bool ended = std::any_of(events.begin(), events.end(), [cookie](const HostEvent& event) {
    return event.kind == HostEvent::kOperationEnded && event.number == cookie;
  });
  for (const HostEvent& event : events)
    if (event.kind == HostEvent::kContentAdded && !event.paths.empty()) sent.added = event.paths.back();
  sent.outcome = ClassifySend(sent.result, outcome, ended);
  return sent;
}
