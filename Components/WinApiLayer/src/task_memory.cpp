// The COM task allocator: memory that crosses module and interface boundaries.
#include <objbase.h>

#include <cstdlib>

#include "allocation_fault.h"

extern "C" LPVOID CoTaskMemAlloc(SIZE_T bytes) {
  WINAPI_ALLOCATION_POINT(nullptr);
  // A zero-byte request still yields a distinct block, as the task allocator gives.
  return std::malloc(bytes ? bytes : 1);
}

extern "C" LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes) {
  if (!memory) return CoTaskMemAlloc(bytes);
  if (bytes == 0) {
    std::free(memory);
    return nullptr;
  }
  WINAPI_ALLOCATION_POINT(nullptr);
  return std::realloc(memory, bytes);
}

extern "C" void CoTaskMemFree(LPVOID memory) { std::free(memory); }
