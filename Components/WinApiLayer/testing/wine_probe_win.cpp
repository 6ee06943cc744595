#include <wide_text.h>

#include "wine_probe.h"

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(W("ntdll.dll"));
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
