#include <windows.h>
#include <winver.h>

#include <vector>

#include <wide_text.h>

#include "core/module_version.h"

void ReadModuleVersion(DWORD* versionMS, DWORD* versionLS) {
  HMODULE module = GetModuleHandleW(W("MDPlugin.dll"));
  if (!module) return;
  WCHAR fileName[259] = {};
  if (GetModuleFileNameW(module, fileName, 259) == 0) return;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(fileName, &handle);
  if (size == 0) return;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(fileName, handle, size, block.data())) return;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), W("\\"), reinterpret_cast<void**>(&info), &length)) return;
  if (length != sizeof(VS_FIXEDFILEINFO) || !info) return;
  *versionMS = info->dwFileVersionMS;
  *versionLS = info->dwFileVersionLS;
}
