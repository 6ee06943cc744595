#include "mdhost/medium_location.h"

#include <vector>

#include <unique_bstr.h>

#include "mdhost/media_report.h"

bool ParseCount(const std::string& text, DWORD* number) {
  if (text.empty() || text.size() > 9) return false;
  DWORD value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<DWORD>(c - '0');
  }
  *number = value;
  return value > 0;
}

bool FindLocation(kiMusicDevicePlugin2004* plugin, const std::string& text, WString* location) {
  const size_t slash = text.find('/');
  DWORD device = 0;
  DWORD wanted = 0;
  if (slash == std::string::npos || !ParseCount(text.substr(0, slash), &device) ||
      !ParseCount(text.substr(slash + 1), &wanted)) {
    *location = wide::FromUtf8(text);
    return true;
  }
  std::vector<DWORD> numbers;  // the plug-in numbers devices as it lists them
  if (FAILED(ListDeviceNumbers(plugin, &numbers))) return false;
  UniqueBstr found;
  IPPFINDHANDLE find = nullptr;
  HRESULT hr = plugin->FindFirstMedia(device, found.Put(), &find);
  for (DWORD index = 1; hr == S_OK; ++index) {
    if (index == wanted) {
      *location = found.ToString();
      break;
    }
    hr = plugin->FindNextMedia(find, found.Put());
  }
  if (find) plugin->FindMediaClose(find);
  return hr == S_OK;
}

bool KnownLocation(kiMusicDevicePlugin2004* plugin, const WString& location) {
  std::vector<DWORD> numbers;
  if (FAILED(ListDeviceNumbers(plugin, &numbers))) return false;
  bool known = false;
  for (DWORD device : numbers) {
    UniqueBstr found;
    IPPFINDHANDLE find = nullptr;
    for (HRESULT hr = plugin->FindFirstMedia(device, found.Put(), &find); hr == S_OK && !known;
         hr = plugin->FindNextMedia(find, found.Put()))
      known = wide::EqualsIgnoreCaseAscii(found.ToString(), location);
    if (find) plugin->FindMediaClose(find);
    if (known) break;
  }
  return known;
}
