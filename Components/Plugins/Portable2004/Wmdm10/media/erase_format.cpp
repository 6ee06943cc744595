// Wiping a medium, by deleting its root storage (Erase) or by
// formatting it through its storage globals (Format). Both block until WMDM
// is done; the progress object tells the host of the end during the call.
#include <result_macros.h>

#include "core/retry_once.h"
#include "host_sdk/ipp_result_codes.h"
#include "media/kc_progress_obj.h"
#include "media/media_control.h"

namespace {

HRESULT DeleteRoot(MediaControl& media, const ComPtr<IWMDMStorage>& root, DWORD cookie) {
  ComPtr<IWMDMStorageControl> control;
  RETURN_IF_FAILED(root.As(&control));
  ComPtr<kcProgressObj> progress;
  RETURN_IF_FAILED(CreateProgress(media.HostCallback(), kProgressErase, cookie, &progress));
  return control->Delete(WMDM_MODE_BLOCK, progress.Get());
}

HRESULT InitializeMedium(MediaControl& media, const ComPtr<IWMDMStorage>& root, DWORD cookie) {
  ComPtr<IWMDMStorageGlobals> globals;
  RETURN_IF_FAILED(root->GetStorageGlobals(&globals));
  // A success with nothing handed out is no medium to format.
  if (!globals) return E_FAIL;
  ComPtr<kcProgressObj> progress;
  RETURN_IF_FAILED(CreateProgress(media.HostCallback(), kProgressFormat, cookie, &progress));
  return globals->Initialize(WMDM_MODE_BLOCK, progress.Get());
}

using WipeStep = HRESULT (*)(MediaControl& media, const ComPtr<IWMDMStorage>& root, DWORD cookie);

// The frame both wipes share, under the plug-in lock.
HRESULT WipeMedium(MediaControl& media, const WCHAR* location, DWORD cookie, const WCHAR* operation,
                   WipeStep wipe, RetriedOperation retried) {
  if (!location) return IPP_E_FAIL;
  media.WriteLog(WString(W("WMDM10::")) + operation + W(" called on media ") + location);
  // A stale root is looked up afresh, once.
  return WithOneRetry(media.Resolver(), retried, [&](NodeRef* node) -> HRESULT {
    *node = media.Resolver().ResolveStorage(location, W("\\"), 0);
    if (!*node) return IPP_E_NOTFOUND;
    ComPtr<IWMDMStorage> root = (*node)->storage;
    return root ? wipe(media, root, cookie) : E_FAIL;
  });
}

}  // namespace

HRESULT MediaControl::Erase(const WCHAR* location, DWORD cookie) {
  return WipeMedium(*this, location, cookie, W("Erase"), DeleteRoot, RetriedOperation::Erase);
}

HRESULT MediaControl::Format(const WCHAR* location, DWORD cookie) {
  return WipeMedium(*this, location, cookie, W("Format"), InitializeMedium, RetriedOperation::Format);
}
