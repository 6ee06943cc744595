// The drive letters of the Linux lane: each maps to a Linux directory and
// carries the volume label that GetVolumeInformationW reports.
#pragma once

#include <windows.h>

#include <string>

namespace winapi {

struct MappedDrive {
  std::string directory;  // UTF-8
  std::basic_string<WCHAR> label;
};

// False when the letter is not mapped.
bool LookUpDrive(WCHAR letter, MappedDrive* drive);

// The Linux path of a Windows path on a mapped drive ("X:\dir\file"), or of a
// path that is already a Linux one ("/dir/file"); empty when there is none.
std::string LinuxPathOf(const WCHAR* path);

}  // namespace winapi
