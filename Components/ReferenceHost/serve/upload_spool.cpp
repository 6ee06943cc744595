#include "serve/upload_spool.h"

#include <filesystem>
#include <system_error>

#include "serve/serve_platform.h"

bool UploadSpool::Create(std::string* error) {
  std::string made;
  if (!MakeTemporaryFolder(std::string(), "mdhost-serve-", &made)) {
    *error = "cannot make a temporary folder for the files the page sends in " + made;
    return false;
  }
  folder_ = made;
  return true;
}

UploadSpool::~UploadSpool() {
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(std::filesystem::u8path(folder_), ignored);
}

SpooledFile::SpooledFile(const UploadSpool& spool, const std::string& name, std::uint64_t cap) : cap_(cap) {
  if (!MakeTemporaryFolder(spool.Folder(), "", &folder_)) {
    folder_.clear();
    return;
  }
  const std::filesystem::path path = std::filesystem::u8path(folder_) / std::filesystem::u8path(name);
  path_ = path.u8string();
  out_.open(path, std::ios::binary | std::ios::trunc);
}

SpooledFile::~SpooledFile() {
  out_.close();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(std::filesystem::u8path(folder_), ignored);
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
