#include "host_support/manifest_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

bool StartsWith(const std::string& bytes, const char* prefix) { return bytes.rfind(prefix, 0) == 0; }

WString FromUtf16(const std::string& bytes, size_t start, bool bigEndian) {
  WString text;
  text.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<WCHAR>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

}  // namespace

WString DecodeManifestBytes(const std::string& bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return FromUtf16(bytes, 2, false);
  if (StartsWith(bytes, "\xFE\xFF")) return FromUtf16(bytes, 2, true);
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return wide::FromUtf8(bytes.substr(3));
  return wide::FromUtf8(bytes);
}

bool ReadManifestFile(const std::string& path, WString* text, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string bytes;
  char buffer[4096];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) bytes.append(buffer, file.gcount());
  // A directory opens on Linux and fails only when read.
  if (file.bad()) {
    *error = "cannot read " + path;
    return false;
  }
  *text = DecodeManifestBytes(bytes);
  return true;
}
