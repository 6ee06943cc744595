// What every stand-in COM object shares: the common COM object base plus a
// count of the objects alive (so tests can prove nothing leaked), and the
// platform's conventions for caller buffers and callee-allocated memory.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <com_object.h>
#include <result_macros.h>
#include <wide_text.h>

namespace wmdm_standin {

// Stand-in COM objects alive in the process (class factories included).
long LiveComObjects();

// Counts one object alive for as long as it exists.
class LiveObjectCount {
 public:
  LiveObjectCount();
  ~LiveObjectCount();
  LiveObjectCount(const LiveObjectCount&) = delete;
  LiveObjectCount& operator=(const LiveObjectCount&) = delete;
};

// The base of every stand-in COM object (see ComObject).
template <typename Derived, typename... Entries>
class StandInObject : public ComObject<Derived, Entries...> {
 private:
  LiveObjectCount live_;
};

// Hands one value to a caller's out parameter, as the platform's plain
// getters do: no pointer, E_INVALIDARG.
template <typename Out, typename Value>
HRESULT CopyOut(Out* out, const Value& value) {
  if (!out) return E_INVALIDARG;
  *out = value;
  return S_OK;
}

// Copies a name into a caller's buffer of `maxChars` characters, terminator
// included. A name that does not fit is refused, never cut, and the buffer is
// left as it was.
HRESULT CopyNameOut(const WString& name, LPWSTR buffer, UINT maxChars);

// A CoTaskMemAlloc'd copy of `text` with its terminator, or null.
WCHAR* TaskMemString(const WString& text);

// For the methods the plug-in never calls: says so on the debugger output
// and answers E_NOTIMPL.
HRESULT NotImplemented(const char* interfaceAndMethod);

}  // namespace wmdm_standin
