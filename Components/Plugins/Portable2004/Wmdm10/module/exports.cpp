#include "host_sdk/exports.h"

#include <new>

#include <leak_annotations.h>

#include "plugin/kc_wmdm10_plugin.h"
#include "host_sdk/ipp_result_codes.h"

namespace {
// The one plug-in object the host obtained; it lives until the module unloads.
kiMusicDevicePlugin2004* g_plugin = nullptr;
}  // namespace

extern "C" DWORD GetIPPSDKVersion(DWORD, DWORD) { return IPP_SDK_VERSION; }

extern "C" kiMusicDevicePlugin2004* GetIMDP2004() {
  try {
    g_plugin = new (std::nothrow) kcWMDM10Plugin();
  } catch (...) {
    g_plugin = nullptr;
  }
  // Each call makes an object and ReleaseIMDP2004 frees none: every one lives
  // until the process ends, also after the module is unloaded.
  if (g_plugin) MD_ANNOTATE_KEPT_ALIVE(g_plugin);
  return g_plugin;
}

extern "C" BOOL ReleaseIMDP2004(kiMusicDevicePlugin2004* plugin) { return plugin == g_plugin ? TRUE : FALSE; }
