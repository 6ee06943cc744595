#include "sync/tag_prefetch.h"

TagPrefetch::TagPrefetch(std::vector<std::string> files)
    : files_(std::move(files)),
      states_(files_.size(), State::kWaiting),
      tags_(files_.size()),
      thread_([this] { ReadAhead(); }) {}

TagPrefetch::~TagPrefetch() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void TagPrefetch::ReadAhead() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || (next_ < files_.size() && next_ < wanted_ + kAhead); });
    if (stopping_) return;
    const size_t index = next_++;
    if (index < wanted_ || states_[index] != State::kWaiting || files_[index].empty()) continue;
    states_[index] = State::kReading;
    lock.unlock();
    TrackTags tags;
    ReadFileTags(files_[index], &tags);
    lock.lock();
    tags_[index] = std::move(tags);
    states_[index] = State::kRead;
    changed_.notify_all();
  }
}

std::optional<TrackTags> TagPrefetch::Take(size_t index) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (index >= files_.size() || files_[index].empty()) return std::nullopt;
  // Whatever lies before `index` was passed over: its tags go, and the
  // thread skips it.
  for (size_t passed = wanted_; passed < index; ++passed)
    if (states_[passed] == State::kRead) tags_[passed] = TrackTags();
  wanted_ = std::max(wanted_, index + 1);
  changed_.notify_all();
  if (states_[index] == State::kWaiting) {
    states_[index] = State::kTaken;
    lock.unlock();
    TrackTags tags;
    ReadFileTags(files_[index], &tags);
    return tags;
  }
  changed_.wait(lock, [&] { return states_[index] != State::kReading; });
  if (states_[index] != State::kRead) return std::nullopt;  // taken twice
  states_[index] = State::kTaken;
  return std::move(tags_[index]);
}
