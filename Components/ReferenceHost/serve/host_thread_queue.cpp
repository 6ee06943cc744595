#include "serve/host_thread_queue.h"

#include <chrono>

namespace {

ApiAnswer Stopping() { return ApiAnswer::Refused(503, "mdhost serve is stopping."); }

}  // namespace

ApiAnswer HostThreadQueue::Call(std::function<ApiAnswer()> task) {
  std::packaged_task<ApiAnswer()> packaged(std::move(task));
  std::future<ApiAnswer> answer = packaged.get_future();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return Stopping();
    tasks_.push_back(std::move(packaged));
  }
  queued_.notify_one();
  return answer.get();
}

void HostThreadQueue::RunPending(unsigned milliseconds) {
  std::deque<std::packaged_task<ApiAnswer()>> ready;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    queued_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return !tasks_.empty(); });
    ready.swap(tasks_);
  }
  for (auto& task : ready) task();
}

void HostThreadQueue::Close() {
  std::deque<std::packaged_task<ApiAnswer()>> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    left.swap(tasks_);
  }
  for (auto& task : left) {
    // The task itself is dropped unrun: its caller gets the refusal.
    std::packaged_task<ApiAnswer()> refusal(Stopping);
    task.swap(refusal);
    task();
  }
}
