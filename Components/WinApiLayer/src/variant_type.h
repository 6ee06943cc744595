// Which VARTYPEs a VARIANT may hold, shared by the VARIANT and SAFEARRAY code.
#pragma once

#include <oaidl.h>

namespace winapi {

constexpr VARTYPE kVtRecord = 36;

// DISP_E_BADVARTYPE unless a VARIANT may carry `vt`: the automation base types
// (VT_EMPTY to VT_UINT, except 15), VT_RECORD and VT_CLSID, optionally by
// reference or as an array, never as a vector.
HRESULT ValidateVariantType(VARTYPE vt);

}  // namespace winapi
