// The device property getters (flags, numbers, texts, icon). Each answer is
// worked out once per device and kept in the record's cache.
#include <unique_bstr.h>

#include "core/host_boundary.h"
#include "core/kc_wmdm10_plugin.h"
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
  bool answer = false;
  return RunLockedHostSlot(
      lock_,
      [&]() -> HRESULT {
        if (value) *value = FALSE;
        bool answered = false;
        const HRESULT hr = CachedProperty(*this, deviceNumber, name, value != nullptr, W("GetDevicePropertyBool"),
                                          &DeviceRecord::boolCache, &answer, &answered,
                                          [this](DeviceRecord& record, const WString& property, bool* out, HRESULT*) {
                                            return ComputeBoolProperty(record, property, out);
                                          });
        if (answered) *value = answer ? TRUE : FALSE;
        return hr;
      },
      [&] { WriteLog(WString(W("WMDM10::GetDevicePropertyBool returned ")) + (answer ? W("true") : W("false"))); });
}

HRESULT kcWMDM10Plugin::GetDevicePropertyLong(DWORD deviceNumber, const WCHAR* name, LONG* value) {
  LONG answer = 0;
  return RunLockedHostSlot(
      lock_,
      [&]() -> HRESULT {
        if (value) *value = 0;
        bool answered = false;
        const HRESULT hr =
            CachedProperty(*this, deviceNumber, name, value != nullptr, W("GetDevicePropertyLong"),
                           &DeviceRecord::longCache, &answer, &answered,
                           [this](DeviceRecord& record, const WString& property, LONG* out, HRESULT* result) {
                             return ComputeLongProperty(record, property, out, result);
                           });
        if (answered) *value = answer;  // a failed media count still hands out the 0 it cached
        return hr;
      },
      [&] { WriteLog(W("WMDM10::GetDevicePropertyLong returned ") + wide::FromSigned(answer)); });
}

HRESULT kcWMDM10Plugin::GetDevicePropertyString(DWORD deviceNumber, const WCHAR* name, BSTR* value) {
  WString answer;
  bool handedOut = false;
  return RunLockedHostSlot(
      lock_,
      [&]() -> HRESULT {
        if (value) *value = nullptr;
        bool answered = false;
        HRESULT hr = CachedProperty(*this, deviceNumber, name, value != nullptr, W("GetDevicePropertyString"),
                                    &DeviceRecord::stringCache, &answer, &answered,
                                    [this, deviceNumber](DeviceRecord& record, const WString& property,
                                                         WString* out, HRESULT*) {
                                      return ComputeStringProperty(record, deviceNumber, property, out);
                                    });
        if (answered) {
          UniqueBstr text(answer);
          if (!text) return E_OUTOFMEMORY;
          *value = text.Release();
          handedOut = true;
        }
        return hr;
      },
      [&] {
        WriteLog(W("WMDM10::GetDevicePropertyString returned ") + (handedOut ? answer : WString(W("NULL"))));
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
