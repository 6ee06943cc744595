// The folder player's writes into files on the medium: each one checked, and
// counted against a limit tests set to play a full medium.
#pragma once

#include <string>

namespace wmdm_standin {

// Writes all of `length` bytes at the descriptor's offset; false with errno
// set when a write fails (or the test limit is spent: ENOSPC).
bool WriteAll(int descriptor, const char* data, size_t length);

// The same at `offset`, leaving the descriptor's own offset where it was.
bool WriteAllAt(int descriptor, unsigned long long offset, const char* data, size_t length);

// Copies `length` bytes (the rest of `from` by default) from `from`'s offset
// to `to`'s: in the kernel where it can, in pieces otherwise; never the whole
// file in memory. False with errno set when a read or write fails.
bool CopyContent(int from, int to, unsigned long long length = ~0ull);

// Makes every write fail with ENOSPC once this many bytes were written
// (negative: never).
void SetWriteBudget(long long bytes);

}  // namespace wmdm_standin
