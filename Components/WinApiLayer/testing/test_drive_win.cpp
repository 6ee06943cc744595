// Wine's mount manager takes a Wine-only request that defines a drive letter
// over a Unix directory; that is what its configuration tool uses.
#include <windows.h>
#include <winioctl.h>

#include <string.h>

#include <vector>

#include "test_drive.h"

namespace {

struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

const DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

using DosNameOf = WCHAR*(CDECL*)(const char*);

WString DosPathOf(const std::string& unixPath) {
  // Through the generic function pointer type, as FARPROC's own is another.
  const auto convert = reinterpret_cast<DosNameOf>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(W("kernel32.dll")), "wine_get_dos_file_name")));
  if (!convert) return WString();
  WCHAR* dos = convert(unixPath.c_str());
  if (!dos) return WString();
  WString result(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return result;
}

bool SendRequest(WCHAR letter, ULONG type, const std::string& unixPath) {
  std::vector<char> buffer(sizeof(UnixDriveRequest) + unixPath.size() + 1, 0);
  auto* request = reinterpret_cast<UnixDriveRequest*>(buffer.data());
  request->size = static_cast<ULONG>(buffer.size());
  request->type = type;
  request->letter = wide::LowerAscii(letter);
  if (!unixPath.empty()) {
    request->mountPointOffset = sizeof(UnixDriveRequest);
    memcpy(buffer.data() + sizeof(UnixDriveRequest), unixPath.c_str(), unixPath.size() + 1);
  }
  HANDLE manager = CreateFileW(W("\\\\.\\MountPointManager"), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return ok != FALSE;
}

bool WriteLabelFile(const WString& directory, const WString& label) {
  const std::string text = wide::ToUtf8(label) + "\n";
  HANDLE file = CreateFileW((directory + W("\\.windows-label")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok != FALSE;
}

}  // namespace

TestDrive::TestDrive(WCHAR letter, const WString& label) : letter_(letter) {
  static unsigned counter = 0;
  const std::string unixPath = "/tmp/mdplugin-drive-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++counter);
  const WString dosPath = DosPathOf(unixPath);
  if (dosPath.empty() || !CreateDirectoryW(dosPath.c_str(), nullptr)) return;
  directory_ = unixPath;
  if (!WriteLabelFile(dosPath, label)) return;
  mapped_ = SendRequest(letter, DRIVE_REMOVABLE, unixPath);
}

TestDrive::~TestDrive() {
  if (mapped_) SendRequest(letter_, DRIVE_NO_ROOT_DIR, std::string());
  if (directory_.empty()) return;
  const WString dosPath = DosPathOf(directory_);
  DeleteFileW((dosPath + W("\\.windows-label")).c_str());
  RemoveDirectoryW(dosPath.c_str());
}
