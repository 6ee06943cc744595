// Owns one PROPVARIANT (as WMDM's device properties hand them out) and clears
// it on every path.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <propidl.h>

class UniquePropVariant {
 public:
  UniquePropVariant() { PropVariantInit(&value_); }
  UniquePropVariant(const UniquePropVariant&) = delete;
  UniquePropVariant& operator=(const UniquePropVariant&) = delete;
  ~UniquePropVariant() { PropVariantClear(&value_); }

  PROPVARIANT* Get() { return &value_; }
  const PROPVARIANT* Get() const { return &value_; }
  PROPVARIANT* operator->() { return &value_; }
  const PROPVARIANT* operator->() const { return &value_; }
  VARTYPE Type() const { return value_.vt; }

  // Clears and hands the empty value to an out parameter.
  PROPVARIANT* Put() {
    PropVariantClear(&value_);
    PropVariantInit(&value_);
    return &value_;
  }
  // Moves the contents out; the holder is left empty.
  PROPVARIANT Release() {
    PROPVARIANT out = value_;
    PropVariantInit(&value_);
    return out;
  }

 private:
  PROPVARIANT value_;
};
