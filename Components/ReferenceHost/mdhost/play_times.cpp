#include "mdhost/play_times.h"

void PlayTimes::FromListing(const WString& track, ItemReport* item) const {
  item->durationFromTag = tagsRead_.count(track) != 0;
}

void PlayTimes::FromInformation(const WString& track, ItemReport* item) {
  tagsRead_.insert(track);
  item->durationFromTag = true;
}

WString TrackOf(const WString& location) {
  const size_t bar = location.find(W('|'));
  return bar == WString::npos ? location : location.substr(bar + 1);
}
