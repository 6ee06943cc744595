// The layer's allocation points, each of which a test can make fail.
// Off unless a test installs a filter: then one relaxed atomic load per call.
#pragma once

#include <atomic>

#include "allocation_filter.h"

namespace winapi_internal {

extern std::atomic<WinApiAllocationFilter> allocationFilter;

inline bool AllocationShouldFail(const void* caller) {
  const WinApiAllocationFilter filter = allocationFilter.load(std::memory_order_relaxed);
  return filter && filter(caller);
}

}  // namespace winapi_internal

// Judged by the address the exported function returns to, so that an
// allocation is attributed to the module that asked for it; a function of the
// layer that allocates through another one is judged again with the layer as
// the caller, which a filter that counts only other modules' calls ignores.
#define WINAPI_ALLOCATION_POINT(failed) \
  if (winapi_internal::AllocationShouldFail(__builtin_return_address(0))) return failed
