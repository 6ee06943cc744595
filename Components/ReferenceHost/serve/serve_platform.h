// What mdhost serve asks of the system, one file per platform
// (serve_platform_posix.cpp, serve_platform_win.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Fills `bytes` from the system's random source; false when it cannot.
bool ReadSystemRandom(unsigned char* bytes, std::size_t count);

// The system's folder for temporary files ($TMPDIR or /tmp on Linux, the
// user's own on Windows), UTF-8; empty when it cannot be found.
std::string TemporaryBase();

// Makes a new folder, readable by this user only where the system has such
// rights, below the system's folder for temporary files (`parent` empty) or
// below `parent`; its path (UTF-8) in `made`. False when it cannot, with the
// folder it tried in `made`.
bool MakeTemporaryFolder(const std::string& parent, const std::string& prefix, std::string* made);

// Asks the desktop to open `address` (a web address or a file's path) in the
// user's browser; false when it could not even ask.
bool OpenInBrowser(const std::string& address);

// A file held open with a lock only this process has, so another process
// can tell whether its maker still runs; the lock goes with the process,
// however it ends. Released when this object goes (the file stays).
class HeldFile {
 public:
  HeldFile() = default;
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  // Makes (or opens) the file at `path` and takes its lock; false when it
  // cannot.
  bool Hold(const std::string& path);

 private:
  std::intptr_t handle_ = -1;
};

// Whether a live process holds the file at `path` (a HeldFile); false when
// the file is missing.
bool IsFileHeld(const std::string& path);

// Whether the folder at `path` is one this user made (on Windows, every
// folder in the user's temporary folder is).
bool IsOwnFolder(const std::string& path);
