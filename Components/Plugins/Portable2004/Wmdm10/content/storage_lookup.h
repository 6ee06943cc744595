// Finding a medium of a device, or a storage inside a folder, by name.
#pragma once

#include <windows.h>

#include <wide_text.h>

#include <com_ptr.h>
#include <mswmdm.h>

// The device's medium named `name` (compared ignoring case) in `storage`
// (null unless found; a ComPtr's address releases what it held).
// S_OK when found; S_FALSE when no medium has that name and nothing failed;
// otherwise the failing call's result (IPP_E_FAIL without a device).
HRESULT FindMedium(ComPtr<IWMDMDevice> device, const WString& name, IWMDMStorage** storage);

// The storage named `name` (compared ignoring case, nothing added to or cut
// from it) directly inside `parent`. Asks WMDM for it by name first and
// enumerates the folder only when that does not give a storage it can trust.
// Results as FindMedium's.
HRESULT FindChildStorage(ComPtr<IWMDMStorage> parent, const WString& name, IWMDMStorage** child);
