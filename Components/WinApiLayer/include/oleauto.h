// Subset of oleauto.h for the Linux lane: BSTR, VARIANT and SAFEARRAY services.
#pragma once

#include "oaidl.h"

#define WINOLEAUTAPI extern "C" HRESULT
#define WINOLEAUTAPI_(type) extern "C" type

WINOLEAUTAPI_(BSTR) SysAllocString(const OLECHAR* text);
WINOLEAUTAPI_(BSTR) SysAllocStringLen(const OLECHAR* text, UINT length);
WINOLEAUTAPI_(BSTR) SysAllocStringByteLen(LPCSTR bytes, UINT length);
WINOLEAUTAPI_(INT) SysReAllocString(BSTR* target, const OLECHAR* text);
WINOLEAUTAPI_(INT) SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);
WINOLEAUTAPI_(UINT) SysStringLen(BSTR text);
WINOLEAUTAPI_(UINT) SysStringByteLen(BSTR text);
WINOLEAUTAPI_(void) SysFreeString(BSTR text);

WINOLEAUTAPI_(void) VariantInit(VARIANTARG* variant);
WINOLEAUTAPI VariantClear(VARIANTARG* variant);
WINOLEAUTAPI VariantCopy(VARIANTARG* target, const VARIANTARG* source);

WINOLEAUTAPI_(SAFEARRAY*) SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds);
WINOLEAUTAPI_(SAFEARRAY*) SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
WINOLEAUTAPI SafeArrayDestroy(SAFEARRAY* array);
WINOLEAUTAPI SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy);
WINOLEAUTAPI_(UINT) SafeArrayGetDim(SAFEARRAY* array);
WINOLEAUTAPI_(UINT) SafeArrayGetElemsize(SAFEARRAY* array);
WINOLEAUTAPI SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
WINOLEAUTAPI SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound);
WINOLEAUTAPI SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound);
WINOLEAUTAPI SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
WINOLEAUTAPI SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);
WINOLEAUTAPI SafeArrayAccessData(SAFEARRAY* array, void** data);
WINOLEAUTAPI SafeArrayUnaccessData(SAFEARRAY* array);
WINOLEAUTAPI SafeArrayLock(SAFEARRAY* array);
WINOLEAUTAPI SafeArrayUnlock(SAFEARRAY* array);
