// Which unit a track's play time is in, for every record the host prints.
// The plug-in works a listed track's play time out in milliseconds; once it
// has read the track's tags (the first time the host asks for the track's
// information, or reports a change to it) every record of that track carries
// the duration tag's value instead, in units of 1/10,000 s, for the rest of
// the session. A record does not say which it holds, so the host keeps what
// it has seen: each track's milliseconds from a listing before its tags were
// read, and whether they have been read since.
#pragma once

#include <windows.h>

#include <map>
#include <set>

#include <wide_text.h>

#include "mdhost/item_report.h"

class PlayTimes {
 public:
  // A listing handed out a record of the track at host path `track`.
  void Listed(const WString& track, LONG duration);
  // The plug-in has read the track's tags.
  void TagsRead(const WString& track);
  // Sets `item`'s unit: a record of `track` handed out now. Reading the tags
  // changes the play time only through a duration tag, so a track whose
  // listed milliseconds came back unchanged had none.
  void SetUnit(const WString& track, ItemReport* item) const;

 private:
  std::map<WString, LONG> listed_;  // before the tags were read
  std::set<WString> tagsRead_;
};

// The track a record stands for: an entry identifier's part after "|".
WString TrackOf(const WString& location);
