// Subset of the kernel32 volume functions for the Linux lane. Drive letters are
// whatever the process has mapped with WinApiMapDrive: Linux has none of its own.
#pragma once

#include "windef.h"
#include "winerror.h"

#define FILE_CASE_SENSITIVE_SEARCH 0x00000001
#define FILE_CASE_PRESERVED_NAMES 0x00000002
#define FILE_UNICODE_ON_DISK 0x00000004

extern "C" BOOL GetVolumeInformationW(LPCWSTR rootPathName, LPWSTR volumeName, DWORD volumeNameSize,
                                      LPDWORD serialNumber, LPDWORD maxComponentLength, LPDWORD fileSystemFlags,
                                      LPWSTR fileSystemName, DWORD fileSystemNameSize);

// Linux lane only: makes `letter` (A to Z, either case) a drive whose root is the
// Linux directory `directory` (UTF-8) and whose volume label is `label` (null
// for none). A null directory removes the drive. FALSE for a letter out of range.
extern "C" BOOL WinApiMapDrive(WCHAR letter, const char* directory, LPCWSTR label);
