// The folder a benchmark makes its files in: a new one under $TMPDIR (or
// /tmp), so that runs side by side never share files.
#pragma once

#include <stdlib.h>

#include <string>

// The new folder's path, named `name` and a unique tail; empty when it
// could not be made.
inline std::string MakeTemporaryRoot(const std::string& name) {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name + "-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}
