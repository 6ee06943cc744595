#include "serve/serve_platform.h"

#include <windows.h>
// After windows.h, which these need.
#include <bcrypt.h>
#include <shellapi.h>

#include <filesystem>
#include <system_error>

#include <wide_text.h>

namespace {

constexpr int kNameTries = 16;

}  // namespace

bool ReadSystemRandom(unsigned char* bytes, std::size_t count) {
  return BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

// The user's own temporary folder (GetTempPathW), so no other user can read
// it; a random name, taken only when no folder has it yet.
std::string TemporaryBase() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  return error ? std::string() : base.u8string();
}

bool MakeTemporaryFolder(const std::string& parent, const std::string& prefix, std::string* made) {
  std::error_code error;
  const std::string root = parent.empty() ? TemporaryBase() : parent;
  if (root.empty()) return false;
  const std::filesystem::path base = std::filesystem::u8path(root);
  *made = base.u8string();
  for (int i = 0; i < kNameTries; ++i) {
    unsigned char bytes[6];
    if (!ReadSystemRandom(bytes, sizeof(bytes))) return false;
    std::string name = prefix;
    for (unsigned char byte : bytes) {
      name += "0123456789abcdef"[byte >> 4];
      name += "0123456789abcdef"[byte & 0xF];
    }
    const std::filesystem::path folder = base / std::filesystem::u8path(name);
    if (std::filesystem::create_directory(folder, error)) {
      *made = folder.u8string();
      return true;
    }
    if (error) return false;
  }
  return false;
}

bool OpenInBrowser(const std::string& address) {
  const WString wide = wide::FromUtf8(address);
  const auto started = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, W("open"), wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return started > 32;
}

HeldFile::~HeldFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

// Opened sharing nothing: while this process lives, no other can open it.
bool HeldFile::Hold(const std::string& path) {
  const HANDLE file = CreateFileW(wide::FromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool IsFileHeld(const std::string& path) {
  const HANDLE file = CreateFileW(wide::FromUtf8(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

bool IsOwnFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(std::filesystem::symlink_status(std::filesystem::u8path(path), error));
}
