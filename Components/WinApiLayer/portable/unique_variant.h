// Owns one VARIANT and clears it on every path.
#pragma once

#include <windows.h>
#include <oleauto.h>

class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&value_); }

  VARIANT* Get() { return &value_; }
  const VARIANT* Get() const { return &value_; }
  VARIANT* operator->() { return &value_; }
  const VARIANT* operator->() const { return &value_; }
  VARTYPE Type() const { return value_.vt; }

  // Clears and hands the empty variant to an out parameter.
  VARIANT* Put() {
    VariantClear(&value_);
    return &value_;
  }
  HRESULT CopyFrom(const VARIANT& source) {
    VariantClear(&value_);
    // mingw's oleauto.h declares the source without const.
    return VariantCopy(&value_, const_cast<VARIANT*>(&source));
  }
  // Moves the contents out; the holder is left empty.
  VARIANT Release() {
    VARIANT out = value_;
    VariantInit(&value_);
    return out;
  }

 private:
  VARIANT value_;
};
