// A block of storages WMDM hands out (a playlist's references), with the
// reference each element holds: released, element by element and then the
// block, on every path unless taken over.
#pragma once

#include <windows.h>

#include <utility>

#include <com_ptr.h>
#include <mswmdm.h>
#include <unique_task_mem.h>

class StorageBlock {
 public:
  StorageBlock() = default;
  StorageBlock(const StorageBlock&) = delete;
  StorageBlock& operator=(const StorageBlock&) = delete;
  StorageBlock(StorageBlock&& other) noexcept
      : items_(std::move(other.items_)), count_(std::exchange(other.count_, 0)) {}
  StorageBlock& operator=(StorageBlock&& other) noexcept {
    if (this != &other) {
      ReleaseEach();
      items_ = std::move(other.items_);
      count_ = std::exchange(other.count_, 0);
    }
    return *this;
  }
  ~StorageBlock() { ReleaseEach(); }

  // The two out parameters of GetReferences; whatever was held goes first.
  IWMDMStorage*** PutItems() {
    ReleaseEach();
    return items_.Put();
  }
  DWORD* PutCount() { return &count_; }

  DWORD Count() const { return items_ ? count_ : 0; }
  // The element at `index`, still owned by the block (may be null).
  IWMDMStorage* At(DWORD index) const { return items_[index]; }
  // Takes the element's reference out of the block.
  ComPtr<IWMDMStorage> Take(DWORD index) {
    ComPtr<IWMDMStorage> taken;
    taken.Attach(std::exchange(items_[index], nullptr));
    return taken;
  }

 private:
  void ReleaseEach() {
    for (DWORD i = 0; i < Count(); ++i)
      if (items_[i]) items_[i]->Release();
    items_.Reset();
    count_ = 0;
  }

  UniqueTaskMem<IWMDMStorage*> items_;
  DWORD count_ = 0;
};
