// Test-only: makes the Linux layer's C-style allocations (BSTRs, task memory,
// safe arrays, heap blocks, copies of variants) fail on demand. The filter is
// asked with the address each call returns to and answers true to make that
// allocation fail as it would on an exhausted machine (null, FALSE or
// E_OUTOFMEMORY). Null, the default, leaves every allocation alone.
#pragma once

using WinApiAllocationFilter = bool (*)(const void* caller);

extern "C" void WinApiSetAllocationFilter(WinApiAllocationFilter filter);
