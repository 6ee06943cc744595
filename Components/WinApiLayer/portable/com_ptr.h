// Holds one reference to a COM interface and releases it on every path.
#pragma once

#include "com_iid.h"

#include <type_traits>
#include <utility>

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to `raw`.
  explicit ComPtr(T* raw) : ptr_(raw) {
    if (ptr_) ptr_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.ptr_) {}
  ComPtr(ComPtr&& other) noexcept : ptr_(other.Detach()) {}
  // From a holder of a class or interface that converts to T (a COM object
  // made as its own class, handed on as one of its interfaces).
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.Get())) {}
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(ComPtr<U>&& other) noexcept : ptr_(other.Detach()) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }

  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

  void Reset() {
    T* old = ptr_;
    ptr_ = nullptr;
    if (old) old->Release();
  }
  // Adopts a reference the caller already owns.
  void Attach(T* raw) {
    Reset();
    ptr_ = raw;
  }
  // Gives up the reference without releasing it.
  T* Detach() {
    T* raw = ptr_;
    ptr_ = nullptr;
    return raw;
  }
  void Swap(ComPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

  // For out parameters: releases what is held first.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &ptr_;
  }
  T** operator&() { return ReleaseAndGetAddressOf(); }
  void** AsVoidOut() { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

  // QueryInterface into another holder; the target is emptied on failure.
  template <typename U>
  HRESULT As(ComPtr<U>* target) const {
    if (!target) return E_POINTER;
    if (!ptr_) {
      target->Reset();
      return E_POINTER;
    }
    return ptr_->QueryInterface(InterfaceIdOf<U>::Get(), target->AsVoidOut());
  }
  // The same into `&holder`: a holder's address-of yields U** (emptied first),
  // so `ptr.As(&other)` lands here.
  template <typename U>
  HRESULT As(U** target) const {
    if (!target) return E_POINTER;
    *target = nullptr;
    return ptr_ ? ptr_->QueryInterface(InterfaceIdOf<U>::Get(), reinterpret_cast<void**>(target)) : E_POINTER;
  }
  HRESULT AsIid(REFIID iid, void** out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    return ptr_ ? ptr_->QueryInterface(iid, out) : E_POINTER;
  }

  // Hands a new reference to a raw out parameter.
  template <typename U>
  HRESULT CopyTo(U** out) const {
    if (!out) return E_POINTER;
    *out = ptr_;
    if (ptr_) ptr_->AddRef();
    return S_OK;
  }

 private:
  T* ptr_ = nullptr;
};

template <typename T>
bool operator==(const ComPtr<T>& a, std::nullptr_t) {
  return a.Get() == nullptr;
}
template <typename T>
bool operator!=(const ComPtr<T>& a, std::nullptr_t) {
  return a.Get() != nullptr;
}
