#include "core/module_lock.h"

#include <atomic>

namespace {
std::atomic<LONG> g_moduleLocks{0};
}  // namespace

LONG ModuleLockCount() { return g_moduleLocks.load(); }

ModuleLockHolder::ModuleLockHolder() { ++g_moduleLocks; }

ModuleLockHolder::~ModuleLockHolder() { --g_moduleLocks; }
