#include "host_support/source_file.h"

#include <windows.h>

#include <vector>

bool FindSourceFile(const std::string& argument, SourceFile* file) {
  const WString given = wide::FromUtf8(argument);
  const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (size == 0) return false;
  std::vector<WCHAR> buffer(size + 1);
  const DWORD written = GetFullPathNameW(given.c_str(), size + 1, buffer.data(), nullptr);
  if (written == 0 || written > size) return false;
  const DWORD attributes = GetFileAttributesW(buffer.data());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  file->path.assign(buffer.data(), written);
  file->native = wide::ToUtf8(file->path);
  return true;
}
