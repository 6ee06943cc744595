#include "core/device_identity.h"

#include <com_ptr.h>

#include "base/device_text.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// A lowercase hexadecimal byte without a leading zero: 0x0A is "a", 0x3F "3f".
WString HexByte(BYTE value) {
  static const char digits[] = "0123456789abcdef";
  WString text;
  if (value >= 0x10) text += static_cast<WCHAR>(digits[value >> 4]);
  text += static_cast<WCHAR>(digits[value & 0xF]);
  return text;
}

}  // namespace

HRESULT GetDeviceIdentity(IWMDMDevice* device, WString* identity) {
  if (!device || !identity) return IPP_E_FAIL;
  *identity = kFallbackIdentityPrefix;
  ComPtr<IWMDMDevice2> device2;
  HRESULT canonical = ComPtr<IWMDMDevice>(device).As(&device2);
  if (SUCCEEDED(canonical)) {
    WString name;
    canonical = ReadDeviceText([&](WCHAR* buffer, UINT chars) { return device2->GetCanonicalName(buffer, chars); },
                               &name);
    if (SUCCEEDED(canonical)) {
      *identity = name;
      return canonical;
    }
  }
  bool anyRead = false;
  WString part;
  if (SUCCEEDED(ReadDeviceName(device, &part))) {
    *identity += part + W("_");
    anyRead = true;
  }
  if (SUCCEEDED(ReadDeviceManufacturer(device, &part))) {
    *identity += part + W("_");
    anyRead = true;
  }
  WMDMID serial = {};
  BYTE mac[WMDM_MAC_LENGTH] = {};
  if (SUCCEEDED(device->GetSerialNumber(&serial, mac))) {
    anyRead = true;
    const ULONG length = serial.SerialNumberLength < WMDMID_LENGTH ? serial.SerialNumberLength : WMDMID_LENGTH;
    for (ULONG i = 0; i < length; ++i) *identity += HexByte(serial.pID[i]);
  }
  return anyRead ? S_OK : canonical;
}

bool IsFallbackIdentity(const WString& identity) {
  return identity.compare(0, kFallbackIdentityMarkLength, kFallbackIdentityPrefix, kFallbackIdentityMarkLength) == 0;
}

WCHAR DriveLetterFromName(const WString& identity) {
  const size_t colon = identity.rfind(W(':'));
  if (colon == WString::npos || colon < 2) return 0;
  const WCHAR before = identity[colon - 2];
  if (before != W(' ') && before != W('(') && before != W('[')) return 0;
  return identity[colon - 1];
}
