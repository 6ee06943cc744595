#include <windows.h>
#include <winver.h>

#include <vector>

#include "core/kc_wmdm10_plugin.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// Reads the fixed file information of the loaded module's version resource.
// Any failing step leaves the outs untouched.
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

}  // namespace

HRESULT kcWMDM10Plugin::GetPluginVersion(DWORD* versionMS, DWORD* versionLS) {
  if (!versionMS || !versionLS) return IPP_E_FAIL;
  try {
    ReadModuleVersion(versionMS, versionLS);
  } catch (...) {
    // An allocation failure reads as a failed step: the outs stay as they were.
  }
  return IPP_S_OK;
}
