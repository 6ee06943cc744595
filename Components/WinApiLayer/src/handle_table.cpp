// The process's handle table: small multiples of 4, never reused while open.
#include "handle_table.h"

#include <mutex>
#include <unordered_map>

namespace winapi {
namespace {

std::mutex tableMutex;
std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> table;
uintptr_t nextValue = 4;

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  std::lock_guard<std::mutex> lock(tableMutex);
  try {
    const uintptr_t value = nextValue;
    table.emplace(value, std::move(object));
    nextValue += 4;
    return reinterpret_cast<HANDLE>(value);
  } catch (...) {
    return nullptr;
  }
}

std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle) {
  std::lock_guard<std::mutex> lock(tableMutex);
  const auto found = table.find(reinterpret_cast<uintptr_t>(handle));
  return found == table.end() ? nullptr : found->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> removed;  // destroyed after the lock is left
  std::lock_guard<std::mutex> lock(tableMutex);
  const auto found = table.find(reinterpret_cast<uintptr_t>(handle));
  if (found == table.end()) return false;
  removed = std::move(found->second);
  table.erase(found);
  return true;
}

}  // namespace winapi

extern "C" BOOL CloseHandle(HANDLE handle) {
  if (winapi::RemoveHandle(handle)) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

extern "C" DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  const std::shared_ptr<winapi::KernelObject> object = winapi::LookUpHandle(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return object->Wait(milliseconds);
}
