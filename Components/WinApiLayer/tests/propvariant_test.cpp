#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <propidl.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <cstring>

#include "counting_object.h"

namespace {

template <typename T>
T* TaskCopy(const T* value, size_t count) {
  auto* copy = static_cast<T*>(CoTaskMemAlloc(sizeof(T) * count));
  std::memcpy(copy, value, sizeof(T) * count);
  return copy;
}

// Each owning kind is freed by PropVariantClear (the leak checkers of the
// sanitizer lane see what is not) and the value comes back empty.
TEST(PropVariant, ClearFreesWhatEachTypeOwns) {
  struct Case {
    const char* name;
    void (*fill)(PROPVARIANT&);
  };
  const Case cases[] = {
      {"VT_BSTR", [](PROPVARIANT& v) { v.vt = VT_BSTR; v.bstrVal = SysAllocString(W("b")); }},
      {"VT_LPWSTR", [](PROPVARIANT& v) { v.vt = VT_LPWSTR; v.pwszVal = TaskCopy(W("wide"), 5); }},
      {"VT_LPSTR", [](PROPVARIANT& v) { v.vt = VT_LPSTR; v.pszVal = TaskCopy("abc", 4); }},
      {"VT_CLSID", [](PROPVARIANT& v) { v.vt = VT_CLSID; v.puuid = TaskCopy(&IID_IUnknown, 1); }},
      {"VT_BLOB", [](PROPVARIANT& v) {
         v.vt = VT_BLOB;
         v.blob.cbSize = 4;
         v.blob.pBlobData = static_cast<BYTE*>(CoTaskMemAlloc(4));
       }},
      {"VT_ARRAY|VT_UI1", [](PROPVARIANT& v) { v.vt = VT_ARRAY | VT_UI1; v.parray = SafeArrayCreateVector(VT_UI1, 0, 8); }},
      {"VT_VECTOR|VT_UI4", [](PROPVARIANT& v) {
         v.vt = VT_VECTOR | VT_UI4;
         v.caul.cElems = 2;
         v.caul.pElems = static_cast<ULONG*>(CoTaskMemAlloc(2 * sizeof(ULONG)));
       }},
      {"VT_UI4", [](PROPVARIANT& v) { v.vt = VT_UI4; v.ulVal = 5; }},
      {"VT_EMPTY", [](PROPVARIANT& v) { v.vt = VT_EMPTY; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PROPVARIANT value;
    PropVariantInit(&value);
    c.fill(value);
    EXPECT_EQ(S_OK, PropVariantClear(&value));
    EXPECT_EQ(VT_EMPTY, value.vt);
  }
}

TEST(PropVariant, InitEmptiesAndClearReleasesAnInterface) {
  PROPVARIANT value;
  std::memset(&value, 0xAB, sizeof(value));
  PropVariantInit(&value);
  EXPECT_EQ(VT_EMPTY, value.vt);
  CountingObject* object = CountingObject::Create();
  object->AddRef();
  value.vt = VT_UNKNOWN;
  value.punkVal = object;
  EXPECT_EQ(S_OK, PropVariantClear(&value));
  EXPECT_EQ(1u, object->References());
  object->Release();
}

}  // namespace
