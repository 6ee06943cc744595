// Owns one SAFEARRAY, destroying it on every path, with a scoped lock for
// SafeArrayAccessData.
#pragma once

#include <windows.h>
#include <oleauto.h>

class UniqueSafeArray {
 public:
  UniqueSafeArray() = default;
  explicit UniqueSafeArray(SAFEARRAY* array) : array_(array) {}
  UniqueSafeArray(const UniqueSafeArray&) = delete;
  UniqueSafeArray& operator=(const UniqueSafeArray&) = delete;
  UniqueSafeArray(UniqueSafeArray&& other) noexcept : array_(other.Release()) {}
  UniqueSafeArray& operator=(UniqueSafeArray&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~UniqueSafeArray() { Reset(); }

  SAFEARRAY* Get() const { return array_; }
  explicit operator bool() const { return array_ != nullptr; }
  void Reset(SAFEARRAY* array = nullptr) {
    if (array_ && array_ != array) SafeArrayDestroy(array_);
    array_ = array;
  }
  SAFEARRAY* Release() {
    SAFEARRAY* array = array_;
    array_ = nullptr;
    return array;
  }
  SAFEARRAY** Put() {
    Reset();
    return &array_;
  }
  // Element count of a one-dimensional array (0 when empty or unusable).
  LONG Count() const {
    LONG lower = 0, upper = -1;
    if (!array_ || FAILED(SafeArrayGetLBound(array_, 1, &lower)) || FAILED(SafeArrayGetUBound(array_, 1, &upper)))
      return 0;
    return upper - lower + 1;
  }

 private:
  SAFEARRAY* array_ = nullptr;
};

// Keeps a SAFEARRAY's data accessed for one scope.
template <typename T>
class ScopedSafeArrayAccess {
 public:
  explicit ScopedSafeArrayAccess(SAFEARRAY* array) : array_(array) {
    void* data = nullptr;
    if (array_ && SUCCEEDED(SafeArrayAccessData(array_, &data))) {
      data_ = static_cast<T*>(data);
    } else {
      array_ = nullptr;
    }
  }
  ScopedSafeArrayAccess(const ScopedSafeArrayAccess&) = delete;
  ScopedSafeArrayAccess& operator=(const ScopedSafeArrayAccess&) = delete;
  ~ScopedSafeArrayAccess() {
    if (array_) SafeArrayUnaccessData(array_);
  }
  T* Data() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  SAFEARRAY* array_;
  T* data_ = nullptr;
};
