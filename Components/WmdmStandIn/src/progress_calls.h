// Tells a caller's progress object about a blocking operation the way the
// platform does: Begin with an estimate, Progress as ticks pass, End once
// whatever happened. A Progress answer of WMDM_E_USER_CANCELLED stops the
// operation before it changes anything and becomes its result.
#pragma once

#include <com_ptr.h>
#include <mswmdm.h>

namespace wmdm_standin {

class ProgressCalls {
 public:
  explicit ProgressCalls(IWMDMProgress* progress) : progress_(progress) {}
  ~ProgressCalls() { End(); }
  ProgressCalls(const ProgressCalls&) = delete;
  ProgressCalls& operator=(const ProgressCalls&) = delete;

  // Begin(ticks) and a first Progress(0); the caller's refusal comes back.
  HRESULT Begin(DWORD ticks);
  // Progress(ticks) once the work is done.
  void Done(DWORD ticks);
  void End();

 private:
  ComPtr<IWMDMProgress> progress_;
  bool begun_ = false;
};

}  // namespace wmdm_standin
