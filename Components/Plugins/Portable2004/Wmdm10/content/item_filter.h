// Which storages the host is shown, and a playlist entry's place on the
// medium.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <mswmdm.h>

#include "settings/kc_device_settings.h"

// True when `path` (a folder's device path without its leading "\") is one
// of the settings' hidden folders, compared exactly.
bool IsHiddenFolder(const kcDeviceSettings& settings, const WString& path);

// The device path of a storage, from its parents (the medium's own name left
// out). IPP_E_FAIL without a storage; a failing GetName is the result.
HRESULT StoragePath(IWMDMStorage* storage, WString* path);
