// The device property getters (flags, numbers, texts, icon). Each answer is
// worked out once per device and kept in the record's cache.
#include "core/device_list.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// The frame every named getter shares, under the plug-in lock: the record, the
// argument checks, the entry line and the cache. `compute` works the value
// out on a miss; false means the name is not one of the getter's. `answer` is
// written whenever there is a value to hand out, even with a failing result.
template <typename Value, typename Compute>
HRESULT CachedProperty(DeviceList& devices, const HostLink& link, DWORD deviceNumber, const WCHAR* name, bool outGiven,
                       const WCHAR* operation, std::map<WString, Value> DeviceRecord::*cache, Value* answer,
                       bool* answered, Compute compute) {
  DeviceRecord* record = devices.FindDeviceRecord(static_cast<LONG>(deviceNumber));
  if (!record) return E_INVALIDARG;
  if (!name || !outGiven) return IPP_E_FAIL;
  link.WriteLog(WString(W("WMDM10::")) + operation + W(" called requesting ") + name);
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

HRESULT DeviceList::PropertyBool(DWORD deviceNumber, const WCHAR* name, bool outGiven, bool* answer,
                                 bool* answered) {
  return CachedProperty(*this, link_, deviceNumber, name, outGiven, W("GetDevicePropertyBool"), &DeviceRecord::boolCache,
                        answer, answered, [this](DeviceRecord& record, const WString& property, bool* out, HRESULT*) {
                          return ComputeBoolProperty(record, property, out);
                        });
}

// A failed media count still hands out the 0 it cached.
HRESULT DeviceList::PropertyLong(DWORD deviceNumber, const WCHAR* name, bool outGiven, LONG* answer,
                                 bool* answered) {
  return CachedProperty(*this, link_, deviceNumber, name, outGiven, W("GetDevicePropertyLong"), &DeviceRecord::longCache,
                        answer, answered,
                        [this](DeviceRecord& record, const WString& property, LONG* out, HRESULT* result) {
                          return ComputeLongProperty(record, property, out, result);
                        });
}

HRESULT DeviceList::PropertyString(DWORD deviceNumber, const WCHAR* name, bool outGiven, WString* answer,
                                   bool* answered) {
  return CachedProperty(*this, link_, deviceNumber, name, outGiven, W("GetDevicePropertyString"),
                        &DeviceRecord::stringCache, answer, answered,
                        [this, deviceNumber](DeviceRecord& record, const WString& property, WString* out, HRESULT*) {
                          return ComputeStringProperty(record, deviceNumber, property, out);
                        });
}

HRESULT DeviceList::Icon(DWORD deviceNumber, ULONG* icon) {
  const ComPtr<IWMDMDevice> device = GetDeviceInterface(static_cast<LONG>(deviceNumber));
  if (!device) return E_FAIL;
  ULONG handle = 0;
  const HRESULT hr = device->GetDeviceIcon(&handle);
  if (SUCCEEDED(hr)) *icon = handle;
  return hr;
}
