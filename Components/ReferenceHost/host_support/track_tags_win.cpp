#include "host_support/track_tags.h"

// The Windows build carries no tag reader: the user's options are the tags.
bool CanReadFileTags() { return false; }

bool ReadFileTags(const std::string&, TrackTags* tags) {
  *tags = TrackTags();
  return false;
}
