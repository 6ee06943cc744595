// The progress object the plug-in hands WMDM for a blocking erase or format.
// WMDM reports Begin, Progress and End to it during the call; End tells the
// host that the operation is over, so the host learns it before the slot
// returns.
#pragma once

#include <windows.h>

#include <com_object.h>
#include <com_ptr.h>
#include <critical_section.h>
#include <mswmdm.h>

#include "core/module_lock.h"
#include "host_sdk/ki_plugin_host_callback.h"

// What the host asked for; handed back to nobody, kept for the record.
enum ProgressKind : DWORD {
  kProgressErase = 3,
  kProgressFormat = 4,
};

class kcProgressObj final : public ComObject<kcProgressObj, IWMDMProgress> {
 public:
  // The host callback as it is now: a host that changes its callback
  // during the call still hears the end on the one it had.
  kcProgressObj(kiPluginHostCallback* callback, DWORD kind, DWORD cookie);

  HRESULT STDMETHODCALLTYPE Begin(DWORD estimatedTicks) override;
  HRESULT STDMETHODCALLTYPE Progress(DWORD transpiredTicks) override;
  HRESULT STDMETHODCALLTYPE End() override;

  DWORD Kind() const { return kind_; }

 private:
  friend class ComObject<kcProgressObj, IWMDMProgress>;
  ~kcProgressObj() = default;

  ModuleLockHolder moduleLock_;  // held from creation to the last Release
  CriticalSection lock_;         // one End at a time, whichever thread WMDM uses
  DWORD kind_;
  kiPluginHostCallback* callback_;  // not owned; may be null
  DWORD cookie_;
};

// A new progress object for the host callback the plug-in has now (or
// none) and the host's cookie, handed out with the one reference the caller holds through the
// call; the object dies with the last of WMDM's references after it.
// IPP_E_FAIL for a null out, E_OUTOFMEMORY when it cannot be made.
HRESULT CreateProgress(kiPluginHostCallback* callback, DWORD kind, DWORD cookie, kcProgressObj** progress);
