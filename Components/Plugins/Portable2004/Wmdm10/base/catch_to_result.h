// Where a thread of the plug-in's work meets an exception: the host's slots
// and the notification worker's passes both end here, so that none escapes.
#pragma once

#include <windows.h>

#include <new>

// Runs `work`; an exception becomes a result: E_OUTOFMEMORY for an allocation
// failure, E_FAIL for anything else.
template <typename Work>
HRESULT CatchToResult(Work&& work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}
