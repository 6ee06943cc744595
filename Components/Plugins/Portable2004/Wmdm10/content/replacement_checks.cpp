#include "content/replacement_checks.h"

#include <filesystem>
#include <fstream>

#include <result_macros.h>

namespace {

HRESULT CheckSourceFile(const WString& path, ULONGLONG* size) {
  *size = 0;
  std::error_code error;
  const std::filesystem::path file(path);
  if (!std::filesystem::is_regular_file(file, error)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  const auto bytes = std::filesystem::file_size(file, error);
  if (error) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  std::ifstream in(file, std::ios::binary);
  if (!in) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  // The first byte proves the content can be read, not only opened.
  char first = 0;
  if (bytes > 0 && !in.read(&first, 1)) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  *size = bytes;
  return S_OK;
}

ULONGLONG SizeOf(IWMDMStorage* storage) {
  DWORD low = 0;
  DWORD high = 0;
  return storage && SUCCEEDED(storage->GetSize(&low, &high)) ? (static_cast<ULONGLONG>(high) << 32) | low : 0;
}

HRESULT FreeSpaceOf(IWMDMStorage* storage, ULONGLONG* free) {
  ComPtr<IWMDMStorageGlobals> globals;
  RETURN_IF_FAILED(storage->GetStorageGlobals(&globals));
  if (!globals) return E_FAIL;
  DWORD low = 0;
  DWORD high = 0;
  RETURN_IF_FAILED(globals->GetTotalFree(&low, &high));
  *free = (static_cast<ULONGLONG>(high) << 32) | low;
  return S_OK;
}

// Answers that say a query cannot be made, not that the send would fail.
bool IsUncheckable(HRESULT hr) { return hr == E_NOTIMPL || hr == E_NOINTERFACE || hr == WMDM_E_NOTSUPPORTED; }

}  // namespace

HRESULT CheckReplacement(const ComPtr<IWMDMStorage>& folder, IWMDMStorage* old, const WString& sourcePath,
                         const WString& fileName, UINT sendMode) {
  ULONGLONG size = 0;
  RETURN_IF_FAILED(CheckSourceFile(sourcePath, &size));
  ULONGLONG free = 0;
  // Room the medium cannot report is left to the send to find.
  if (SUCCEEDED(FreeSpaceOf(folder.Get(), &free)) && size > free && size - free > SizeOf(old))
    return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
  // The device's own word on the name, asked without sending anything.
  ComPtr<IWMDMStorageControl3> control3;
  if (FAILED(folder.As(&control3))) return S_OK;
  WString source = sourcePath;
  WString name = fileName;
  ComPtr<IWMDMStorage> none;
  const HRESULT asked = control3->Insert3(sendMode | WMDM_MODE_QUERY | WMDM_FILE_CREATE_OVERWRITE, 0, &source[0],
                                          &name[0], nullptr, nullptr, nullptr, nullptr, &none);
  return IsUncheckable(asked) ? S_OK : asked;
}
