#include "name_rules.h"

namespace wmdm_standin {
namespace {

constexpr DWORD kErrorInvalidName = 123;
constexpr DWORD kErrorFilenameTooLong = 206;
constexpr size_t kMaxNameUnits = 255;

bool IsRefused(WCHAR c) {
  if (c < 0x20 || c == 0x7F) return true;
  for (const WCHAR* refused = W("\\/:*?\"<>|"); *refused; ++refused)
    if (c == *refused) return true;
  return false;
}

// A surrogate without its partner cannot be written as UTF-8 (nor stored by
// FAT's long names): the file would carry another name than the one asked for.
bool HasLoneSurrogate(const WString& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const WCHAR c = name[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return true;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

}  // namespace

HRESULT CheckPlayerName(const WString& name) {
  const HRESULT invalid = HRESULT_FROM_WIN32(kErrorInvalidName);
  // "." and ".." end in a dot, so the trailing-dot rule refuses them too.
  if (name.empty() || name.back() == W('.') || name.back() == W(' ')) return invalid;
  for (WCHAR c : name)
    if (IsRefused(c)) return invalid;
  if (HasLoneSurrogate(name)) return invalid;
  if (name.size() > kMaxNameUnits) return HRESULT_FROM_WIN32(kErrorFilenameTooLong);
  return S_OK;
}

}  // namespace wmdm_standin
