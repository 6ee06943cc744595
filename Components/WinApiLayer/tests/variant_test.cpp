#include <windows.h>
#include <oleauto.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include "counting_object.h"

namespace {

VARIANT Of(VARTYPE vt) {
  VARIANT value;
  VariantInit(&value);
  value.vt = vt;
  return value;
}

TEST(Variant, InitMakesEmpty) {
  VARIANT value;
  value.vt = VT_I4;
  VariantInit(&value);
  EXPECT_EQ(VT_EMPTY, value.vt);
}

// A null BSTR is copied as an empty string of its own.
TEST(Variant, CopyDuplicatesTheBstr) {
  for (const WCHAR* text : {W("text"), static_cast<const WCHAR*>(nullptr)}) {
    VARIANT source = Of(VT_BSTR);
    source.bstrVal = text ? SysAllocString(text) : nullptr;
    VARIANT copy = Of(VT_EMPTY);
    ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
    EXPECT_EQ(VT_BSTR, copy.vt);
    ASSERT_NE(nullptr, copy.bstrVal);
    EXPECT_NE(source.bstrVal, copy.bstrVal);
    EXPECT_EQ(S_OK, VariantClear(&source));
    EXPECT_EQ(VT_EMPTY, source.vt);
    EXPECT_EQ(WString(text ? text : W("")), WString(copy.bstrVal, SysStringLen(copy.bstrVal)));
    EXPECT_EQ(S_OK, VariantClear(&copy));
  }
}

TEST(Variant, CopyAddRefsAnInterfaceAndClearReleasesIt) {
  CountingObject* object = CountingObject::Create();
  ASSERT_NE(nullptr, object);
  for (VARTYPE vt : {VT_UNKNOWN, VT_DISPATCH}) {
    SCOPED_TRACE(vt);
    VARIANT source = Of(vt);
    source.punkVal = object;
    object->AddRef();
    VARIANT copy = Of(VT_EMPTY);
    ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
    EXPECT_EQ(object, copy.punkVal);
    EXPECT_EQ(3u, object->References());
    EXPECT_EQ(S_OK, VariantClear(&copy));
    EXPECT_EQ(S_OK, VariantClear(&source));
    EXPECT_EQ(1u, object->References());
  }
  object->Release();
}

TEST(Variant, ByReferenceCopiesThePointerAndClearFreesNothing) {
  BSTR owned = SysAllocString(W("owned elsewhere"));
  VARIANT source = Of(VT_BSTR | VT_BYREF);
  source.pbstrVal = &owned;
  VARIANT copy = Of(VT_EMPTY);
  ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
  EXPECT_EQ(&owned, copy.pbstrVal);
  EXPECT_EQ(S_OK, VariantClear(&copy));
  EXPECT_EQ(VT_EMPTY, copy.vt);
  EXPECT_EQ(S_OK, VariantClear(&source));
  EXPECT_EQ(WString(W("owned elsewhere")), WString(owned));
  SysFreeString(owned);
}

TEST(Variant, CopyOfAnArrayIsDeep) {
  VARIANT source = Of(VT_ARRAY | VT_BSTR);
  source.parray = SafeArrayCreateVector(VT_BSTR, 0, 1);
  LONG index = 0;
  BSTR element = SysAllocString(W("entry"));
  ASSERT_EQ(S_OK, SafeArrayPutElement(source.parray, &index, element));
  SysFreeString(element);
  VARIANT copy = Of(VT_EMPTY);
  ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
  ASSERT_NE(source.parray, copy.parray);
  const BSTR original = static_cast<BSTR*>(source.parray->pvData)[0];
  const BSTR copied = static_cast<BSTR*>(copy.parray->pvData)[0];
  EXPECT_NE(original, copied);
  EXPECT_EQ(WString(W("entry")), WString(copied));
  EXPECT_EQ(S_OK, VariantClear(&copy));
  EXPECT_EQ(S_OK, VariantClear(&source));
}

TEST(Variant, TypesAVariantCannotHoldAreRefused) {
  const VARTYPE invalid[] = {15, VT_VECTOR | VT_I4, VT_LPWSTR, VT_BLOB, VT_BYREF | VT_EMPTY, VT_ARRAY | VT_NULL, 0x7FF};
  for (VARTYPE vt : invalid) {
    SCOPED_TRACE(vt);
    VARIANT value = Of(vt);
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&value));
    EXPECT_EQ(vt, value.vt);  // left as it was
    VARIANT copy = Of(VT_EMPTY);
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantCopy(&copy, &value));
    EXPECT_EQ(VT_EMPTY, copy.vt);
  }
}

TEST(Variant, ClearOfPlainValuesJustEmpties) {
  for (VARTYPE vt : {VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R8, VT_BOOL, VT_UI4, VT_I8, VT_DATE, VT_ERROR}) {
    SCOPED_TRACE(vt);
    VARIANT value = Of(vt);
    value.llVal = 7;
    EXPECT_EQ(S_OK, VariantClear(&value));
    EXPECT_EQ(VT_EMPTY, value.vt);
  }
}

TEST(Variant, CopyClearsWhatTheTargetHeld) {
  VARIANT target = Of(VT_UNKNOWN);
  target.punkVal = CountingObject::Create();  // the variant's reference
  VARIANT source = Of(VT_I4);
  source.lVal = 42;
  const long before = CountingObject::Alive();
  ASSERT_EQ(S_OK, VariantCopy(&target, &source));
  EXPECT_EQ(before - 1, CountingObject::Alive());
  EXPECT_EQ(VT_I4, target.vt);
  EXPECT_EQ(42, target.lVal);
}

}  // namespace
