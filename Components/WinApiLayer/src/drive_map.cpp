#include "drive_map.h"

#include <map>
#include <mutex>

#include <wide_text.h>

namespace winapi {
namespace {

std::mutex mapMutex;
std::map<WCHAR, MappedDrive>& Drives() {
  static auto* drives = new std::map<WCHAR, MappedDrive>();
  return *drives;
}

WCHAR UpperLetter(WCHAR letter) {
  if (letter >= u'a' && letter <= u'z') return static_cast<WCHAR>(letter - 32);
  return (letter >= u'A' && letter <= u'Z') ? letter : 0;
}

}  // namespace

bool LookUpDrive(WCHAR letter, MappedDrive* drive) {
  std::lock_guard<std::mutex> lock(mapMutex);
  const auto found = Drives().find(UpperLetter(letter));
  if (found == Drives().end()) return false;
  *drive = found->second;
  return true;
}

std::string LinuxPathOf(const WCHAR* path) {
  if (!path || !path[0]) return std::string();
  if (path[0] == u'/') return wide::ToUtf8(WString(path));
  MappedDrive drive;
  if (path[1] != u':' || !LookUpDrive(path[0], &drive)) return std::string();
  std::string rest = wide::ToUtf8(WString(path + 2));
  for (char& c : rest)
    if (c == '\\') c = '/';
  if (rest.empty() || rest[0] != '/') rest.insert(rest.begin(), '/');
  return drive.directory + rest;
}

}  // namespace winapi

extern "C" BOOL WinApiMapDrive(WCHAR letter, const char* directory, LPCWSTR label) {
  const WCHAR upper = winapi::UpperLetter(letter);
  if (!upper) return FALSE;
  std::lock_guard<std::mutex> lock(winapi::mapMutex);
  if (!directory) {
    winapi::Drives().erase(upper);
    return TRUE;
  }
  winapi::Drives()[upper] = winapi::MappedDrive{directory, label ? WString(label) : WString()};
  return TRUE;
}
