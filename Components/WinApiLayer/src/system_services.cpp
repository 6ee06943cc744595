// Small kernel services: the tick count, interlocked arithmetic and the
// process heap.
#include <winbase.h>

#include <time.h>

#include <cstdlib>

#include "allocation_fault.h"

namespace {
// Any non-null value names the one heap there is.
int processHeap;
}  // namespace

extern "C" DWORD GetTickCount(void) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Milliseconds since an arbitrary start, wrapping at 2^32 as on Windows.
  return static_cast<DWORD>(static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

extern "C" void Sleep(DWORD milliseconds) {
  timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0) {
  }
}

extern "C" LONG InterlockedIncrement(LONG volatile* value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }

extern "C" LONG InterlockedDecrement(LONG volatile* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }

extern "C" HANDLE GetProcessHeap(void) { return &processHeap; }

extern "C" LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  WINAPI_ALLOCATION_POINT(nullptr);
  if (bytes == 0) bytes = 1;
  return (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes) : std::malloc(bytes);
}

extern "C" BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
  std::free(memory);
  return TRUE;
}
