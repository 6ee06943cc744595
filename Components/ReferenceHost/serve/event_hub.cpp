#include "serve/event_hub.h"

#include <algorithm>
#include <chrono>

namespace {

// A stream the page stopped reading does not grow without end.
constexpr size_t kMostPending = 1000;

}  // namespace

void EventHub::Publish(const std::string& event, const std::string& data) {
  const std::string message = "event: " + event + "\ndata: " + data + "\n\n";
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& stream : streams_)
      if (stream->pending.size() < kMostPending) stream->pending.push_back(message);
  }
  published_.notify_all();
}

std::shared_ptr<EventHub::Stream> EventHub::Open() {
  auto stream = std::make_shared<Stream>();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (streams_.size() >= kMostStreams) {
      streams_.front()->ended = true;
      streams_.erase(streams_.begin());
    }
    streams_.push_back(stream);
  }
  published_.notify_all();
  return stream;
}

void EventHub::Drop(const std::shared_ptr<Stream>& stream) {
  std::lock_guard<std::mutex> lock(mutex_);
  streams_.erase(std::remove(streams_.begin(), streams_.end(), stream), streams_.end());
}

bool EventHub::Next(const std::shared_ptr<Stream>& stream, unsigned milliseconds, std::string* message) {
  std::unique_lock<std::mutex> lock(mutex_);
  published_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                      [&] { return closed_ || stream->ended || !stream->pending.empty(); });
  if (closed_ || stream->ended) return false;
  if (stream->pending.empty()) {
    message->clear();
    return true;
  }
  *message = std::move(stream->pending.front());
  stream->pending.pop_front();
  return true;
}

void EventHub::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  published_.notify_all();
}
