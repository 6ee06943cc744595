// The fixed slots, and the slots of devices and media: each is the door
// and one call into the device list or the media.
#include "plugin/kc_wmdm10_plugin.h"

#include <memory>

#include "core/host_boundary.h"
#include "core/module_version.h"
#include "core/property_handout.h"
#include "host_sdk/ipp_result_codes.h"

kcWMDM10Plugin::kcWMDM10Plugin() {
  // What was resolved through a device's records goes with them.
  devices_.SetOnRecordsDropped([this] { resolver_.ClearNodeCache(); });
}

HRESULT kcWMDM10Plugin::GetPluginVersion(DWORD* versionMS, DWORD* versionLS) {
  if (!versionMS || !versionLS) return IPP_E_FAIL;
  try {
    ReadModuleVersion(versionMS, versionLS);
  } catch (...) {
    // An allocation failure reads as a failed step: the outs stay as they were.
  }
  return IPP_S_OK;
}

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

HRESULT kcWMDM10Plugin::FindFirstDevice(DWORD* deviceNumber, IPPFINDHANDLE* find) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    WriteLog(W("WMDM10::FindFirstDevice called"));
    if (!deviceNumber || !find) return IPP_E_FAIL;
    *deviceNumber = 0;
    *find = nullptr;
    return devices_.ListFirst(deviceNumber, find);
  });
}

HRESULT kcWMDM10Plugin::FindNextDevice(IPPFINDHANDLE find, DWORD* deviceNumber) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    WriteLog(W("WMDM10::FindNextDevice called"));
    if (!find || !deviceNumber) return IPP_E_FAIL;
    *deviceNumber = 0;
    return devices_.ListNext(static_cast<IWMDMEnumDevice*>(find), deviceNumber);
  });
}

HRESULT kcWMDM10Plugin::FindDeviceClose(IPPFINDHANDLE find) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    // Owned before anything can fail, so that the handle goes even when its log line cannot be had.
    ComPtr<IWMDMEnumDevice> enumerator;
    enumerator.Attach(static_cast<IWMDMEnumDevice*>(find));
    WriteLog(W("WMDM10::FindDeviceClose called"));
    return S_OK;
  });
}

HRESULT kcWMDM10Plugin::ReScanDevices() {
  const HRESULT hr = RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    WriteLog(W("WMDM10::ReScanDevices called"));
    return devices_.Rescan();
  });
  // The host hears of what the rescan found once the lock is let go.
  DeliverDeviceNews();
  return hr;
}

HRESULT kcWMDM10Plugin::GetDevicePropertyBool(DWORD deviceNumber, const WCHAR* name, BOOL* value) {
  return HandOutProperty<bool>(lock_, link_, W("GetDevicePropertyBool"), value, [&](bool* answer, bool* answered) {
    return devices_.PropertyBool(deviceNumber, name, value != nullptr, answer, answered);
  });
}

HRESULT kcWMDM10Plugin::GetDevicePropertyLong(DWORD deviceNumber, const WCHAR* name, LONG* value) {
  return HandOutProperty<LONG>(lock_, link_, W("GetDevicePropertyLong"), value, [&](LONG* answer, bool* answered) {
    return devices_.PropertyLong(deviceNumber, name, value != nullptr, answer, answered);
  });
}

HRESULT kcWMDM10Plugin::GetDevicePropertyString(DWORD deviceNumber, const WCHAR* name, BSTR* value) {
  return HandOutProperty<WString>(lock_, link_, W("GetDevicePropertyString"), value,
                                  [&](WString* answer, bool* answered) {
                                    return devices_.PropertyString(deviceNumber, name, value != nullptr, answer,
                                                                   answered);
                                  });
}

HRESULT kcWMDM10Plugin::GetDevicePropertyIcon(DWORD deviceNumber, DWORD, ULONG* icon) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    WriteLog(W("WMDM10::GetDevicePropertyIcon called"));
    if (!icon) return IPP_E_FAIL;
    *icon = 0;
    return devices_.Icon(deviceNumber, icon);
  });
}

HRESULT kcWMDM10Plugin::GetSupportedBitrates(DWORD deviceNumber, const WCHAR* type, SAFEARRAY** bitrates,
                                             BOOL* everyRate) {
  return RunLockedHostSlot(lock_, link_, [&] { return devices_.FindSupportedBitrates(deviceNumber, type, bitrates, everyRate); });
}

HRESULT kcWMDM10Plugin::FindFirstMedia(DWORD deviceNumber, BSTR* location, IPPFINDHANDLE* find) {
  return RunLockedHostSlot(lock_, link_, [&] { return media_.ListFirst(deviceNumber, location, find); });
}

HRESULT kcWMDM10Plugin::FindNextMedia(IPPFINDHANDLE find, BSTR* location) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    FindState* state = FindState::FromHandle(find);
    if (!state || !location) return IPP_E_FAIL;
    WriteLog(W("WMDM10::FindNextMedia called"));
    *location = nullptr;
    return media_.ListNext(*state, location);
  });
}

HRESULT kcWMDM10Plugin::FindMediaClose(IPPFINDHANDLE find) {
  return RunLockedHostSlot(lock_, link_, [&]() -> HRESULT {
    // Owned before anything can fail, so that the handle goes even when its log line cannot be had.
    std::unique_ptr<FindState> state(FindState::FromHandle(find));
    WriteLog(W("WMDM10::FindMediaClose called"));
    return S_OK;
  });
}

HRESULT kcWMDM10Plugin::Erase(const WCHAR* location, DWORD cookie) {
  return RunLockedHostSlot(lock_, link_, [&] { return media_.Erase(location, cookie); });
}

HRESULT kcWMDM10Plugin::Format(const WCHAR* location, DWORD cookie) {
  return RunLockedHostSlot(lock_, link_, [&] { return media_.Format(location, cookie); });
}

HRESULT kcWMDM10Plugin::GetMediaPropertyBool(const WCHAR* location, const WCHAR* name, BOOL* value) {
  return HandOutProperty<bool>(lock_, link_, W("GetMediaPropertyBool"), value, [&](bool* answer, bool* answered) {
    return media_.PropertyBool(location, name, value != nullptr, answer, answered);
  });
}

HRESULT kcWMDM10Plugin::GetMediaPropertyLong(const WCHAR* location, const WCHAR* name, LONG* value) {
  return HandOutProperty<LONG>(lock_, link_, W("GetMediaPropertyLong"), value, [&](LONG* answer, bool* answered) {
    return media_.PropertyLong(location, name, value != nullptr, answer, answered);
  });
}

HRESULT kcWMDM10Plugin::GetMediaPropertyString(const WCHAR* location, const WCHAR* name, BSTR* value) {
  return HandOutProperty<WString>(lock_, link_, W("GetMediaPropertyString"), value,
                                  [&](WString* answer, bool* answered) {
                                    return media_.PropertyString(location, name, value != nullptr, answer, answered);
                                  });
}
