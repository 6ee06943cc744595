// Owns one block a callee allocated with CoTaskMemAlloc for us (a string,
// a tag value, a list of formats, an array of interface pointers) and frees
// it on every path. The block's contents are the caller's concern: an array
// of interface pointers has its references released, or taken over, before
// the block goes.
#pragma once

#include <windows.h>
#include <objbase.h>

template <class T>
class UniqueTaskMem {
 public:
  UniqueTaskMem() = default;
  explicit UniqueTaskMem(T* block) : block_(block) {}
  UniqueTaskMem(const UniqueTaskMem&) = delete;
  UniqueTaskMem& operator=(const UniqueTaskMem&) = delete;
  UniqueTaskMem(UniqueTaskMem&& other) noexcept : block_(other.Release()) {}
  UniqueTaskMem& operator=(UniqueTaskMem&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~UniqueTaskMem() { Reset(); }

  T* Get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }
  T& operator[](size_t index) const { return block_[index]; }

  void Reset(T* block = nullptr) {
    if (block_ != block) CoTaskMemFree(block_);
    block_ = block;
  }
  T* Release() {
    T* block = block_;
    block_ = nullptr;
    return block;
  }
  // Frees what was held and hands the empty slot to an out parameter.
  T** Put() {
    Reset();
    return &block_;
  }

 private:
  T* block_ = nullptr;
};
