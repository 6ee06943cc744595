#include "core/kc_wmdm10_plugin.h"

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
  hostCallback_ = callback;
  return IPP_S_OK;
}

HRESULT kcWMDM10Plugin::SetHostContext(DWORD context) {
  hostContext_ = context;
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
