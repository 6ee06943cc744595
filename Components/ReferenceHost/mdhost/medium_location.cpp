#include "mdhost/medium_location.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <unique_bstr.h>

#include "mdhost/media_report.h"

namespace {

const WString kLocationStart = W("WMDM10");
const WString kMediumSeparator = W("___");

bool IsDeviceSlashMedium(const std::string& text, DWORD* device, DWORD* index) {
  const size_t slash = text.find('/');
  return slash != std::string::npos && ParseCount(text.substr(0, slash), device) &&
         ParseCount(text.substr(slash + 1), index);
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

int HexValue(WCHAR unit) {
  if (unit >= W('0') && unit <= W('9')) return unit - W('0');
  if (unit >= W('a') && unit <= W('f')) return unit - W('a') + 10;
  return -1;
}

// The device's name a location begins with: "|" and four hexadecimal digits
// stand for one character; the plug-in writes the name in lower case.
WString LocationDevice(const WString& location) {
  if (location.compare(0, kLocationStart.size(), kLocationStart) != 0) return WString();
  const size_t end = std::min(location.find(kMediumSeparator), location.size());
  WString name;
  for (size_t i = kLocationStart.size(); i < end && i < location.size(); ++i) {
    long unit = location[i] == W('|') && i + 4 < end ? 0 : -1;
    for (size_t d = 1; unit >= 0 && d <= 4; ++d)
      unit = HexValue(location[i + d]) < 0 ? -1 : unit * 16 + HexValue(location[i + d]);
    name += unit < 0 ? location[i] : static_cast<WCHAR>(unit);
    if (unit >= 0) i += 4;
  }
  return name;
}

// Calls `visit(device, index, location)` for every medium of the devices
// `numbers` until it answers true; false when none did.
template <class Visit>
bool WalkMedia(kiMusicDevicePlugin2004* plugin, const std::vector<DWORD>& numbers, Visit visit) {
  for (DWORD device : numbers) {
    UniqueBstr location;
    IPPFINDHANDLE find = nullptr;
    bool found = false;
    HRESULT hr = plugin->FindFirstMedia(device, location.Put(), &find);
    for (DWORD index = 1; hr == S_OK && !found; ++index) {
      found = visit(device, index, location.ToString());
      if (!found) hr = plugin->FindNextMedia(find, location.Put());
    }
    if (find) plugin->FindMediaClose(find);
    if (found) return true;
  }
  return false;
}

}  // namespace

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

CommandLine WithFolderPlayer(const CommandLine& line, const std::string& medium) {
  DWORD device = 0, index = 0;
  std::error_code error;
  if (medium.rfind("WMDM10", 0) == 0 || IsDeviceSlashMedium(medium, &device, &index) ||
      !std::filesystem::is_directory(medium, error))
    return line;
  for (const std::string& folder : line.Values("--player"))
    if (SameFolder(folder, medium)) return line;
  CommandLine with = line;
  with.args.insert(with.args.end(), {"--player", medium});
  return with;
}

bool FindMedium(kiMusicDevicePlugin2004* plugin, const std::vector<StandInPlayers::Folder>& folders,
                const std::string& text, MediumName* found) {
  std::vector<DWORD> numbers;
  return SUCCEEDED(ListDeviceNumbers(plugin, &numbers)) && FindListedMedium(plugin, numbers, folders, text, found);
}

bool FindListedMedium(kiMusicDevicePlugin2004* plugin, const std::vector<DWORD>& numbers,
                      const std::vector<StandInPlayers::Folder>& folders, const std::string& text, MediumName* found) {
  DWORD device = 0, index = 0;
  const bool numbered = IsDeviceSlashMedium(text, &device, &index);
  const WString asLocation = wide::FromUtf8(text);
  return WalkMedia(plugin, numbers, [&](DWORD atDevice, DWORD atIndex, const WString& location) {
    const std::string folder = numbered ? std::string() : FolderOf(folders, location);
    const bool match = numbered ? atDevice == device && atIndex == index
                                : location == asLocation || (!folder.empty() && SameFolder(folder, text));
    if (match) *found = {location, atDevice, atIndex};
    return match;
  });
}

std::string ShortForm(DWORD device, DWORD index) { return std::to_string(device) + "/" + std::to_string(index); }

std::string FolderOf(const std::vector<StandInPlayers::Folder>& folders, const WString& location) {
  const WString device = LocationDevice(location);
  for (const StandInPlayers::Folder& folder : folders)
    if (!device.empty() && wide::EqualsIgnoreCaseAscii(device, folder.deviceName)) return folder.path;
  return std::string();
}

WString HostPath(const std::string& text) {
  WString path = wide::FromUtf8(text);
  for (WCHAR& unit : path)
    if (unit == W('/')) unit = W('\\');
  return path;
}
