// The one door between the host and the plug-in's work, in the manner of a
// CATCH_RETURN. A slot's body returns a platform result (or one of the host's
// own codes, which pass through unchanged), may return early with
// RETURN_IF_FAILED and may throw; the door takes the plug-in lock where the
// slot does, maps the result once and stops every exception, so that none
// reaches the host or ends the notification worker.
#pragma once

#include <windows.h>

#include <critical_section.h>

#include "base/catch_to_result.h"
#include "core/map_result.h"

// A slot that takes no lock (Initialize, Shutdown).
template <typename Body>
HRESULT RunHostSlot(Body&& body) noexcept {
  return MapResult(CatchToResult(body));
}

// A slot that runs under the plug-in lock. `afterLock` runs once the lock is
// left: the getters log the value they return there.
template <typename Body, typename AfterLock>
HRESULT RunLockedHostSlot(CriticalSection& lock, Body&& body, AfterLock&& afterLock) noexcept {
  return MapResult(CatchToResult([&] {
    HRESULT result;
    {
      ScopedLock held(lock);
      result = body();
    }
    afterLock();
    return result;
  }));
}

template <typename Body>
HRESULT RunLockedHostSlot(CriticalSection& lock, Body&& body) noexcept {
  return RunLockedHostSlot(lock, body, [] {});
}
