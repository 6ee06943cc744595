// How the plug-in names a WMDM device: its canonical name, or, for a device
// that has none, a fallback built from its name, manufacturer and serial.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <mswmdm.h>

// Every fallback identity starts with this text.
inline const WCHAR kFallbackIdentityPrefix[] = W("FakeCanonicalName_");
// The part of the prefix that tells a fallback identity apart.
constexpr size_t kFallbackIdentityMarkLength = 17;

HRESULT GetDeviceIdentity(IWMDMDevice* device, WString* identity);

bool IsFallbackIdentity(const WString& identity);

// The drive letter a name carries at its end, as in "Player (E:)"; 0 for none.
WCHAR DriveLetterFromName(const WString& identity);
