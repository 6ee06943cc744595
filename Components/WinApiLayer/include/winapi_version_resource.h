// Linux lane only: a module's version resource, laid out as Windows'
// VS_VERSIONINFO root block, placed in an ELF section that
// GetFileVersionInfoW reads back from the module file.
#pragma once

#include "winver.h"

struct WinApiVersionResource {
  WORD wLength;
  WORD wValueLength;
  WORD wType;
  WCHAR szKey[16];  // "VS_VERSION_INFO" and its terminator
  WORD padding;     // the fixed information starts on a 32-bit boundary
  VS_FIXEDFILEINFO value;
};

static_assert(offsetof(WinApiVersionResource, value) == 40, "VS_VERSIONINFO layout");

#define WINAPI_VERSION_RESOURCE(major, minor, patch, build)                                                    \
  extern "C" __attribute__((section(VS_VERSION_INFO_SECTION), used, visibility("hidden")))                      \
  const WinApiVersionResource winapi_version_resource = {                                                      \
      sizeof(WinApiVersionResource),                                                                           \
      sizeof(VS_FIXEDFILEINFO),                                                                                \
      0,                                                                                                       \
      u"VS_VERSION_INFO",                                                                                      \
      0,                                                                                                       \
      {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, ((major) << 16) | (minor), ((patch) << 16) | (build),           \
       ((major) << 16) | (minor), ((patch) << 16) | (build), 0x3F, 0, 0x40004, 2, 0, 0, 0}};
