// A file the page sends arrives over HTTP in pieces; it is written to a
// temporary file as it comes, never held in memory whole, up to a cap. The
// file carries the name it is to have on the player, in a folder of its own
// below the server's spool folder.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "serve/serve_platform.h"

class UploadSpool {
 public:
  static constexpr const char* kPrefix = "mdhost-serve-";

  // Removes the spool folders of servers that ended without removing their
  // own (killed, or the machine lost power), then makes this server's below
  // the system's temporary folder ($TMPDIR or /tmp on Linux), marked as in
  // use while this process lives; false when it cannot. `swept` receives the
  // folders removed.
  bool Create(std::string* error, std::vector<std::string>* swept);
  // Removes the spool folder with whatever is left in it.
  ~UploadSpool();

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
  std::unique_ptr<HeldFile> inUse_;
};

// The spool folders below `base` whose servers no longer run, removed; the
// ones removed. A folder without its mark counts as dead only once it is
// older than a server takes to mark it.
std::vector<std::string> SweepDeadSpools(const std::string& base);

class SpooledFile {
 public:
  SpooledFile(const UploadSpool& spool, const std::string& name, std::uint64_t cap);
  ~SpooledFile();  // removes the file and its folder
  SpooledFile(const SpooledFile&) = delete;
  SpooledFile& operator=(const SpooledFile&) = delete;

  bool Opened() const { return out_.is_open(); }
  // False once the cap is passed or the disk refuses; the reason is kept.
  bool Write(const char* data, std::size_t length);
  bool Finish();
  std::uint64_t Received() const { return received_; }
  bool OverCap() const { return overCap_; }
  const std::string& Path() const { return path_; }

 private:
  std::string folder_, path_;
  std::ofstream out_;
  std::uint64_t cap_, received_ = 0;
  bool overCap_ = false;
};
