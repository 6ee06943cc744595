#include "allocation_fault.h"

namespace winapi_internal {

std::atomic<WinApiAllocationFilter> allocationFilter{nullptr};

}  // namespace winapi_internal

extern "C" void WinApiSetAllocationFilter(WinApiAllocationFilter filter) {
  winapi_internal::allocationFilter.store(filter, std::memory_order_relaxed);
}
