#include "host_support/source_file.h"

#include <filesystem>

bool FindSourceFile(const std::string& argument, SourceFile* file) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(argument, error);
  if (error || !std::filesystem::is_regular_file(full, error)) return false;
  file->native = full.lexically_normal().string();
  file->path = wide::FromUtf8(file->native);
  return true;
}
