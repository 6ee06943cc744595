// Reads the tags of the files a sync is about to send on a thread of its
// own, a few files ahead of the sends. Reading a track's tags is work on the
// computer's disk and CPU, while a send mostly waits for the player (on a
// card, for its FUSE process): the two overlap instead of taking turns.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host_support/track_tags.h"

class TagPrefetch {
 public:
  // `files` in the order they will be sent; an empty path is a file whose
  // tags are read elsewhere (one converted first, say).
  explicit TagPrefetch(std::vector<std::string> files);
  // Stops reading ahead; waits only for the file being read.
  ~TagPrefetch();
  TagPrefetch(const TagPrefetch&) = delete;
  TagPrefetch& operator=(const TagPrefetch&) = delete;

  // The tags of files[index], read ahead or now on the calling thread; none
  // for an empty path. Each index is taken at most once, in rising order;
  // indexes passed over are never read.
  std::optional<TrackTags> Take(size_t index);

  static constexpr size_t kAhead = 8;

 private:
  enum class State { kWaiting, kReading, kRead, kTaken };
  void ReadAhead();

  const std::vector<std::string> files_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<State> states_;
  std::vector<TrackTags> tags_;
  size_t next_ = 0;    // the next index the thread looks at
  size_t wanted_ = 0;  // the sends have taken every index below this one
  bool stopping_ = false;
  std::thread thread_;  // last: starts once the rest is ready
};
