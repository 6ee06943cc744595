#include "serve/serve_platform.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

bool ReadSystemRandom(unsigned char* bytes, std::size_t count) {
  return getrandom(bytes, count, 0) == static_cast<ssize_t>(count);
}

std::string TemporaryBase() {
  const char* tmpdir = getenv("TMPDIR");
  return tmpdir && *tmpdir ? tmpdir : "/tmp";
}

bool MakeTemporaryFolder(const std::string& parent, const std::string& prefix, std::string* made) {
  const std::string base = parent.empty() ? TemporaryBase() : parent;
  std::string pattern = base + "/" + prefix + "XXXXXX";
  *made = pattern;
  if (!mkdtemp(pattern.data())) return false;
  *made = pattern;
  return true;
}

bool OpenInBrowser(const std::string& address) {
  pid_t child = 0;
  const char* argv[] = {"xdg-open", address.c_str(), nullptr};
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
  // xdg-open may run as long as the browser it starts: it is reaped when it
  // ends, by a thread of its own, rather than left a zombie until mdhost ends.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

HeldFile::~HeldFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

bool HeldFile::Hold(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

bool IsFileHeld(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  close(fd);  // lets go of the lock it took, if it took one
  return held;
}

bool IsOwnFolder(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid();
}
