// The one door between the host and the plug-in's work, in the manner of a
// CATCH_RETURN. A slot's body returns a platform result (or one of the host's
// own codes, which pass through unchanged), may return early with
// RETURN_IF_FAILED and may throw; the door takes the plug-in lock where the
// slot does, maps the result once and stops every exception, so that none
// reaches the host or ends the notification worker.
#pragma once

#include <windows.h>

#include <critical_section.h>

#include <wide_text.h>

#include "base/catch_to_result.h"
#include "core/host_link.h"
#include "core/map_result.h"

// A slot that takes no lock (Initialize, Shutdown).
template <typename Body>
HRESULT RunHostSlot(Body&& body) noexcept {
  return MapResult(CatchToResult(body));
}

// An exception a locked slot's door stopped, told to the host's log under
// the lock, as every line is.
inline void LogStoppedSlot(CriticalSection& lock, const HostLink& link, const char* what) {
  ScopedLock held(lock);
  link.WriteLog(W("WMDM10: an unexpected error stopped the call: ") + wide::FromUtf8(what));
}

// A slot that runs under the plug-in lock. `afterLock` runs once the lock is
// left: the getters log the value they return there. An exception other than
// an allocation failure is logged through `link` before it becomes a failure.
template <typename Body, typename AfterLock>
HRESULT RunLockedHostSlot(CriticalSection& lock, const HostLink& link, Body&& body, AfterLock&& afterLock) noexcept {
  return MapResult(CatchToResult(
      [&] {
        HRESULT result;
        {
          ScopedLock held(lock);
          result = body();
        }
        afterLock();
        return result;
      },
      [&](const char* what) { LogStoppedSlot(lock, link, what); }));
}

template <typename Body>
HRESULT RunLockedHostSlot(CriticalSection& lock, const HostLink& link, Body&& body) noexcept {
  return RunLockedHostSlot(lock, link, body, [] {});
}
