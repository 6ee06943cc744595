// PlayerView's watch over the plug-in's reports: arrivals and removals keep
// the host's list of players and reach the page as "players" events; content
// changes drop the cached listings and reach it as "changed".
#include <set>

#include "serve/player_view.h"

namespace {

// The callback's record is copied on every look; what was seen of it is
// dropped once it has grown this long.
constexpr size_t kEventsKept = 2000;

}  // namespace

void PlayerView::Poll() {
  std::vector<HostEvent> events = session_.Callback().Events();
  if (events.size() < seen_) seen_ = 0;  // a send emptied the record
  const std::set<DWORD> before = roster_.Numbers();
  std::set<std::string> changed;
  for (size_t i = seen_; i < events.size(); ++i)
    if (events[i].kind == HostEvent::kContentAdded || events[i].kind == HostEvent::kContentRemoved ||
        events[i].kind == HostEvent::kPlaylistChanged)
      changed.insert(wide::ToUtf8(events[i].text));
  roster_.Apply(events, &seen_, GetTickCount());
  if (roster_.RescanDue(GetTickCount())) roster_.Rescan(session_.Plugin(), session_.Callback(), &seen_);
  if (!changed.empty()) listings_.clear();
  for (const std::string& location : changed)
    events_.Publish("changed", JsonText({{"location", location}}));
  if (roster_.Numbers() != before) {
    listings_.clear();
    events_.Publish("players", JsonText({{"count", roster_.Numbers().size()}}));
  }
  if (seen_ > kEventsKept) {
    // Only what was taken in: an arrival recorded since stays to be read.
    session_.Callback().DropEvents(seen_);
    seen_ = 0;
  }
}
