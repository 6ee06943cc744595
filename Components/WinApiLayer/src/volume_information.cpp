// GetVolumeInformationW over the drive map: a mapped letter whose directory
// exists is a ready volume with the label it was mapped with.
#include <sys/stat.h>

#include <wide_text.h>

#include <algorithm>

#include "drive_map.h"

namespace {

constexpr DWORD kErrorDirNotRoot = 144;

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A stable serial number per mapping, as a formatted volume keeps its own.
DWORD SerialOf(WCHAR letter, const std::string& directory) {
  DWORD hash = 2166136261u ^ letter;
  for (unsigned char c : directory) hash = (hash ^ c) * 16777619u;
  return hash;
}

bool CopyOut(const std::basic_string<WCHAR>& text, LPWSTR buffer, DWORD size) {
  if (!buffer) return true;
  if (text.size() + 1 > size) return false;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return true;
}

}  // namespace

extern "C" BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeName, DWORD volumeNameSize,
                                      LPDWORD serialNumber, LPDWORD maxComponentLength, LPDWORD fileSystemFlags,
                                      LPWSTR fileSystemName, DWORD fileSystemNameSize) {
  // Only "X:\" (or "X:") names a volume root here; there is no current drive.
  if (!rootPathName || !rootPathName[0] || rootPathName[1] != u':') return Fail(ERROR_PATH_NOT_FOUND);
  if (rootPathName[2] && (rootPathName[2] != u'\\' || rootPathName[3])) return Fail(kErrorDirNotRoot);
  winapi::MappedDrive drive;
  if (!winapi::LookUpDrive(rootPathName[0], &drive)) return Fail(ERROR_PATH_NOT_FOUND);
  if (!IsDirectory(drive.directory)) return Fail(ERROR_NOT_READY);
  static const std::basic_string<WCHAR> fileSystem = W("FAT32");
  if (!CopyOut(drive.label, volumeName, volumeNameSize)) return Fail(ERROR_BAD_LENGTH);
  if (!CopyOut(fileSystem, fileSystemName, fileSystemNameSize)) return Fail(ERROR_BAD_LENGTH);
  if (serialNumber) *serialNumber = SerialOf(rootPathName[0] & ~0x20, drive.directory);
  if (maxComponentLength) *maxComponentLength = 255;
  if (fileSystemFlags) *fileSystemFlags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
  return TRUE;
}
