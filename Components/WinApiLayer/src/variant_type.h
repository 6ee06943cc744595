// Which VARTYPEs a VARIANT may hold, and the plain values every container
// keeps by value, shared by the VARIANT, PROPVARIANT and SAFEARRAY code.
#pragma once

#include <oaidl.h>

namespace winapi {

constexpr VARTYPE kVtRecord = 36;

// DISP_E_BADVARTYPE unless a VARIANT may carry `vt`: the automation base types
// (VT_EMPTY to VT_UINT, except 15), VT_RECORD and VT_CLSID, optionally by
// reference or as an array, never as a vector.
HRESULT ValidateVariantType(VARTYPE vt);

// The size of a plain value (a number, flag, error code, currency, date or
// DECIMAL): one that owns nothing and is copied as bytes. 0 for any other type.
inline ULONG PlainValueSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_BOOL:
    case VT_I2:
    case VT_UI2:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_ERROR:
    case VT_INT:
    case VT_UINT:
      return 4;
    case VT_R8:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
    case VT_DATE:
      return 8;
    case VT_DECIMAL:
      return sizeof(DECIMAL);
    default:
      return 0;
  }
}

}  // namespace winapi
