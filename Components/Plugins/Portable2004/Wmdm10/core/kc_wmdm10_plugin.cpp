#include "core/kc_wmdm10_plugin.h"

#include <memory>

#include "core/host_boundary.h"
#include "host_sdk/ipp_result_codes.h"

kcWMDM10Plugin::kcWMDM10Plugin() = default;

HRESULT kcWMDM10Plugin::CheckEnvironment(kiIPPEnvironmentCheckResults* results) {
  if (!results) return IPP_E_FAIL;
  // Only the host's own result class carries the status member we may write.
  if (auto* known = dynamic_cast<kcIPPEnvironmentCheckResults*>(results)) known->status_ = 0;
  return IPP_S_OK;
}

BSTR kcWMDM10Plugin::GetPluginName() { return SysAllocString(W("WMDM10 Plugin")); }

HRESULT kcWMDM10Plugin::SetHostCallback(kiPluginHostCallback* callback) {
  link_.SetCallback(callback);
  return IPP_S_OK;
}

HRESULT kcWMDM10Plugin::SetHostContext(DWORD context) {
  link_.SetContext(context);
  return IPP_S_OK;
}

HRESULT kcWMDM10Plugin::ReservedQuery(DWORD, DWORD, DWORD) { return IPP_S_FALSE; }

HRESULT kcWMDM10Plugin::Fixed21(DWORD) { return IPP_S_OK; }

HRESULT kcWMDM10Plugin::Fixed22(DWORD) { return IPP_S_OK; }

// Slots the plug-in does not implement answer E_NOTIMPL untranslated.
HRESULT kcWMDM10Plugin::NotImplemented16(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented17(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented18(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented20(DWORD, DWORD, DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented28(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented35(DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented39(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented40(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented41(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented46(DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented47(DWORD, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT kcWMDM10Plugin::NotImplemented48(DWORD, DWORD) { return E_NOTIMPL; }

HRESULT kcWMDM10Plugin::FindFirstItem(const WCHAR* location, const WCHAR* hostPath, kiIPPItem* item,
                                      IPPFINDHANDLE* find) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    if (!location || !hostPath || !item || !find) return IPP_E_FAIL;
    WriteLog(W("WMDM10::FindFirstItem called"));
    *find = nullptr;
    return listings_.Open(location, hostPath, item, find);
  });
}

HRESULT kcWMDM10Plugin::FindNextItem(IPPFINDHANDLE find, kiIPPItem* item) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    FindState* state = FindState::FromHandle(find);
    if (!state || !item) return IPP_E_FAIL;
    WriteLog(W("WMDM10::FindNextItem called"));
    return listings_.Next(*state, item);
  });
}

HRESULT kcWMDM10Plugin::FindItemClose(IPPFINDHANDLE find) {
  // Always 0, whatever the door would make of it.
  RunLockedHostSlot(lock_, [&]() -> HRESULT {
    // Owned before anything can fail, so that the handle goes even when its log line cannot be had.
    const std::unique_ptr<FindState> closing = ItemListings::Take(find);
    WriteLog(W("WMDM10::FindItemClose called"));
    return S_OK;
  });
  return S_OK;
}

HRESULT kcWMDM10Plugin::GetItemInformation(const WCHAR* location, const WCHAR* id, kiIPPItem* item) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    if (!location || !id || !item) return IPP_E_FAIL;
    return listings_.Describe(location, id, item);
  });
}
