// The calling thread's last-error value.
#include <winbase.h>

namespace {
thread_local DWORD lastError = 0;
}

extern "C" DWORD GetLastError(void) { return lastError; }

extern "C" void SetLastError(DWORD error) { lastError = error; }
