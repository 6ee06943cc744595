#include "base/device_text.h"

HRESULT ReadDeviceName(IWMDMDevice* device, WString* name) {
  return ReadDeviceText([device](WCHAR* buffer, UINT chars) { return device->GetName(buffer, chars); }, name);
}

HRESULT ReadDeviceManufacturer(IWMDMDevice* device, WString* manufacturer) {
  return ReadDeviceText([device](WCHAR* buffer, UINT chars) { return device->GetManufacturer(buffer, chars); },
                        manufacturer, W("unknown"));
}
