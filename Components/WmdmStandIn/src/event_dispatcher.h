// Delivers device and media arrival and removal messages to every advised
// notification sink from a thread of the stand-in's own, as the platform
// calls its clients' sinks from a thread of its choosing.
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <wide_text.h>

namespace wmdm_standin {

class EventDispatcher {
 public:
  EventDispatcher();
  ~EventDispatcher();
  EventDispatcher(const EventDispatcher&) = delete;
  EventDispatcher& operator=(const EventDispatcher&) = delete;

  // Keeps a reference to the sink until Unadvise; `owner` tells whose
  // connection point advised it. Cookies start at 1 and are never reused.
  DWORD Advise(IWMDMNotification* sink, const void* owner);
  bool Unadvise(DWORD cookie, const void* owner);
  // Drops the sinks a connection point's container left behind.
  void UnadviseOwner(const void* owner);
  size_t SinkCount() const;

  // Queues one message for the sinks advised now; a sink advised later does
  // not hear of it.
  void Post(DWORD message, const WString& canonicalName);
  // Waits until every message posted so far has reached its sinks.
  void Flush();
  // The same, giving up after `milliseconds`; false when something is still
  // undelivered then (a sink that blocks in WMDMMessage).
  bool FlushWithin(unsigned milliseconds);

 private:
  struct Message {
    DWORD type;
    WString name;
    std::vector<ComPtr<IWMDMNotification>> sinks;
  };
  void Run();
  void Deliver(const Message& message);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Message> queue_;
  std::map<DWORD, std::pair<ComPtr<IWMDMNotification>, const void*>> sinks_;
  DWORD nextCookie_ = 1;
  bool delivering_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace wmdm_standin
