#include "progress_calls.h"

namespace wmdm_standin {

HRESULT ProgressCalls::Begin(DWORD ticks) {
  if (!progress_) return S_OK;
  begun_ = true;
  const HRESULT begin = progress_->Begin(ticks);
  if (begin == WMDM_E_USER_CANCELLED) return begin;
  const HRESULT first = progress_->Progress(0);
  return first == WMDM_E_USER_CANCELLED ? first : S_OK;
}

void ProgressCalls::Done(DWORD ticks) {
  if (progress_ && begun_) progress_->Progress(ticks);
}

void ProgressCalls::End() {
  if (!progress_ || !begun_) return;
  begun_ = false;
  progress_->End();
}

}  // namespace wmdm_standin
