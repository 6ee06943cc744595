// Slots 33 and 34: wiping a medium, by deleting its root storage (Erase) or by
// formatting it through its storage globals (Format). Both block until WMDM
// is done; the progress object tells the host of the end during the call.
#include <result_macros.h>

#include "core/host_boundary.h"
#include "core/kc_wmdm10_plugin.h"
#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"
#include "media/kc_progress_obj.h"

namespace {

HRESULT DeleteRoot(kcWMDM10Plugin& plugin, const ComPtr<IWMDMStorage>& root, DWORD cookie) {
  ComPtr<IWMDMStorageControl> control;
  RETURN_IF_FAILED(root.As(&control));
  ComPtr<kcProgressObj> progress;
  RETURN_IF_FAILED(CreateProgress(&plugin, kProgressErase, cookie, &progress));
  return control->Delete(WMDM_MODE_BLOCK, progress.Get());
}

HRESULT InitializeMedium(kcWMDM10Plugin& plugin, const ComPtr<IWMDMStorage>& root, DWORD cookie) {
  ComPtr<IWMDMStorageGlobals> globals;
  RETURN_IF_FAILED(root->GetStorageGlobals(&globals));
  // A provider may succeed and hand out nothing.
  if (!globals) return E_FAIL;
  ComPtr<kcProgressObj> progress;
  RETURN_IF_FAILED(CreateProgress(&plugin, kProgressFormat, cookie, &progress));
  return globals->Initialize(WMDM_MODE_BLOCK, progress.Get());
}

using WipeStep = HRESULT (*)(kcWMDM10Plugin& plugin, const ComPtr<IWMDMStorage>& root, DWORD cookie);

// The frame both slots share, under the plug-in lock.
HRESULT WipeMedium(kcWMDM10Plugin& plugin, const WCHAR* location, DWORD cookie, const WCHAR* operation,
                   WipeStep wipe, RetriedOperation retried) {
  if (!location) return IPP_E_FAIL;
  plugin.WriteLog(WString(W("WMDM10::")) + operation + W(" called on media ") + location);
  // A stale root is looked up afresh, once.
  return WithOneRetry(plugin.Resolver(), retried, [&](NodeRef* node) -> HRESULT {
    *node = plugin.Resolver().ResolveStorage(location, W("\\"), 0);
    if (!*node) return IPP_E_NOTFOUND;
    ComPtr<IWMDMStorage> root = (*node)->storage;
    return root ? wipe(plugin, root, cookie) : E_FAIL;
  });
}

}  // namespace

HRESULT kcWMDM10Plugin::Erase(const WCHAR* location, DWORD cookie) {
  return RunLockedHostSlot(lock_,
                           [&] { return WipeMedium(*this, location, cookie, W("Erase"), DeleteRoot, RetriedOperation::Erase); });
}

HRESULT kcWMDM10Plugin::Format(const WCHAR* location, DWORD cookie) {
  return RunLockedHostSlot(
      lock_, [&] { return WipeMedium(*this, location, cookie, W("Format"), InitializeMedium, RetriedOperation::Format); });
}
