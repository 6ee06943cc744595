#include "event_dispatcher.h"

#include <chrono>
#include <vector>

namespace wmdm_standin {

EventDispatcher::EventDispatcher() : thread_([this] { Run(); }) {}

EventDispatcher::~EventDispatcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

DWORD EventDispatcher::Advise(IWMDMNotification* sink, const void* owner) {
  std::lock_guard<std::mutex> lock(mutex_);
  const DWORD cookie = nextCookie_++;
  sinks_[cookie] = {ComPtr<IWMDMNotification>(sink), owner};
  return cookie;
}

bool EventDispatcher::Unadvise(DWORD cookie, const void* owner) {
  ComPtr<IWMDMNotification> released;  // released outside the lock
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = sinks_.find(cookie);
  if (found == sinks_.end() || found->second.second != owner) return false;
  released = std::move(found->second.first);
  sinks_.erase(found);
  return true;
}

void EventDispatcher::UnadviseOwner(const void* owner) {
  std::vector<ComPtr<IWMDMNotification>> released;
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = sinks_.begin(); it != sinks_.end();) {
    if (it->second.second == owner) {
      released.push_back(std::move(it->second.first));
      it = sinks_.erase(it);
    } else {
      ++it;
    }
  }
}

size_t EventDispatcher::SinkCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sinks_.size();
}

void EventDispatcher::Post(DWORD message, const WString& canonicalName) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (sinks_.empty()) return;
    Message queued{message, canonicalName, {}};
    for (const auto& entry : sinks_) queued.sinks.push_back(entry.second.first);
    queue_.push_back(std::move(queued));
  }
  wake_.notify_all();
}

void EventDispatcher::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && !delivering_; });
}

bool EventDispatcher::FlushWithin(unsigned milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                        [this] { return queue_.empty() && !delivering_; });
}

void EventDispatcher::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) break;
    Message message = std::move(queue_.front());
    queue_.pop_front();
    delivering_ = true;
    lock.unlock();
    Deliver(message);
    message.sinks.clear();  // released outside the lock
    lock.lock();
    delivering_ = false;
    if (queue_.empty()) idle_.notify_all();
  }
  // Nothing is delivered once the model is going away.
  std::deque<Message> dropped;
  dropped.swap(queue_);
  idle_.notify_all();
  lock.unlock();
}

void EventDispatcher::Deliver(const Message& message) {
  // The platform ignores what the sink answers and keeps the name its own.
  for (const auto& sink : message.sinks) sink->WMDMMessage(message.type, message.name.c_str());
}

}  // namespace wmdm_standin
