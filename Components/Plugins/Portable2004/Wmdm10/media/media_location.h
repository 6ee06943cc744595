// The text that names one medium of one device to the host.
#pragma once

#include <windows.h>

#include <mswmdm.h>

// "WMDM10", the device's escaped identity, "___" and the storage's escaped
// name, as a BSTR the caller frees. IPP_E_FAIL for a missing argument; a
// WMDM failure is the result, and then nothing is handed out.
HRESULT MakeMediaLocation(IWMDMDevice* device, IWMDMStorage* storage, BSTR* location);
