// VARIANT services: what a VARIANT owns is a BSTR, an interface reference or a
// SAFEARRAY, never what it points at by reference.
#include <oleauto.h>

#include "variant_type.h"

#include "allocation_fault.h"

namespace winapi {

HRESULT ValidateVariantType(VARTYPE vt) {
  const VARTYPE base = vt & VT_TYPEMASK;
  const VARTYPE extra = vt & ~VT_TYPEMASK;
  if (extra & (VT_VECTOR | 0x8000)) return DISP_E_BADVARTYPE;
  if (base > VT_UINT && base != kVtRecord && base != VT_CLSID) return DISP_E_BADVARTYPE;
  if (base == 15) return DISP_E_BADVARTYPE;
  if ((extra & (VT_BYREF | VT_ARRAY)) && base <= VT_NULL) return DISP_E_BADVARTYPE;
  return S_OK;
}

}  // namespace winapi

using winapi::ValidateVariantType;

extern "C" void VariantInit(VARIANTARG* variant) { variant->vt = VT_EMPTY; }

extern "C" HRESULT VariantClear(VARIANTARG* variant) {
  HRESULT hr = ValidateVariantType(variant->vt);
  if (FAILED(hr)) return hr;
  const VARTYPE vt = variant->vt;
  if (!(vt & VT_BYREF)) {
    if (vt & VT_ARRAY) {
      hr = SafeArrayDestroy(variant->parray);
    } else if (vt == VT_BSTR) {
      SysFreeString(variant->bstrVal);
    } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && variant->punkVal) {
      variant->punkVal->Release();
    }
  }
  variant->vt = VT_EMPTY;
  return hr;
}

extern "C" HRESULT VariantCopy(VARIANTARG* target, const VARIANTARG* source) {
  HRESULT hr = ValidateVariantType(source->vt);
  if (FAILED(hr) || target == source) return hr;
  hr = VariantClear(target);
  if (FAILED(hr)) return hr;
  *target = *source;
  const VARTYPE vt = source->vt;
  if (vt & VT_BYREF) return S_OK;  // the reference is copied, not what it refers to
  if (vt & VT_ARRAY || vt == VT_BSTR) {
    WINAPI_ALLOCATION_POINT((target->vt = VT_EMPTY, E_OUTOFMEMORY));
  }
  if (vt & VT_ARRAY) {
    target->parray = nullptr;
    hr = SafeArrayCopy(source->parray, &target->parray);
  } else if (vt == VT_BSTR) {
    // A null BSTR is copied as an empty string of its own, as Windows copies it.
    target->bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source->bstrVal),
                                            SysStringByteLen(source->bstrVal));
    if (!target->bstrVal) hr = E_OUTOFMEMORY;
  } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && source->punkVal) {
    source->punkVal->AddRef();
  }
  if (FAILED(hr)) target->vt = VT_EMPTY;
  return hr;
}
