// Subset of the C runtime's process.h for the Linux lane.
#pragma once

#include "windef.h"

typedef unsigned(STDMETHODCALLTYPE* _beginthreadex_proc_type)(void*);

// Returns a thread handle for WaitForSingleObject/CloseHandle, or 0 on failure.
extern "C" uintptr_t _beginthreadex(void* security, unsigned stackSize, _beginthreadex_proc_type start,
                                    void* argument, unsigned initFlag, unsigned* threadId);
