// _beginthreadex over pthreads. The thread's handle is signalled when the
// thread function has returned; the handle and the running thread share the
// thread object, so either may outlive the other.
#include <process.h>
#include <winbase.h>

#include <errno.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "handle_table.h"

namespace winapi {
namespace {

std::atomic<DWORD> nextThreadId{1};
thread_local DWORD currentThreadId = 0;

// Multiples of 4, as Windows hands them out; never 0.
DWORD NewThreadId() { return nextThreadId.fetch_add(1) * 4; }

class Thread final : public KernelObject {
 public:
  Thread(_beginthreadex_proc_type start, void* argument, DWORD id) : start_(start), argument_(argument), id_(id) {}

  void Run() {
    currentThreadId = id_;
    const unsigned exitCode = start_(argument_);
    std::lock_guard<std::mutex> lock(mutex_);
    exitCode_ = exitCode;
    finished_ = true;
    finishedSignal_.notify_all();
  }

  DWORD Wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto finished = [this] { return finished_; };
    if (milliseconds == INFINITE) {
      finishedSignal_.wait(lock, finished);
      return WAIT_OBJECT_0;
    }
    return finishedSignal_.wait_for(lock, std::chrono::milliseconds(milliseconds), finished) ? WAIT_OBJECT_0
                                                                                            : WAIT_TIMEOUT;
  }

  DWORD ExitCode() {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_ ? exitCode_ : STILL_ACTIVE;
  }

 private:
  _beginthreadex_proc_type start_;
  void* argument_;
  DWORD id_;
  std::mutex mutex_;
  std::condition_variable finishedSignal_;
  bool finished_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
};

// The new thread's own reference to its object, handed over through pthreads.
struct StartBlock {
  std::shared_ptr<Thread> thread;
};

void* ThreadMain(void* raw) {
  std::shared_ptr<Thread> thread = std::move(static_cast<StartBlock*>(raw)->thread);
  delete static_cast<StartBlock*>(raw);
  thread->Run();
  return nullptr;
}

bool StartDetached(StartBlock* block) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t id;
  const bool started = pthread_create(&id, &attributes, ThreadMain, block) == 0;
  pthread_attr_destroy(&attributes);
  return started;
}

}  // namespace

}  // namespace winapi

using namespace winapi;

extern "C" uintptr_t _beginthreadex(void* security, unsigned stackSize, _beginthreadex_proc_type start,
                                    void* argument, unsigned initFlag, unsigned* threadId) {
  // Suspended starts are not offered.
  if (!start || initFlag != 0) {
    errno = EINVAL;
    return 0;
  }
  const DWORD id = NewThreadId();
  std::shared_ptr<Thread> thread;
  try {
    thread = std::make_shared<Thread>(start, argument, id);
  } catch (...) {
    errno = ENOMEM;
    return 0;
  }
  HANDLE handle = InsertHandle(thread);
  auto* block = new (std::nothrow) StartBlock{thread};
  if (!handle || !block || !StartDetached(block)) {
    delete block;
    if (handle) RemoveHandle(handle);
    errno = EAGAIN;
    return 0;
  }
  if (threadId) *threadId = id;
  return reinterpret_cast<uintptr_t>(handle);
}

extern "C" BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  auto thread = std::dynamic_pointer_cast<Thread>(LookUpHandle(handle));
  if (!thread || !exitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = thread->ExitCode();
  return TRUE;
}

extern "C" DWORD GetCurrentThreadId(void) {
  if (currentThreadId == 0) currentThreadId = NewThreadId();
  return currentThreadId;
}
