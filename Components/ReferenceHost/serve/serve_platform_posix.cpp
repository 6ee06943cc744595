#include "serve/serve_platform.h"

#include <spawn.h>
#include <stdlib.h>
#include <sys/random.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

bool ReadSystemRandom(unsigned char* bytes, std::size_t count) {
  return getrandom(bytes, count, 0) == static_cast<ssize_t>(count);
}

bool MakeTemporaryFolder(const std::string& parent, const std::string& prefix, std::string* made) {
  std::string base = parent;
  if (base.empty()) {
    const char* tmpdir = getenv("TMPDIR");
    base = tmpdir && *tmpdir ? tmpdir : "/tmp";
  }
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
