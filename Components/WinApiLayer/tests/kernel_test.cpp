#include <windows.h>
#include <process.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(CriticalSection, TheOwnerMayEnterAgain) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  bool otherGotIn = true;
  std::thread([&] { otherGotIn = TryEnterCriticalSection(&section) != FALSE; }).join();
  EXPECT_FALSE(otherGotIn);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  std::thread([&] { otherGotIn = TryEnterCriticalSection(&section) != FALSE; }).join();
  EXPECT_FALSE(otherGotIn) << "still held once";
  LeaveCriticalSection(&section);
  std::thread([&] {
    otherGotIn = TryEnterCriticalSection(&section) != FALSE;
    if (otherGotIn) LeaveCriticalSection(&section);
  }).join();
  EXPECT_TRUE(otherGotIn);
  DeleteCriticalSection(&section);
}

TEST(CriticalSection, ExcludesOtherThreads) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      EnterCriticalSection(&section);
      counter = counter + 1;
      LeaveCriticalSection(&section);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(40000, counter);
  DeleteCriticalSection(&section);
}

struct Gate {
  std::atomic<bool> open{false};
  std::atomic<DWORD> threadId{0};
  std::atomic<bool> passed{false};  // the thread's last touch of the gate
};

unsigned STDMETHODCALLTYPE WaitAtGate(void* raw) {
  auto* gate = static_cast<Gate*>(raw);
  gate->threadId = GetCurrentThreadId();
  while (!gate->open) Sleep(1);
  gate->passed = true;
  return 42;
}

TEST(Threads, WaitTimesOutWhileRunningAndSucceedsAfter) {
  Gate gate;
  unsigned id = 0;
  const auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WaitAtGate, &gate, 0, &id));
  ASSERT_NE(nullptr, handle);
  EXPECT_NE(0u, id);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(handle, 0));
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(handle, 30));
  DWORD exitCode = 0;
  EXPECT_TRUE(GetExitCodeThread(handle, &exitCode));
  EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), exitCode);
  gate.open = true;
  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(handle, INFINITE));
  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(handle, 0)) << "stays signalled";
  EXPECT_TRUE(GetExitCodeThread(handle, &exitCode));
  EXPECT_EQ(42u, exitCode);
  EXPECT_EQ(static_cast<DWORD>(id), gate.threadId.load());
  EXPECT_NE(GetCurrentThreadId(), gate.threadId.load());
  EXPECT_TRUE(CloseHandle(handle));
}

// A thread runs on after its handle is closed; the closed handle is invalid.
TEST(Threads, AClosedHandleIsInvalidWhileTheThreadRunsOn) {
  Gate gate;
  const auto handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WaitAtGate, &gate, 0, nullptr));
  ASSERT_NE(nullptr, handle);
  ASSERT_TRUE(CloseHandle(handle));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(handle));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  SetLastError(0);
  EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(handle, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  gate.open = true;
  while (!gate.passed) Sleep(1);
}

// Read back with no other call in between: starting and joining threads may
// set the caller's own last error.
TEST(Threads, LastErrorBelongsToEachThread) {
  std::atomic<int> step{0};
  DWORD workerSaw = 99;
  std::thread worker([&] {
    while (step != 1) {
    }
    workerSaw = GetLastError();
    SetLastError(5);
    step = 2;
  });
  SetLastError(1234);
  step = 1;
  while (step != 2) {
  }
  const DWORD mine = GetLastError();
  worker.join();
  EXPECT_EQ(1234u, mine);
  EXPECT_NE(1234u, workerSaw);
}

TEST(Threads, SleepAndTickCount) {
  const DWORD start = GetTickCount();
  Sleep(100);
  const DWORD elapsed = GetTickCount() - start;
  // The tick count moves in steps of some 16 ms on Windows and under Wine.
  EXPECT_GE(elapsed, 60u);
  EXPECT_LT(elapsed, 5000u);
}

TEST(Interlocked, IncrementAndDecrementReturnTheNewValue) {
  volatile LONG value = 0;
  EXPECT_EQ(1, InterlockedIncrement(&value));
  EXPECT_EQ(2, InterlockedIncrement(&value));
  EXPECT_EQ(1, InterlockedDecrement(&value));
  EXPECT_EQ(0, InterlockedDecrement(&value));
  EXPECT_EQ(-1, InterlockedDecrement(&value));
}

TEST(ProcessHeap, ZeroedAllocation) {
  auto* block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 64));
  ASSERT_NE(nullptr, block);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(0, block[i]);
  EXPECT_TRUE(HeapFree(GetProcessHeap(), 0, block));
}

}  // namespace
