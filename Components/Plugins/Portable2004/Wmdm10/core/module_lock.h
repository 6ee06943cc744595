// The module's count of locks held by objects it handed out, as a COM server
// keeps one: an object that the platform may still hold after a host call
// returns (the progress object) holds a lock while it lives, so that the
// module can tell whether code of its own is still reachable.
#pragma once

#include <windows.h>

// Locks held right now.
LONG ModuleLockCount();

// Holds one lock for its own lifetime; a member of every such object.
class ModuleLockHolder {
 public:
  ModuleLockHolder();
  ~ModuleLockHolder();
  ModuleLockHolder(const ModuleLockHolder&) = delete;
  ModuleLockHolder& operator=(const ModuleLockHolder&) = delete;
};
