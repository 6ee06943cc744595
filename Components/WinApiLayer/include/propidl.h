// Subset of propidl.h for the Linux lane: PROPVARIANT as WMDM's GetProperty uses it.
#pragma once

#include "oaidl.h"

typedef struct tagCAUL {
  ULONG cElems;
  ULONG* pElems;
} CAUL;

typedef struct tagBLOB {
  ULONG cbSize;
  BYTE* pBlobData;
} BLOB;

typedef struct tagPROPVARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    CHAR cVal;
    BYTE bVal;
    SHORT iVal;
    USHORT uiVal;
    LONG lVal;
    ULONG ulVal;
    INT intVal;
    UINT uintVal;
    LARGE_INTEGER hVal;
    ULARGE_INTEGER uhVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    FILETIME filetime;
    CLSID* puuid;
    BLOB blob;
    BSTR bstrVal;
    LPSTR pszVal;
    LPWSTR pwszVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    CAUL caul;
  };
} PROPVARIANT;

static_assert(sizeof(PROPVARIANT) == 24, "PROPVARIANT layout as on 64-bit Windows");

extern "C" void PropVariantInit(PROPVARIANT* value);
extern "C" HRESULT PropVariantClear(PROPVARIANT* value);
