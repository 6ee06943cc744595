#include <windows.h>
#include <oleauto.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include "counting_object.h"

namespace {

TEST(Variant, BooleanTrueIsAllBitsSet) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = VARIANT_TRUE;
  EXPECT_EQ(0xFFFF, static_cast<unsigned short>(value.boolVal));
  EXPECT_EQ(0, VARIANT_FALSE);
}

TEST(Variant, InitMakesEmpty) {
  VARIANT value;
  value.vt = VT_I4;
  VariantInit(&value);
  EXPECT_EQ(VT_EMPTY, value.vt);
}

TEST(Variant, CopyDuplicatesTheBstr) {
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(W("text"));
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
  EXPECT_EQ(VT_BSTR, copy.vt);
  EXPECT_NE(source.bstrVal, copy.bstrVal);
  EXPECT_EQ(WString(W("text")), WString(copy.bstrVal, SysStringLen(copy.bstrVal)));
  EXPECT_EQ(S_OK, VariantClear(&source));
  EXPECT_EQ(VT_EMPTY, source.vt);
  EXPECT_EQ(WString(W("text")), WString(copy.bstrVal));  // still the copy's own
  EXPECT_EQ(S_OK, VariantClear(&copy));
}

TEST(Variant, CopyOfANullBstrIsAnEmptyString) {
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = nullptr;
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
  EXPECT_EQ(VT_BSTR, copy.vt);
  ASSERT_NE(nullptr, copy.bstrVal);
  EXPECT_EQ(0u, SysStringLen(copy.bstrVal));
  EXPECT_EQ(S_OK, VariantClear(&copy));
}

TEST(Variant, CopyAddRefsAnInterfaceAndClearReleasesIt) {
  CountingObject* object = CountingObject::Create();
  ASSERT_NE(nullptr, object);
  const VARTYPE types[] = {VT_UNKNOWN, VT_DISPATCH};
  for (VARTYPE vt : types) {
    SCOPED_TRACE(vt);
    VARIANT source;
    VariantInit(&source);
    source.vt = vt;
    source.punkVal = object;
    object->AddRef();
    VARIANT copy;
    VariantInit(&copy);
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
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR | VT_BYREF;
  source.pbstrVal = &owned;
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
  EXPECT_EQ(&owned, copy.pbstrVal);
  EXPECT_EQ(S_OK, VariantClear(&copy));
  EXPECT_EQ(VT_EMPTY, copy.vt);
  EXPECT_EQ(S_OK, VariantClear(&source));
  EXPECT_EQ(WString(W("owned elsewhere")), WString(owned));  // untouched
  SysFreeString(owned);
}

TEST(Variant, CopyOfAnArrayIsDeep) {
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_BSTR;
  source.parray = SafeArrayCreateVector(VT_BSTR, 0, 1);
  LONG index = 0;
  BSTR element = SysAllocString(W("entry"));
  ASSERT_EQ(S_OK, SafeArrayPutElement(source.parray, &index, element));
  SysFreeString(element);
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(S_OK, VariantCopy(&copy, &source));
  ASSERT_NE(source.parray, copy.parray);
  BSTR* sourceData = nullptr;
  BSTR* copyData = nullptr;
  ASSERT_EQ(S_OK, SafeArrayAccessData(source.parray, reinterpret_cast<void**>(&sourceData)));
  ASSERT_EQ(S_OK, SafeArrayAccessData(copy.parray, reinterpret_cast<void**>(&copyData)));
  EXPECT_NE(sourceData[0], copyData[0]);
  EXPECT_EQ(WString(W("entry")), WString(copyData[0]));
  SafeArrayUnaccessData(copy.parray);
  SafeArrayUnaccessData(source.parray);
  EXPECT_EQ(S_OK, VariantClear(&copy));
  EXPECT_EQ(S_OK, VariantClear(&source));
}

TEST(Variant, TypesAVariantCannotHoldAreRefused) {
  const VARTYPE invalid[] = {15, VT_VECTOR | VT_I4, VT_LPWSTR, VT_BLOB, VT_BYREF | VT_EMPTY, VT_ARRAY | VT_NULL, 0x7FF};
  for (VARTYPE vt : invalid) {
    SCOPED_TRACE(vt);
    VARIANT value;
    VariantInit(&value);
    value.vt = vt;
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&value));
    EXPECT_EQ(vt, value.vt);  // left as it was
    VARIANT copy;
    VariantInit(&copy);
    EXPECT_EQ(DISP_E_BADVARTYPE, VariantCopy(&copy, &value));
    EXPECT_EQ(VT_EMPTY, copy.vt);
  }
}

TEST(Variant, ClearOfPlainValuesJustEmpties) {
  const VARTYPE plain[] = {VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R8, VT_BOOL, VT_UI4, VT_I8, VT_DATE, VT_ERROR};
  for (VARTYPE vt : plain) {
    SCOPED_TRACE(vt);
    VARIANT value;
    VariantInit(&value);
    value.vt = vt;
    value.llVal = 7;
    EXPECT_EQ(S_OK, VariantClear(&value));
    EXPECT_EQ(VT_EMPTY, value.vt);
  }
}

TEST(Variant, CopyClearsWhatTheTargetHeld) {
  CountingObject* object = CountingObject::Create();
  VARIANT target;
  VariantInit(&target);
  target.vt = VT_UNKNOWN;
  target.punkVal = object;  // the variant's reference
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_I4;
  source.lVal = 42;
  const long before = CountingObject::Alive();
  ASSERT_EQ(S_OK, VariantCopy(&target, &source));
  EXPECT_EQ(before - 1, CountingObject::Alive());
  EXPECT_EQ(VT_I4, target.vt);
  EXPECT_EQ(42, target.lVal);
}

}  // namespace
