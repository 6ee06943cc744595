// What every stand-in COM object shares: an atomic reference count that
// also counts the objects alive (so tests can prove nothing leaked) and the
// platform's conventions for caller buffers and callee-allocated memory.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>

#include "platform/result_macros.h"

#include <wide_text.h>

namespace wmdm_standin {

// Stand-in COM objects alive in the process (class factories included).
long LiveComObjects();

class RefCount {
 public:
  RefCount();
  ~RefCount();
  RefCount(const RefCount&) = delete;
  RefCount& operator=(const RefCount&) = delete;

  ULONG Add() { return ++count_; }
  // The new count; the owner deletes itself at 0.
  ULONG Drop() { return --count_; }

 private:
  std::atomic<ULONG> count_{1};
};

// Copies a name into a caller's buffer of `maxChars` characters, terminator
// included. A name that does not fit is refused, never cut, and the buffer is
// left as it was.
HRESULT CopyNameOut(const WString& name, LPWSTR buffer, UINT maxChars);

// A CoTaskMemAlloc'd copy of `text` with its terminator, or null.
WCHAR* TaskMemString(const WString& text);

}  // namespace wmdm_standin

// IUnknown's counting half for a class with a RefCount member `refs_`.
#define STANDIN_REFCOUNT_METHODS                                 \
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Add(); } \
  ULONG STDMETHODCALLTYPE Release() override {                   \
    const ULONG left = refs_.Drop();                             \
    if (left == 0) delete this;                                  \
    return left;                                                 \
  }

namespace wmdm_standin {

// For the methods the plug-in never calls: says so on the debugger output
// and answers E_NOTIMPL.
HRESULT NotImplemented(const char* interfaceAndMethod);

}  // namespace wmdm_standin
