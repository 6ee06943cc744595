// Which unit a track's play time is in, for every record the host prints.
// The plug-in builds a track's record once per session, with the play time
// worked out in milliseconds, and hands that record out from its listings;
// the first time the host asks for the track's information it reads the
// track's tags, and from then on the record (from the information slot and
// from every listing alike) holds the duration tag's value, in units of
// 1/10,000 s. So the unit follows from where a record came from and what
// the host asked before: the information slot's records are in the tag's
// unit, a listing's in milliseconds until the track's information was read.
#pragma once

#include <windows.h>

#include <set>

#include <wide_text.h>

#include "mdhost/item_report.h"

class PlayTimes {
 public:
  // `item` is a record of `track` that a listing handed out now.
  void FromListing(const WString& track, ItemReport* item) const;
  // `item` is the record GetItemInformation handed out for `track`: the
  // plug-in has read the track's tags.
  void FromInformation(const WString& track, ItemReport* item);

 private:
  std::set<WString> tagsRead_;
};

// The track a record stands for: an entry identifier's part after "|".
WString TrackOf(const WString& location);
