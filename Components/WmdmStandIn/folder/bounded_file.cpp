#include "bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace wmdm_standin {

bool ReadRegularFile(const std::string& path, std::string* text) {
  struct stat info = {};
  // Looked at before it is opened: opening a FIFO would wait for a writer.
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  // And again once open, in case the name was swapped meanwhile.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return false;
  bool good = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
  std::string bytes;
  char buffer[1 << 16];
  while (good) {
    const ssize_t got = read(descriptor, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      good = got == 0;
      break;
    }
    bytes.append(buffer, static_cast<size_t>(got));
    good = bytes.size() <= kMaxReadFileBytes;
  }
  close(descriptor);
  if (good) *text = std::move(bytes);
  return good;
}

}  // namespace wmdm_standin
