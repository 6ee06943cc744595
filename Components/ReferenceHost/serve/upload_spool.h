// A file the page sends arrives over HTTP in pieces; it is written to a
// temporary file as it comes, never held in memory whole, up to a cap. The
// file carries the name it is to have on the player, in a folder of its own
// below the server's spool folder.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

class UploadSpool {
 public:
  // Makes the spool folder below the system's temporary folder ($TMPDIR or
  // /tmp on Linux); false when it cannot.
  bool Create(std::string* error);
  // Removes the spool folder with whatever is left in it.
  ~UploadSpool();

  const std::string& Folder() const { return folder_; }

 private:
  std::string folder_;
};

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
