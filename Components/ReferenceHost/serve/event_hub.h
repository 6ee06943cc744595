// Server-sent events: the host thread publishes what changed (players
// arriving and leaving, content changed, a send's progress) and every open
// event stream of the page receives it.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class EventHub {
 public:
  struct Stream {
    std::deque<std::string> pending;  // framed messages not yet written
    bool ended = false;               // made way for a newer stream
  };

  // `data` is one line of JSON.
  void Publish(const std::string& event, const std::string& data);

  // A new stream; beyond kMostStreams the oldest ends, so streams whose
  // clients vanished unnoticed never keep a new page from hearing.
  std::shared_ptr<Stream> Open();
  void Drop(const std::shared_ptr<Stream>& stream);
  // The next framed message of `stream`, or an empty one after
  // `milliseconds`; false once the hub is closed or the stream ended.
  bool Next(const std::shared_ptr<Stream>& stream, unsigned milliseconds, std::string* message);
  void Close();

  static constexpr size_t kMostStreams = 8;

 private:
  std::mutex mutex_;
  std::condition_variable published_;
  std::vector<std::shared_ptr<Stream>> streams_;
  bool closed_ = false;
};
