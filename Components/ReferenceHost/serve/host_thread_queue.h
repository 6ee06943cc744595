// The plug-in is apartment-threaded, as a host's UI thread would be: every
// call goes to the one thread that brought it up. The web server's threads
// hand their work to that thread through this queue and wait for the answer.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>

#include "serve/api_answer.h"

class HostThreadQueue {
 public:
  // From a web thread: runs `task` on the host thread and returns its answer;
  // a refusal once the queue is closed.
  ApiAnswer Call(std::function<ApiAnswer()> task);

  // On the host thread: waits up to `milliseconds` for work, then runs
  // everything queued.
  void RunPending(unsigned milliseconds);

  // Answers what is still queued with a refusal; later calls are refused.
  void Close();

 private:
  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<std::packaged_task<ApiAnswer()>> tasks_;
  bool closed_ = false;
};
