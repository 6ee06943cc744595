#include "serve/upload_spool.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

bool UploadSpool::Create(std::string* error) {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/mdhost-serve-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    *error = "cannot make a temporary folder for the files the page sends in " + pattern;
    return false;
  }
  folder_ = pattern;
  return true;
}

UploadSpool::~UploadSpool() {
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

SpooledFile::SpooledFile(const UploadSpool& spool, const std::string& name, std::uint64_t cap) : cap_(cap) {
  std::string pattern = spool.Folder() + "/XXXXXX";
  if (!mkdtemp(pattern.data())) return;
  folder_ = pattern;
  path_ = folder_ + "/" + name;
  out_.open(std::filesystem::u8path(path_), std::ios::binary | std::ios::trunc);
}

SpooledFile::~SpooledFile() {
  out_.close();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool SpooledFile::Write(const char* data, std::size_t length) {
  if (received_ + length > cap_) {
    overCap_ = true;
    return false;
  }
  received_ += length;
  out_.write(data, static_cast<std::streamsize>(length));
  return static_cast<bool>(out_);
}

bool SpooledFile::Finish() {
  out_.close();
  return !out_.fail();
}
