#include "mdhost/player_formats.h"

#include <vector>

#include <unique_bstr.h>

#include "mdhost/media_report.h"

namespace {

// The plug-in's number of the device whose media include `location`.
bool DeviceOf(kiMusicDevicePlugin2004* plugin, const WString& location, DWORD* number) {
  std::vector<DWORD> numbers;
  if (FAILED(ListDeviceNumbers(plugin, &numbers))) return false;
  for (DWORD device : numbers) {
    UniqueBstr found;
    IPPFINDHANDLE find = nullptr;
    bool match = false;
    for (HRESULT hr = plugin->FindFirstMedia(device, found.Put(), &find); hr == S_OK && !match;
         hr = plugin->FindNextMedia(find, found.Put()))
      match = found.ToString() == location;
    if (find) plugin->FindMediaClose(find);
    if (match) {
      *number = device;
      return true;
    }
  }
  return false;
}

// ".flac" of "/music/Song.FLAC"; empty when the name has no extension.
std::string ExtensionOf(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("/\\");
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  std::string extension = fileName.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

}  // namespace

bool PlayerRefusesFormat(kiMusicDevicePlugin2004* plugin, const WString& location, const std::string& fileName,
                         std::string* why) {
  DWORD device = 0;
  UniqueBstr listed;
  if (!DeviceOf(plugin, location, &device) ||
      plugin->GetDevicePropertyString(device, W("DeviceSupportedFileFormats"), listed.Put()) != S_OK)
    return false;
  const std::string formats = wide::ToUtf8(listed.ToString());
  // The plug-in's own test: the extension anywhere in the list.
  const std::string extension = ExtensionOf(fileName);
  if (formats.empty() || (!extension.empty() && formats.find(extension) != std::string::npos)) return false;
  *why = "the player does not play " + (extension.empty() ? std::string("files without an extension")
                                                          : extension + " files") +
         " (it plays " + formats + ")";
  return true;
}
