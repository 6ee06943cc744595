// Kernel objects reached through HANDLE values, as Windows hands them out.
#pragma once

#include <winbase.h>

#include <memory>

namespace winapi {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // WAIT_OBJECT_0 once signalled, WAIT_TIMEOUT when `milliseconds` pass first.
  virtual DWORD Wait(DWORD milliseconds) = 0;
};

// Adds an object to the table; null when the table cannot grow.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null for a handle that is not open.
std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle);
bool RemoveHandle(HANDLE handle);

}  // namespace winapi
