// PROPVARIANT: unlike a VARIANT it may own task-allocator memory (strings,
// class ids, blobs, counted vectors) besides BSTRs, interfaces and arrays.
#include <objbase.h>
#include <propidl.h>

#include <cstring>

#include "variant_type.h"

namespace {

// Types that own nothing: the plain values, empty, null and a FILETIME.
bool IsSimpleType(VARTYPE vt) {
  return vt == VT_EMPTY || vt == VT_NULL || vt == VT_FILETIME || winapi::PlainValueSize(vt) != 0;
}

bool IsVectorElementType(VARTYPE vt) {
  return vt != VT_EMPTY && vt != VT_NULL && vt != VT_DECIMAL && vt != VT_INT && vt != VT_UINT && IsSimpleType(vt);
}

HRESULT ReleaseOwned(PROPVARIANT* value) {
  const VARTYPE vt = value->vt;
  if (vt & VT_BYREF) return S_OK;  // refers to memory someone else owns
  if (vt & VT_ARRAY) return SafeArrayDestroy(value->parray);
  if (vt & VT_VECTOR) {
    // Vectors of plain values: one task-allocator block.
    if (!IsVectorElementType(vt & VT_TYPEMASK)) return STG_E_INVALIDPARAMETER;
    CoTaskMemFree(value->caul.pElems);
    return S_OK;
  }
  switch (vt) {
    case VT_BSTR:
      SysFreeString(value->bstrVal);
      return S_OK;
    case VT_LPSTR:
    case VT_LPWSTR:
    case VT_CLSID:
      CoTaskMemFree(value->pwszVal);  // the one pointer of each of these
      return S_OK;
    case VT_BLOB:
      CoTaskMemFree(value->blob.pBlobData);
      return S_OK;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      if (value->punkVal) value->punkVal->Release();
      return S_OK;
    default:
      return IsSimpleType(vt) ? S_OK : STG_E_INVALIDPARAMETER;
  }
}

}  // namespace

extern "C" void PropVariantInit(PROPVARIANT* value) { std::memset(value, 0, sizeof(*value)); }

extern "C" HRESULT PropVariantClear(PROPVARIANT* value) {
  if (!value) return S_OK;
  const HRESULT hr = ReleaseOwned(value);
  // A type it does not know is left as it is, as Windows leaves it.
  if (hr == STG_E_INVALIDPARAMETER) return hr;
  std::memset(value, 0, sizeof(*value));
  return hr;
}
