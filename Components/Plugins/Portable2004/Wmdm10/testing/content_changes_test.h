// What the host heard, one line each, so that a test compares a whole
// sequence at once: a log line as it is, "ended" with the operation's cookie,
// and the content changes: "+" added, "-" removed, "=" a playlist changed;
// then each path with its kind, "@" the item's host path and the playlist's
// entries in brackets.
#pragma once

#include <string>
#include <vector>

#include "host_support/host_callback.h"

namespace resolver_testing {

inline std::vector<std::string> Lines(const std::vector<HostEvent>& events) {
  std::vector<std::string> lines;
  for (const HostEvent& event : events) {
    std::string line = event.kind == HostEvent::kLogLine           ? wide::ToUtf8(event.text)
                       : event.kind == HostEvent::kOperationEnded  ? "ended " + std::to_string(event.number)
                       : event.kind == HostEvent::kContentAdded    ? "+"
                       : event.kind == HostEvent::kContentRemoved  ? "-"
                       : event.kind == HostEvent::kPlaylistChanged ? "="
                                                                   : "?";
    for (size_t i = 0; i < event.paths.size(); ++i)
      line += " " + wide::ToUtf8(event.paths[i]) + ":" +
              (i < event.kinds.size() ? std::to_string(event.kinds[i]) : std::string("?"));
    if (!event.item.empty()) line += " @" + wide::ToUtf8(event.item);
    if (!event.entries.empty()) {
      line += " [";
      for (const WString& entry : event.entries) line += (line.back() == '[' ? "" : " ") + wide::ToUtf8(entry);
      line += "]";
    }
    lines.push_back(line);
  }
  return lines;
}

// The first sign of each line only, for a test that cares about the order of
// the kinds of change alone.
inline std::string Signs(const std::vector<HostEvent>& events) {
  std::string signs;
  for (const std::string& line : Lines(events)) signs += line[0];
  return signs;
}

}  // namespace resolver_testing
