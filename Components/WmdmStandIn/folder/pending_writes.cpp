#include "pending_writes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "errno_result.h"

namespace wmdm_standin {
namespace {

std::mutex g_lock;
std::set<std::string>& Pending() {
  static std::set<std::string> roots;
  return roots;
}

// syncfs reports the errors of writeback since the descriptor was opened
// only from the file system's own record, so it is asked on a fresh one.
HRESULT SyncFileSystemOf(const std::string& root) {
  const int descriptor = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return errno == ENOENT ? S_OK : FromErrno(errno);  // a player folder gone took its files
  const int synced = syncfs(descriptor);
  const int error = errno;
  close(descriptor);
  return synced == 0 ? S_OK : FromErrno(error);
}

}  // namespace

void NotePendingWrite(const std::string& root) {
  std::lock_guard<std::mutex> hold(g_lock);
  Pending().insert(root);
}

HRESULT FlushPendingWrites(const std::string& root) {
  {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!Pending().erase(root)) return S_OK;
  }
  const HRESULT synced = SyncFileSystemOf(root);
  if (FAILED(synced)) NotePendingWrite(root);  // still not known to be durable
  return synced;
}

HRESULT FlushAllPendingWrites() {
  std::set<std::string> roots;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    roots = Pending();
  }
  HRESULT result = S_OK;
  for (const std::string& root : roots) {
    const HRESULT synced = FlushPendingWrites(root);
    if (SUCCEEDED(result)) result = synced;
  }
  return result;
}

}  // namespace wmdm_standin
