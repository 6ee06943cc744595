#include "content_source.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace wmdm_standin {

HRESULT ReadSourceFile(const WString& path, std::vector<BYTE>* bytes) {
  bytes->clear();
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, error)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  std::ifstream in(file, std::ios::binary);
  if (!in) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.bad() ? E_FAIL : S_OK;
}

HRESULT SourceFileSize(const WString& path, ULONGLONG* size) {
  *size = 0;
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, error)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  const auto bytes = std::filesystem::file_size(file, error);
  if (error) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  *size = bytes;
  return S_OK;
}

WString FileNameOf(const WString& path) {
  const size_t separator = path.find_last_of(W("\\/"));
  return separator == WString::npos ? path : path.substr(separator + 1);
}

}  // namespace wmdm_standin
