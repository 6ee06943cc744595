// Where a thread of the plug-in's work meets an exception: the host's slots
// and the notification worker's passes both end here, so that none escapes.
#pragma once

#include <windows.h>

#include <exception>
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

// Hands `what` to `stopped`, dropping whatever it throws.
template <typename Stopped>
void TellStopped(Stopped& stopped, const char* what) noexcept {
  try {
    stopped(what);
  } catch (...) {
  }
}

// The same, telling `stopped` (void(const char* what)) of every exception but
// an allocation failure before it becomes E_FAIL: a failure nobody hears of
// is one nobody can look into.
template <typename Work, typename Stopped>
HRESULT CatchToResult(Work&& work, Stopped&& stopped) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception& error) {
    TellStopped(stopped, error.what());
  } catch (...) {
    TellStopped(stopped, "an exception of no standard kind");
  }
  return E_FAIL;
}
