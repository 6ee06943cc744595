// Owns one BSTR (SysAllocString'd) and frees it on every path.
//
// Taking a BSTR someone handed us and copying text are different acts, and
// a BSTR converts silently to const WCHAR*: a copying constructor that
// accepted it leaked every string a callee allocated. So a BSTR (a mutable
// WCHAR*) never binds to a constructor: Adopt() takes ownership of it, and a
// borrowed one is copied by saying so, UniqueBstr(static_cast<const WCHAR*>(b)).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "wide_text.h"

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(const WCHAR* text) : bstr_(text ? SysAllocString(text) : nullptr) {}
  UniqueBstr(WCHAR* bstr) = delete;
  explicit UniqueBstr(const WString& text)
      : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  UniqueBstr(UniqueBstr&& other) noexcept : bstr_(other.Release()) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~UniqueBstr() { Reset(); }

  // Takes ownership of a BSTR a callee allocated for us.
  static UniqueBstr Adopt(BSTR bstr) {
    UniqueBstr owner;
    owner.bstr_ = bstr;
    return owner;
  }

  BSTR Get() const { return bstr_; }
  explicit operator bool() const { return bstr_ != nullptr; }
  UINT Length() const { return SysStringLen(bstr_); }
  WString ToString() const { return bstr_ ? WString(bstr_, SysStringLen(bstr_)) : WString(); }

  void Reset(BSTR bstr = nullptr) {
    if (bstr_ != bstr) SysFreeString(bstr_);
    bstr_ = bstr;
  }
  // Hands ownership to the caller, e.g. into a host's out parameter.
  BSTR Release() {
    BSTR bstr = bstr_;
    bstr_ = nullptr;
    return bstr;
  }
  BSTR* Put() {
    Reset();
    return &bstr_;
  }

 private:
  BSTR bstr_ = nullptr;
};
