#include "serve/upload_spool.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "serve/serve_platform.h"

namespace {

constexpr const char* kInUseMark = "in-use";
constexpr auto kUnmarkedGrace = std::chrono::minutes(1);

bool IsDeadSpool(const std::filesystem::path& folder) {
  std::error_code error;
  const std::filesystem::path mark = folder / kInUseMark;
  if (std::filesystem::exists(mark, error)) return !IsFileHeld(mark.u8string());
  const auto written = std::filesystem::last_write_time(folder, error);
  return !error && std::filesystem::file_time_type::clock::now() - written > kUnmarkedGrace;
}

}  // namespace

std::vector<std::string> SweepDeadSpools(const std::string& base) {
  std::vector<std::string> removed;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(base), error)) {
    const std::string name = entry.path().filename().u8string();
    const std::string path = entry.path().u8string();
    if (name.rfind(UploadSpool::kPrefix, 0) != 0 || !IsOwnFolder(path) || !IsDeadSpool(entry.path())) continue;
    std::error_code ignored;
    if (std::filesystem::remove_all(entry.path(), ignored) != static_cast<std::uintmax_t>(-1)) removed.push_back(path);
  }
  return removed;
}

bool UploadSpool::Create(std::string* error, std::vector<std::string>* swept) {
  const std::string base = TemporaryBase();
  if (!base.empty()) *swept = SweepDeadSpools(base);
  std::string made;
  if (!MakeTemporaryFolder(std::string(), kPrefix, &made)) {
    *error = "cannot make a temporary folder for the files the page sends in " + made;
    return false;
  }
  folder_ = made;
  inUse_ = std::make_unique<HeldFile>();
  if (!inUse_->Hold((std::filesystem::u8path(made) / kInUseMark).u8string())) {
    *error = "cannot mark the temporary folder " + made + " as in use";
    return false;
  }
  return true;
}

UploadSpool::~UploadSpool() {
  inUse_.reset();  // a held file cannot be removed on Windows
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
