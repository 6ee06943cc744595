#include <windows.h>
#include <oleauto.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <utility>

#include "counting_object.h"

namespace {

// Owns the array for the test's length.
struct ArrayHolder {
  explicit ArrayHolder(SAFEARRAY* created) : array(created) {}
  ~ArrayHolder() { EXPECT_EQ(S_OK, SafeArrayDestroy(array)); }
  SAFEARRAY* array;
};

// Lower and upper bound of a dimension, each answered S_OK.
std::pair<LONG, LONG> Bounds(SAFEARRAY* array, UINT dimension) {
  LONG lower = 99, upper = 99;
  EXPECT_EQ(S_OK, SafeArrayGetLBound(array, dimension, &lower));
  EXPECT_EQ(S_OK, SafeArrayGetUBound(array, dimension, &upper));
  return {lower, upper};
}

VARTYPE TypeOf(SAFEARRAY* array) {
  VARTYPE vt = VT_EMPTY;
  EXPECT_EQ(S_OK, SafeArrayGetVartype(array, &vt));
  return vt;
}

TEST(SafeArray, TypeSizeAndFeatures) {
  const struct {
    VARTYPE vt;
    UINT elementSize;
    USHORT features;  // among FADF_BSTR, FADF_UNKNOWN, FADF_DISPATCH, FADF_VARIANT, FADF_HAVEIID, FADF_HAVEVARTYPE
  } cases[] = {
      {VT_UI1, 1, FADF_HAVEVARTYPE},
      {VT_I2, 2, FADF_HAVEVARTYPE},
      {VT_BOOL, 2, FADF_HAVEVARTYPE},
      {VT_I4, 4, FADF_HAVEVARTYPE},
      {VT_UI4, 4, FADF_HAVEVARTYPE},
      {VT_R8, 8, FADF_HAVEVARTYPE},
      {VT_BSTR, sizeof(BSTR), FADF_HAVEVARTYPE | FADF_BSTR},
      {VT_VARIANT, sizeof(VARIANT), FADF_HAVEVARTYPE | FADF_VARIANT},
      {VT_UNKNOWN, sizeof(IUnknown*), FADF_HAVEIID | FADF_UNKNOWN},
      {VT_DISPATCH, sizeof(IDispatch*), FADF_HAVEIID | FADF_DISPATCH},
  };
  const USHORT observed = FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT | FADF_HAVEIID | FADF_HAVEVARTYPE;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vt);
    ArrayHolder holder(SafeArrayCreateVector(c.vt, 0, 2));
    ASSERT_NE(nullptr, holder.array);
    EXPECT_EQ(1u, SafeArrayGetDim(holder.array));
    EXPECT_EQ(c.elementSize, SafeArrayGetElemsize(holder.array));
    EXPECT_EQ(c.features, holder.array->fFeatures & observed);
    EXPECT_EQ(c.vt, TypeOf(holder.array));
  }
}

TEST(SafeArray, BoundsOfAVector) {
  const struct {
    LONG lower;
    ULONG count;
    LONG upper;
  } cases[] = {{0, 3, 2}, {1, 3, 3}, {-2, 5, 2}, {0, 0, -1}, {5, 1, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lower << " + " << c.count);
    ArrayHolder holder(SafeArrayCreateVector(VT_I4, c.lower, c.count));
    ASSERT_NE(nullptr, holder.array);
    EXPECT_EQ(std::make_pair(c.lower, c.upper), Bounds(holder.array, 1));
  }
}

TEST(SafeArray, DimensionsCountFromOneInTheOrderGiven) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 10}};
  ArrayHolder holder(SafeArrayCreate(VT_I4, 2, bounds));
  ASSERT_NE(nullptr, holder.array);
  EXPECT_EQ((std::make_pair<LONG, LONG>(1, 2)), Bounds(holder.array, 1));
  EXPECT_EQ((std::make_pair<LONG, LONG>(10, 12)), Bounds(holder.array, 2));
  LONG value = 0;
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetLBound(holder.array, 0, &value));
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetUBound(holder.array, 3, &value));
  // The first index varies fastest in the data.
  LONG indices[2] = {2, 11};
  LONG stored = 77;
  ASSERT_EQ(S_OK, SafeArrayPutElement(holder.array, indices, &stored));
  LONG* data = nullptr;
  ASSERT_EQ(S_OK, SafeArrayAccessData(holder.array, reinterpret_cast<void**>(&data)));
  EXPECT_EQ(77, data[(2 - 1) + (11 - 10) * 2]);
  EXPECT_EQ(S_OK, SafeArrayUnaccessData(holder.array));
}

TEST(SafeArray, IndicesOutsideTheBoundsAreRefused) {
  ArrayHolder holder(SafeArrayCreateVector(VT_I4, 1, 3));
  const LONG outside[] = {0, 4, -1, 0x7FFFFFFF};
  for (LONG index : outside) {
    SCOPED_TRACE(index);
    LONG value = 5;
    EXPECT_EQ(DISP_E_BADINDEX, SafeArrayPutElement(holder.array, &index, &value));
    EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetElement(holder.array, &index, &value));
  }
  EXPECT_EQ(0u, holder.array->cLocks);  // the failed accesses left no lock behind
}

// Text goes in and comes out as copies of its own; a null BSTR is stored as
// an empty text, a cell never written reads back as null.
TEST(SafeArray, TextElementsAreCopiedInAndOut) {
  ArrayHolder holder(SafeArrayCreateVector(VT_BSTR, 0, 3));
  BSTR text = SysAllocString(W("first"));
  LONG index = 0;
  ASSERT_EQ(S_OK, SafeArrayPutElement(holder.array, &index, text));
  ASSERT_EQ(S_OK, SafeArrayPutElement(holder.array, &index, text));  // replaces (and frees) the earlier copy
  BSTR out = nullptr;
  ASSERT_EQ(S_OK, SafeArrayGetElement(holder.array, &index, &out));
  EXPECT_NE(text, out);
  EXPECT_EQ(WString(W("first")), WString(out));
  SysFreeString(out);
  SysFreeString(text);
  index = 1;
  ASSERT_EQ(S_OK, SafeArrayPutElement(holder.array, &index, nullptr));
  const BSTR stored = static_cast<BSTR*>(holder.array->pvData)[1];
  ASSERT_NE(nullptr, stored);
  EXPECT_EQ(0u, SysStringLen(stored));
  index = 2;
  out = SysAllocString(W("overwritten"));
  const BSTR before = out;
  ASSERT_EQ(S_OK, SafeArrayGetElement(holder.array, &index, &out));
  EXPECT_EQ(nullptr, out);
  SysFreeString(before);

  ArrayHolder variants(SafeArrayCreateVector(VT_VARIANT, 0, 1));
  VARIANT in;
  VariantInit(&in);
  in.vt = VT_BSTR;
  in.bstrVal = SysAllocString(W("inside"));
  index = 0;
  ASSERT_EQ(S_OK, SafeArrayPutElement(variants.array, &index, &in));
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(S_OK, SafeArrayGetElement(variants.array, &index, &copy));
  EXPECT_NE(in.bstrVal, copy.bstrVal);
  EXPECT_EQ(WString(W("inside")), WString(copy.bstrVal));
  VariantClear(&copy);
  VariantClear(&in);
}

TEST(SafeArray, InterfaceElementsAreCountedAndReleasedOnDestroy) {
  CountingObject* object = CountingObject::Create();
  {
    ArrayHolder holder(SafeArrayCreateVector(VT_UNKNOWN, 0, 2));
    for (LONG index = 0; index < 2; ++index) ASSERT_EQ(S_OK, SafeArrayPutElement(holder.array, &index, object));
    EXPECT_EQ(3u, object->References());
    IUnknown* out = nullptr;
    LONG index = 1;
    ASSERT_EQ(S_OK, SafeArrayGetElement(holder.array, &index, &out));
    EXPECT_EQ(object, out);
    EXPECT_EQ(4u, object->References());
    out->Release();
    // Putting null releases the one held.
    ASSERT_EQ(S_OK, SafeArrayPutElement(holder.array, &index, nullptr));
    EXPECT_EQ(2u, object->References());
  }
  EXPECT_EQ(1u, object->References());
  object->Release();
}

TEST(SafeArray, LockingRules) {
  ArrayHolder holder(SafeArrayCreateVector(VT_I4, 0, 1));
  EXPECT_EQ(E_UNEXPECTED, SafeArrayUnlock(holder.array));
  EXPECT_EQ(E_UNEXPECTED, SafeArrayUnaccessData(holder.array));
  void* data = nullptr;
  ASSERT_EQ(S_OK, SafeArrayAccessData(holder.array, &data));
  EXPECT_EQ(holder.array->pvData, data);
  ASSERT_EQ(S_OK, SafeArrayLock(holder.array));
  EXPECT_EQ(2u, holder.array->cLocks);
  EXPECT_EQ(DISP_E_ARRAYISLOCKED, SafeArrayDestroy(holder.array));
  EXPECT_EQ(S_OK, SafeArrayUnlock(holder.array));
  EXPECT_EQ(DISP_E_ARRAYISLOCKED, SafeArrayDestroy(holder.array));
  EXPECT_EQ(S_OK, SafeArrayUnaccessData(holder.array));
  EXPECT_EQ(0u, holder.array->cLocks);
}

TEST(SafeArray, NullArgumentsAreInvalid) {
  LONG index = 0, value = 0;
  void* data = nullptr;
  VARTYPE vt;
  EXPECT_EQ(E_INVALIDARG, SafeArrayGetLBound(nullptr, 1, &value));
  EXPECT_EQ(E_INVALIDARG, SafeArrayGetUBound(nullptr, 1, &value));
  EXPECT_EQ(E_INVALIDARG, SafeArrayGetElement(nullptr, &index, &value));
  EXPECT_EQ(E_INVALIDARG, SafeArrayPutElement(nullptr, &index, &value));
  EXPECT_EQ(E_INVALIDARG, SafeArrayAccessData(nullptr, &data));
  EXPECT_EQ(E_INVALIDARG, SafeArrayLock(nullptr));
  EXPECT_EQ(E_INVALIDARG, SafeArrayUnlock(nullptr));
  EXPECT_EQ(E_INVALIDARG, SafeArrayGetVartype(nullptr, &vt));
  EXPECT_EQ(S_OK, SafeArrayDestroy(nullptr));
  EXPECT_EQ(0u, SafeArrayGetDim(nullptr));
  EXPECT_EQ(nullptr, SafeArrayCreate(VT_I4, 0, nullptr));
}

TEST(SafeArray, CopyIsDeepAndKeepsTheType) {
  ArrayHolder source(SafeArrayCreateVector(VT_BSTR, 3, 1));
  BSTR text = SysAllocString(W("kept"));
  LONG index = 3;
  ASSERT_EQ(S_OK, SafeArrayPutElement(source.array, &index, text));
  SysFreeString(text);
  SAFEARRAY* copied = nullptr;
  ASSERT_EQ(S_OK, SafeArrayCopy(source.array, &copied));
  ArrayHolder copy(copied);
  EXPECT_EQ(VT_BSTR, TypeOf(copy.array));
  EXPECT_EQ((std::make_pair<LONG, LONG>(3, 3)), Bounds(copy.array, 1));
  EXPECT_NE(static_cast<BSTR*>(source.array->pvData)[0], static_cast<BSTR*>(copy.array->pvData)[0]);
  EXPECT_EQ(WString(W("kept")), WString(static_cast<BSTR*>(copy.array->pvData)[0]));
}

}  // namespace
