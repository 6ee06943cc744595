// SAFEARRAYs laid out as Windows lays them out: 16 hidden bytes before the
// descriptor keep the element type (or the interface id of an interface
// array); the bounds are stored last dimension first; the first index varies
// fastest in the data.
#include <oleauto.h>

#include <cstdlib>
#include <cstring>

#include "allocation_fault.h"
#include "variant_type.h"

namespace {

constexpr size_t kHiddenBytes = 16;
constexpr USHORT kCopiedFeatures = static_cast<USHORT>(~(FADF_AUTO | FADF_STATIC | FADF_EMBEDDED));
constexpr USHORT kOwnsElements = FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT;
constexpr ULONG kMaxLocks = 0xFFFF;

BYTE* HiddenBytes(SAFEARRAY* array) { return reinterpret_cast<BYTE*>(array) - kHiddenBytes; }
DWORD* HiddenVartype(SAFEARRAY* array) { return reinterpret_cast<DWORD*>(array) - 1; }
GUID* HiddenIid(SAFEARRAY* array) { return reinterpret_cast<GUID*>(array) - 1; }

ULONG ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_VARIANT:
      return sizeof(VARIANT);
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return sizeof(void*);
    default:
      return winapi::PlainValueSize(vt);  // 0: not an element type this runtime keeps
  }
}

SAFEARRAY* AllocateDescriptor(UINT dims) {
  const size_t bytes = kHiddenBytes + offsetof(SAFEARRAY, rgsabound) + dims * sizeof(SAFEARRAYBOUND);
  auto* block = static_cast<BYTE*>(std::calloc(1, bytes));
  if (!block) return nullptr;
  auto* array = reinterpret_cast<SAFEARRAY*>(block + kHiddenBytes);
  array->cDims = static_cast<USHORT>(dims);
  return array;
}

void FreeDescriptor(SAFEARRAY* array) { std::free(HiddenBytes(array)); }

void SetElementType(SAFEARRAY* array, VARTYPE vt) {
  array->cbElements = ElementSize(vt);
  switch (vt) {
    case VT_DISPATCH:
      array->fFeatures = FADF_HAVEIID | FADF_DISPATCH;
      *HiddenIid(array) = IID_IDispatch;
      break;
    case VT_UNKNOWN:
      array->fFeatures = FADF_HAVEIID | FADF_UNKNOWN;
      *HiddenIid(array) = IID_IUnknown;
      break;
    default:
      array->fFeatures = FADF_HAVEVARTYPE;
      *HiddenVartype(array) = vt;
      if (vt == VT_BSTR) array->fFeatures |= FADF_BSTR;
      if (vt == VT_VARIANT) array->fFeatures |= FADF_VARIANT;
      break;
  }
}

// Element count over every dimension; false when it does not fit memory.
bool ElementCount(const SAFEARRAY* array, size_t& count) {
  count = 1;
  for (USHORT d = 0; d < array->cDims; ++d) {
    const size_t n = array->rgsabound[d].cElements;
    if (n != 0 && count > SIZE_MAX / n) return false;
    count *= n;
  }
  return count == 0 || array->cbElements == 0 || count <= SIZE_MAX / array->cbElements;
}

HRESULT AllocateData(SAFEARRAY* array) {
  size_t count = 0;
  if (!ElementCount(array, count)) return E_OUTOFMEMORY;
  array->pvData = std::calloc(count ? count : 1, array->cbElements);
  return array->pvData ? S_OK : E_OUTOFMEMORY;
}

// The bound of dimension `dim`, counted from 1 as the callers count it.
SAFEARRAYBOUND& Bound(SAFEARRAY* array, UINT dim) { return array->rgsabound[array->cDims - dim]; }

HRESULT CellAddress(SAFEARRAY* array, const LONG* indices, void** cell) {
  size_t offset = 0;
  size_t stride = 1;
  for (UINT dim = 1; dim <= array->cDims; ++dim) {
    const SAFEARRAYBOUND& bound = Bound(array, dim);
    const LONG index = indices[dim - 1];
    if (index < bound.lLbound || index - static_cast<LONGLONG>(bound.lLbound) >= bound.cElements)
      return DISP_E_BADINDEX;
    offset += static_cast<size_t>(index - bound.lLbound) * stride;
    stride *= bound.cElements;
  }
  *cell = static_cast<BYTE*>(array->pvData) + offset * array->cbElements;
  return S_OK;
}

BSTR CopyBstr(BSTR text) {
  return SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
}

void ReleaseElement(const SAFEARRAY* array, void* cell) {
  if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    if (IUnknown* unknown = *static_cast<IUnknown**>(cell)) unknown->Release();
  } else if (array->fFeatures & FADF_BSTR) {
    SysFreeString(*static_cast<BSTR*>(cell));
  } else if (array->fFeatures & FADF_VARIANT) {
    VariantClear(static_cast<VARIANT*>(cell));
  }
}

void ReleaseElements(SAFEARRAY* array) {
  size_t count = 0;
  if (!array->pvData || !(array->fFeatures & kOwnsElements) || !ElementCount(array, count)) return;
  for (size_t i = 0; i < count; ++i) ReleaseElement(array, static_cast<BYTE*>(array->pvData) + i * array->cbElements);
}

// Copies one element out of its cell into fresh storage owned by the receiver.
HRESULT CopyOut(const SAFEARRAY* array, const void* cell, void* target) {
  if (array->fFeatures & FADF_VARIANT) {
    VariantInit(static_cast<VARIANT*>(target));
    return VariantCopy(static_cast<VARIANT*>(target), static_cast<const VARIANT*>(cell));
  }
  if (array->fFeatures & FADF_BSTR) {
    const BSTR source = *static_cast<const BSTR*>(cell);
    *static_cast<BSTR*>(target) = source ? CopyBstr(source) : nullptr;
    return (source && !*static_cast<BSTR*>(target)) ? E_OUTOFMEMORY : S_OK;
  }
  if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* unknown = *static_cast<IUnknown* const*>(cell);
    if (unknown) unknown->AddRef();
    *static_cast<IUnknown**>(target) = unknown;
    return S_OK;
  }
  std::memcpy(target, cell, array->cbElements);
  return S_OK;
}

// Stores a value into a cell, replacing (and releasing) what the cell held. A
// BSTR or interface arrives as the value itself, anything else by address.
HRESULT CopyIn(const SAFEARRAY* array, void* cell, void* value) {
  if (array->fFeatures & FADF_VARIANT) return VariantCopy(static_cast<VARIANT*>(cell), static_cast<VARIANT*>(value));
  if (array->fFeatures & FADF_BSTR) {
    const BSTR copy = CopyBstr(static_cast<BSTR>(value));
    if (!copy) return E_OUTOFMEMORY;
    SysFreeString(*static_cast<BSTR*>(cell));
    *static_cast<BSTR*>(cell) = copy;
    return S_OK;
  }
  if (array->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    auto* unknown = static_cast<IUnknown*>(value);
    if (unknown) unknown->AddRef();
    IUnknown*& held = *static_cast<IUnknown**>(cell);
    if (held) held->Release();
    held = unknown;
    return S_OK;
  }
  std::memcpy(cell, value, array->cbElements);
  return S_OK;
}

HRESULT CopyData(SAFEARRAY* source, SAFEARRAY* target) {
  size_t count = 0;
  if (!ElementCount(source, count)) return E_OUTOFMEMORY;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = i * source->cbElements;
    const HRESULT hr = CopyOut(source, static_cast<BYTE*>(source->pvData) + at, static_cast<BYTE*>(target->pvData) + at);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

template <typename Access>
HRESULT WithLock(SAFEARRAY* array, Access access) {
  HRESULT hr = SafeArrayLock(array);
  if (FAILED(hr)) return hr;
  hr = access();
  SafeArrayUnlock(array);
  return hr;
}

}  // namespace

extern "C" SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds) {
  if (!bounds || dims == 0 || dims > 0xFFFF || ElementSize(vt) == 0) return nullptr;
  WINAPI_ALLOCATION_POINT(nullptr);
  SAFEARRAY* array = AllocateDescriptor(dims);
  if (!array) return nullptr;
  SetElementType(array, vt);
  for (UINT i = 0; i < dims; ++i) array->rgsabound[dims - 1 - i] = bounds[i];
  if (FAILED(AllocateData(array))) {
    FreeDescriptor(array);
    return nullptr;
  }
  return array;
}

extern "C" SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  WINAPI_ALLOCATION_POINT(nullptr);
  SAFEARRAYBOUND bound = {elements, lowerBound};
  return SafeArrayCreate(vt, 1, &bound);
}

extern "C" HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  ReleaseElements(array);
  if (!(array->fFeatures & (FADF_STATIC | FADF_EMBEDDED | FADF_AUTO))) std::free(array->pvData);
  FreeDescriptor(array);
  return S_OK;
}

extern "C" HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy) {
  if (!copy) return E_INVALIDARG;
  *copy = nullptr;
  if (!source) return S_OK;
  if (source->cbElements == 0) return E_INVALIDARG;
  WINAPI_ALLOCATION_POINT(E_OUTOFMEMORY);
  SAFEARRAY* target = AllocateDescriptor(source->cDims);
  if (!target) return E_OUTOFMEMORY;
  std::memcpy(HiddenBytes(target), HiddenBytes(source), kHiddenBytes);
  target->fFeatures = source->fFeatures & kCopiedFeatures;
  target->cbElements = source->cbElements;
  std::memcpy(target->rgsabound, source->rgsabound, source->cDims * sizeof(SAFEARRAYBOUND));
  HRESULT hr = AllocateData(target);
  if (SUCCEEDED(hr)) hr = CopyData(source, target);
  if (FAILED(hr)) {
    SafeArrayDestroy(target);
    return hr;
  }
  *copy = target;
  return S_OK;
}

extern "C" UINT SafeArrayGetDim(SAFEARRAY* array) { return array ? array->cDims : 0; }

extern "C" UINT SafeArrayGetElemsize(SAFEARRAY* array) { return array ? array->cbElements : 0; }

extern "C" HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (!array || !vt) return E_INVALIDARG;
  if ((array->fFeatures & (FADF_HAVEIID | FADF_DISPATCH)) == (FADF_HAVEIID | FADF_DISPATCH)) {
    *vt = VT_DISPATCH;
  } else if (array->fFeatures & FADF_HAVEIID) {
    *vt = VT_UNKNOWN;
  } else if (array->fFeatures & FADF_HAVEVARTYPE) {
    *vt = static_cast<VARTYPE>(*HiddenVartype(array));
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

extern "C" HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound) {
  if (!array || !lowerBound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  *lowerBound = Bound(array, dim).lLbound;
  return S_OK;
}

extern "C" HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound) {
  if (!array || !upperBound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = Bound(array, dim);
  *upperBound = static_cast<LONG>(bound.lLbound + static_cast<LONGLONG>(bound.cElements) - 1);
  return S_OK;
}

extern "C" HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (!array || !indices || !value) return E_INVALIDARG;
  return WithLock(array, [&] {
    void* cell = nullptr;
    const HRESULT hr = CellAddress(array, indices, &cell);
    return FAILED(hr) ? hr : CopyOut(array, cell, value);
  });
}

extern "C" HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (!array || !indices) return E_INVALIDARG;
  // Only a BSTR or interface may be given as null; every other value by address.
  if (!value && !(array->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH))) return E_INVALIDARG;
  return WithLock(array, [&] {
    void* cell = nullptr;
    const HRESULT hr = CellAddress(array, indices, &cell);
    return FAILED(hr) ? hr : CopyIn(array, cell, value);
  });
}

extern "C" HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (__atomic_add_fetch(&array->cLocks, 1, __ATOMIC_ACQ_REL) > kMaxLocks) {
    __atomic_sub_fetch(&array->cLocks, 1, __ATOMIC_ACQ_REL);
    return E_UNEXPECTED;
  }
  return S_OK;
}

extern "C" HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  ULONG locks = __atomic_load_n(&array->cLocks, __ATOMIC_ACQUIRE);
  do {
    if (locks == 0) return E_UNEXPECTED;
  } while (!__atomic_compare_exchange_n(&array->cLocks, &locks, locks - 1, false, __ATOMIC_ACQ_REL,
                                        __ATOMIC_ACQUIRE));
  return S_OK;
}

extern "C" HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (!array || !data) return E_INVALIDARG;
  *data = nullptr;
  const HRESULT hr = SafeArrayLock(array);
  if (SUCCEEDED(hr)) *data = array->pvData;
  return hr;
}

extern "C" HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }
