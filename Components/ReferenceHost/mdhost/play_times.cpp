#include "mdhost/play_times.h"

void PlayTimes::Listed(const WString& track, LONG duration) {
  if (!tagsRead_.count(track)) listed_.emplace(track, duration);
}

void PlayTimes::TagsRead(const WString& track) { tagsRead_.insert(track); }

void PlayTimes::SetUnit(const WString& track, ItemReport* item) const {
  if (!tagsRead_.count(track)) {
    item->durationFromTag = false;
    return;
  }
  const auto before = listed_.find(track);
  item->durationFromTag = before == listed_.end() || before->second != item->duration;
}

WString TrackOf(const WString& location) {
  const size_t bar = location.find(W('|'));
  return bar == WString::npos ? location : location.substr(bar + 1);
}
