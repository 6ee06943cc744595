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
bool MakeTemporaryFolder(const std::string& parent, const std::string& prefix, std::string* made) {
  std::error_code error;
  const std::filesystem::path base = parent.empty() ? std::filesystem::temp_directory_path(error)
                                                    : std::filesystem::u8path(parent);
  *made = base.u8string();
  if (error) return false;
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
