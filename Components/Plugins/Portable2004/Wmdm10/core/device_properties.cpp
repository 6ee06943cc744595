// The device property getters (flags, numbers, texts, icon). Each answer is
// worked out once per device and kept in the record's cache.
#include "core/host_boundary.h"
#include "core/kc_wmdm10_plugin.h"
#include "core/property_handout.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// The frame every named getter shares, under the plug-in lock: the record, the
// argument checks, the entry line and the cache. `compute` works the value
// out on a miss; false means the name is not one of the getter's. `answer` is
// written whenever there is a value to hand out, even with a failing result.
template <typename Value, typename Compute>
HRESULT CachedProperty(kcWMDM10Plugin& plugin, DWORD deviceNumber, const WCHAR* name, bool outGiven,
                       const WCHAR* operation, std::map<WString, Value> DeviceRecord::*cache, Value* answer,
                       bool* answered, Compute compute) {
  DeviceRecord* record = plugin.FindDeviceRecord(static_cast<LONG>(deviceNumber));
  if (!record) return E_INVALIDARG;
  if (!name || !outGiven) return IPP_E_FAIL;
  plugin.WriteLog(WString(W("WMDM10::")) + operation + W(" called requesting ") + name);
  auto& entries = record->*cache;
  const auto hit = entries.find(name);
  if (hit != entries.end()) {
    *answer = hit->second;
    *answered = true;
    return S_OK;
  }
  HRESULT result = S_OK;
  Value value{};
  if (!compute(*record, WString(name), &value, &result)) return IPP_E_UNKNOWNPROPERTY;
  entries[name] = value;
  *answer = value;
  *answered = true;
  return result;
}

}  // namespace

HRESULT kcWMDM10Plugin::GetDevicePropertyBool(DWORD deviceNumber, const WCHAR* name, BOOL* value) {
  const WCHAR* const operation = W("GetDevicePropertyBool");
  return HandOutProperty<bool>(*this, operation, value, [&](bool* answer, bool* answered) {
    return CachedProperty(*this, deviceNumber, name, value != nullptr, operation, &DeviceRecord::boolCache, answer,
                          answered, [this](DeviceRecord& record, const WString& property, bool* out, HRESULT*) {
                            return ComputeBoolProperty(record, property, out);
                          });
  });
}

// A failed media count still hands out the 0 it cached.
HRESULT kcWMDM10Plugin::GetDevicePropertyLong(DWORD deviceNumber, const WCHAR* name, LONG* value) {
  const WCHAR* const operation = W("GetDevicePropertyLong");
  return HandOutProperty<LONG>(*this, operation, value, [&](LONG* answer, bool* answered) {
    return CachedProperty(*this, deviceNumber, name, value != nullptr, operation, &DeviceRecord::longCache, answer,
                          answered,
                          [this](DeviceRecord& record, const WString& property, LONG* out, HRESULT* result) {
                            return ComputeLongProperty(record, property, out, result);
                          });
  });
}

HRESULT kcWMDM10Plugin::GetDevicePropertyString(DWORD deviceNumber, const WCHAR* name, BSTR* value) {
  const WCHAR* const operation = W("GetDevicePropertyString");
  return HandOutProperty<WString>(*this, operation, value, [&](WString* answer, bool* answered) {
    return CachedProperty(*this, deviceNumber, name, value != nullptr, operation, &DeviceRecord::stringCache, answer,
                          answered,
                          [this, deviceNumber](DeviceRecord& record, const WString& property, WString* out,
                                               HRESULT*) {
                            return ComputeStringProperty(record, deviceNumber, property, out);
                          });
  });
}

HRESULT kcWMDM10Plugin::GetDevicePropertyIcon(DWORD deviceNumber, DWORD, ULONG* icon) {
  return RunLockedHostSlot(lock_, [&]() -> HRESULT {
    WriteLog(W("WMDM10::GetDevicePropertyIcon called"));
    if (!icon) return IPP_E_FAIL;
    *icon = 0;
    const ComPtr<IWMDMDevice> device = GetDeviceInterface(static_cast<LONG>(deviceNumber));
    if (!device) return E_FAIL;
    ULONG handle = 0;
    const HRESULT hr = device->GetDeviceIcon(&handle);
    if (SUCCEEDED(hr)) *icon = handle;
    return hr;
  });
}
