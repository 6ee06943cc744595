// Host operations whose behaviour has not been built yet. Each answers
// E_NOTIMPL until its own file replaces it here.
#include "core/kc_wmdm10_plugin.h"

HRESULT kcWMDM10Plugin::DownloadFile(const WCHAR*, const WCHAR*, const WCHAR*, kiIPPItem*, DWORD, DWORD, DWORD*) {
  return E_NOTIMPL;
}
