// Slots 33 and 34: wiping a medium, by deleting its root storage (Erase) or by
// formatting it through its storage globals (Format). Both block until WMDM
// is done; the progress object tells the host of the end during the call.
#include <result_macros.h>

#include "core/host_boundary.h"
#include "core/kc_wmdm10_plugin.h"
#include "host_sdk/ipp_result_codes.h"
#include "media/kc_progress_obj.h"

namespace {

// Whether the operation is on its one retry after a stale storage. Module
// wide, like the media getters' flags, and touched only under the plug-in lock.
bool g_eraseRetried = false;
bool g_formatRetried = false;

// Clears a retry flag however the call ends, so that the next call starts
// with its own retry available.
class RetryFlagReset {
 public:
  explicit RetryFlagReset(bool& flag) : flag_(flag) {}
  ~RetryFlagReset() { flag_ = false; }
  RetryFlagReset(const RetryFlagReset&) = delete;
  RetryFlagReset& operator=(const RetryFlagReset&) = delete;

 private:
  bool& flag_;
};

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
  ComPtr<kcProgressObj> progress;
  RETURN_IF_FAILED(CreateProgress(&plugin, kProgressFormat, cookie, &progress));
  return globals->Initialize(WMDM_MODE_BLOCK, progress.Get());
}

using WipeStep = HRESULT (*)(kcWMDM10Plugin& plugin, const ComPtr<IWMDMStorage>& root, DWORD cookie);

// The frame both slots share, under the plug-in lock.
HRESULT WipeMedium(kcWMDM10Plugin& plugin, const WCHAR* location, DWORD cookie, const WCHAR* operation,
                   WipeStep wipe, bool& retried) {
  if (!location) return IPP_E_FAIL;
  plugin.WriteLog(WString(W("WMDM10::")) + operation + W(" called on media ") + location);
  RetryFlagReset resetOnExit(retried);
  for (;;) {
    StorageNode* node = plugin.ResolveStorage(location, W("\\"), 0);
    if (!node) return IPP_E_NOTFOUND;
    HRESULT result = E_FAIL;
    if (ComPtr<IWMDMStorage> root = node->storage) result = wipe(plugin, root, cookie);
    // A stale root is looked up afresh, once.
    if (result != WMDM_E_INTERFACEDEAD || retried) return result;
    plugin.DropNode(node);
    retried = true;
  }
}

}  // namespace

HRESULT kcWMDM10Plugin::Erase(const WCHAR* location, DWORD cookie) {
  return RunLockedHostSlot(lock_,
                           [&] { return WipeMedium(*this, location, cookie, W("Erase"), DeleteRoot, g_eraseRetried); });
}

HRESULT kcWMDM10Plugin::Format(const WCHAR* location, DWORD cookie) {
  return RunLockedHostSlot(
      lock_, [&] { return WipeMedium(*this, location, cookie, W("Format"), InitializeMedium, g_formatRetried); });
}
