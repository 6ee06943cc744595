// Reading a WMDM device's texts: each into a buffer of 259 characters offered
// to the device, with one more kept for a terminator the device may leave out.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <mswmdm.h>

constexpr UINT kDeviceTextChars = 259;

// `read` fills a buffer of kDeviceTextChars characters that starts as
// `initial`; `text` receives the buffer when the read succeeds, or when an
// initial text was given, whatever the read left in it.
template <typename Read>
HRESULT ReadDeviceText(Read read, WString* text, const WCHAR* initial = nullptr) {
  WCHAR buffer[kDeviceTextChars + 1] = {};
  for (size_t i = 0; initial && initial[i] && i < kDeviceTextChars; ++i) buffer[i] = initial[i];
  const HRESULT hr = read(buffer, kDeviceTextChars);
  buffer[kDeviceTextChars] = 0;
  if (SUCCEEDED(hr) || initial) *text = buffer;
  return hr;
}

// The device's name; `name` is left alone when it cannot be read.
HRESULT ReadDeviceName(IWMDMDevice* device, WString* name);

// The device's manufacturer, "unknown" when the device does not tell.
HRESULT ReadDeviceManufacturer(IWMDMDevice* device, WString* manufacturer);
