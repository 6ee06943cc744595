#include "host_support/input_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

bool StartsWith(const std::string& bytes, const char* prefix) { return bytes.rfind(prefix, 0) == 0; }

bool FromUtf16(const std::string& bytes, bool bigEndian, WString* text, std::string* error) {
  if (bytes.size() % 2 != 0) {
    *error = "the UTF-16 text ends in the middle of a character";
    return false;
  }
  WString decoded;
  decoded.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    decoded += static_cast<WCHAR>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  *text = std::move(decoded);
  return true;
}

}  // namespace

std::string ShownName(const std::string& path) { return wide::EscapeForDisplay(path); }

bool ReadInputFile(const std::string& path, std::string* bytes, std::string* error) {
  const std::string shown = ShownName(path);
  struct stat status;
  if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    *error = shown + " is a directory, not a file";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot open " + shown + ": " + std::strerror(errno);
    return false;
  }
  // The size the file claims is not trusted (/dev/zero claims none).
  std::string read;
  char buffer[1 << 16];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    read.append(buffer, static_cast<size_t>(file.gcount()));
    if (read.size() > kMaxInputFileBytes) {
      *error = shown + " is larger than " + std::to_string(kMaxInputFileBytes >> 20) +
               " MiB, the most an input file may hold";
      return false;
    }
  }
  if (file.bad()) {
    *error = "cannot read " + shown;
    return false;
  }
  *bytes = std::move(read);
  return true;
}

bool DecodeTextFile(const std::string& bytes, WString* text, std::string* error) {
  if (StartsWith(bytes, "\xFF\xFE")) return FromUtf16(bytes, false, text, error);
  if (StartsWith(bytes, "\xFE\xFF")) return FromUtf16(bytes, true, text, error);
  const size_t start = StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
  size_t bad = 0;
  if (wide::DecodeUtf8(bytes.substr(start), text, &bad)) return true;
  bad += start;
  const size_t line = 1 + static_cast<size_t>(std::count(bytes.begin(), bytes.begin() + bad, '\n'));
  static const char digits[] = "0123456789ABCDEF";
  const auto byte = static_cast<unsigned char>(bytes[bad]);
  *error = std::string("line ") + std::to_string(line) + ": byte 0x" + digits[byte >> 4] + digits[byte & 0xF] +
           " at offset " + std::to_string(bad) +
           " is not well-formed UTF-8 (the file must be UTF-8, or UTF-16 with its byte-order mark)";
  return false;
}
