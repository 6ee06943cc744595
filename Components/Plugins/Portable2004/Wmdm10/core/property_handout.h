// The hand-out every typed property getter (device and media, flag, number
// and text) shares: the out parameter emptied on entry, the value converted to
// the host's type once it is found, and the "returned" line written once the
// plug-in lock is left.
#pragma once

#include <result_macros.h>
#include <unique_bstr.h>
#include <wide_text.h>

#include <critical_section.h>

#include "core/host_boundary.h"
#include "core/host_link.h"

namespace property_handout {

inline HRESULT Convert(bool answer, BOOL* out) {
  *out = answer ? TRUE : FALSE;
  return S_OK;
}

inline HRESULT Convert(LONG answer, LONG* out) {
  *out = answer;
  return S_OK;
}

// A BSTR the host frees; nothing is handed out when it cannot be made.
inline HRESULT Convert(const WString& answer, BSTR* out) {
  UniqueBstr text(answer);
  if (!text) return E_OUTOFMEMORY;
  *out = text.Release();
  return S_OK;
}

// What the "returned" line says. A flag or a number left unanswered reads as
// its default; a text reads "NULL" unless it reached the host.
inline WString Returned(bool answer, bool) { return answer ? W("true") : W("false"); }
inline WString Returned(LONG answer, bool) { return wide::FromSigned(answer); }
inline WString Returned(const WString& answer, bool handedOut) { return handedOut ? answer : WString(W("NULL")); }

}  // namespace property_handout

// Runs one getter under the plug-in lock. `lookUp(&answer, &answered)` finds
// the value (its own checks and "called" line included) and says whether there
// is one to hand out, which may be so even with a failing result.
template <typename Value, typename Out, typename LookUp>
HRESULT HandOutProperty(CriticalSection& lock, const HostLink& link, const WCHAR* operation, Out* out, LookUp lookUp) {
  Value answer{};
  bool handedOut = false;
  return RunLockedHostSlot(
      lock, link,
      [&]() -> HRESULT {
        if (out) *out = Out{};
        bool answered = false;
        const HRESULT hr = lookUp(&answer, &answered);
        if (answered) {
          RETURN_IF_FAILED(property_handout::Convert(answer, out));
          handedOut = true;
        }
        return hr;
      },
      [&] {
        link.WriteLog(WString(W("WMDM10::")) + operation + W(" returned ") +
                        property_handout::Returned(answer, handedOut));
      });
}
