#include "temporary_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace wmdm_standin {
namespace {

// The process id a temporary's name carries; 0 when it carries none.
pid_t OwnerOf(const std::string& name) {
  const size_t start = sizeof(kTemporaryPrefix) - 1;
  size_t end = start;
  long long pid = 0;
  while (end < name.size() && end - start < 10 && name[end] >= '0' && name[end] <= '9')
    pid = pid * 10 + (name[end++] - '0');
  if (end == start || end >= name.size() || name[end] != '-' || pid <= 0 || pid > 0x7FFFFFFF) return 0;
  return static_cast<pid_t>(pid);
}

}  // namespace

std::string TemporaryPathIn(const std::string& folder) {
  static std::atomic<unsigned> counter{0};
  return folder + "/" + kTemporaryPrefix + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

bool IsTemporaryName(const std::string& name) { return name.rfind(kTemporaryPrefix, 0) == 0; }

bool RemoveIfLeftOver(const std::string& folder, const std::string& name) {
  const pid_t owner = OwnerOf(name);
  // A name without an owner was not made here; a living owner may still be writing.
  if (owner == 0 || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH) return false;
  struct stat info = {};
  const std::string path = folder + "/" + name;
  // Only a plain file: a folder or a link of that name is someone's content.
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return unlink(path.c_str()) == 0;
}

}  // namespace wmdm_standin
