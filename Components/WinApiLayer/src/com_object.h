// A reference count for the COM objects this library implements itself.
#pragma once

#include <unknwn.h>

#include <atomic>

namespace winapi {

class RefCount {
 public:
  ULONG Increment() { return ++count_; }
  // True when the last reference went.
  ULONG Decrement() { return --count_; }

 private:
  std::atomic<ULONG> count_{1};
};

}  // namespace winapi
