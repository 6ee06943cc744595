#include "media/kc_progress_obj.h"

#include "core/host_boundary.h"
#include "host_sdk/ipp_result_codes.h"

kcProgressObj::kcProgressObj(kiPluginHostCallback* callback, DWORD kind, DWORD cookie)
    : kind_(kind), callback_(callback), cookie_(cookie) {}

HRESULT STDMETHODCALLTYPE kcProgressObj::Begin(DWORD) { return S_OK; }

HRESULT STDMETHODCALLTYPE kcProgressObj::Progress(DWORD) { return S_OK; }

HRESULT STDMETHODCALLTYPE kcProgressObj::End() {
  ScopedLock held(lock_);
  // The host's answer is not ours to judge, and nothing it throws may reach
  // WMDM, which called us.
  if (callback_) (void)CatchToResult([&] { return callback_->OperationEnded(cookie_, 0); });
  return S_OK;
}

HRESULT CreateProgress(kiPluginHostCallback* callback, DWORD kind, DWORD cookie, kcProgressObj** progress) {
  if (!progress) return IPP_E_FAIL;
  return MakeComObjectInto<kcProgressObj>(progress, callback, kind, cookie);
}
