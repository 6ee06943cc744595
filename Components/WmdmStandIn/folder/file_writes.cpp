#include "file_writes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <vector>

namespace wmdm_standin {
namespace {

constexpr size_t kCopyChunk = 1 << 20;

std::atomic<long long> g_writeBudget{-1};

// How much of `wanted` the test limit lets through now; 0 with errno ENOSPC
// when it is spent.
size_t Allowed(size_t wanted) {
  const long long budget = g_writeBudget.load();
  if (budget < 0) return wanted;
  if (budget == 0) {
    errno = ENOSPC;
    return 0;
  }
  const size_t chunk = std::min<size_t>(wanted, static_cast<size_t>(budget));
  g_writeBudget.fetch_sub(static_cast<long long>(chunk));
  return chunk;
}

}  // namespace

void SetWriteBudget(long long bytes) { g_writeBudget = bytes; }

bool WriteAll(int descriptor, const char* data, size_t length) {
  while (length > 0) {
    const size_t chunk = Allowed(length);
    if (chunk == 0) return false;
    const ssize_t written = write(descriptor, data, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

bool WriteAllAt(int descriptor, unsigned long long offset, const char* data, size_t length) {
  while (length > 0) {
    const size_t chunk = Allowed(length);
    if (chunk == 0) return false;
    const ssize_t written = pwrite(descriptor, data, chunk, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    offset += static_cast<unsigned long long>(written);
    length -= static_cast<size_t>(written);
  }
  return true;
}

bool CopyContent(int from, int to, unsigned long long length) {
  if (g_writeBudget.load() < 0) {
    for (;;) {
      if (length == 0) return true;
      const ssize_t copied =
          copy_file_range(from, nullptr, to, nullptr, std::min<unsigned long long>(length, kCopyChunk * 64), 0);
      if (copied == 0) return true;
      if (copied > 0) {
        length -= static_cast<unsigned long long>(copied);
        continue;
      }
      if (errno == EINTR) continue;
      if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return false;
      break;  // this pair of file systems wants the copy done by hand
    }
  }
  // No larger than the copy: a buffer is zeroed when made, and most tracks
  // are far smaller than a chunk.
  std::vector<char> buffer(static_cast<size_t>(std::min<unsigned long long>(length, kCopyChunk)));
  while (length > 0) {
    const ssize_t got = read(from, buffer.data(), std::min<unsigned long long>(length, buffer.size()));
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!WriteAll(to, buffer.data(), static_cast<size_t>(got))) return false;
    length -= static_cast<unsigned long long>(got);
  }
  return true;
}

}  // namespace wmdm_standin
