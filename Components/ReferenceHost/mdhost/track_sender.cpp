#include "mdhost/track_sender.h"

#include <algorithm>

#include "host_support/host_item.h"

SentTrack SendTrack(HostSession& session, const WString& location, const WString& target, const SourceFile& source,
                    const TrackTags& given, DWORD mode, DWORD cookie) {
  TrackTags own;
  if (CanReadFileTags()) ReadFileTags(source.native, &own);
  HostItem item;
  FillTrackItem(MergeTags(given, own), &item);

  session.Callback().ClearEvents();
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
