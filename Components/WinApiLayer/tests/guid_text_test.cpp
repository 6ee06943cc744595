#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <wide_text.h>

#include <gtest/gtest.h>

namespace {

const GUID kSample = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
const WCHAR kSampleText[] = W("{0123ABCD-4567-89EF-FEDC-BA9876543210}");

TEST(GuidText, WrittenBracedUpperCaseIntoRoomEnoughOrTaskMemory) {
  WCHAR text[39] = {};
  EXPECT_EQ(39, StringFromGUID2(kSample, text, 39));
  EXPECT_EQ(WString(kSampleText), WString(text));
  EXPECT_EQ(0, StringFromGUID2(kSample, text, 38));
  LPOLESTR allocated = nullptr;
  ASSERT_EQ(S_OK, StringFromCLSID(kSample, &allocated));
  EXPECT_EQ(WString(kSampleText), WString(allocated));
  CoTaskMemFree(allocated);
}

TEST(GuidText, ReadInEitherCaseAndRefusedWhenMalformed) {
  const struct {
    const WCHAR* text;
    HRESULT hr;
  } cases[] = {
      {W("{0123abcd-4567-89ef-fedc-ba9876543210}"), S_OK},
      {W("0123ABCD-4567-89EF-FEDC-BA9876543210"), CO_E_CLASSSTRING},    // no braces
      {W("{0123ABCD-4567-89EF-FEDC-BA987654321}"), CO_E_CLASSSTRING},   // one digit short
      {W("{0123ABCD-4567-89EF-FEDCBA-9876543210}"), CO_E_CLASSSTRING},  // dash misplaced
      {W("{0123ABCG-4567-89EF-FEDC-BA9876543210}"), CO_E_CLASSSTRING},  // not a hex digit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(wide::FromPtr(c.text)));
    CLSID parsed{};
    EXPECT_EQ(c.hr, CLSIDFromString(c.text, &parsed));
    EXPECT_EQ(c.hr == S_OK, IsEqualGUID(kSample, parsed) != 0);
  }
}

// The interface ids have the platform's values (on Windows, those of its
// import libraries).
TEST(InterfaceIds, HaveThePlatformValues) {
  const struct {
    const IID* iid;
    const WCHAR* text;
  } cases[] = {
      {&IID_IUnknown, W("{00000000-0000-0000-C000-000000000046}")},
      {&IID_IClassFactory, W("{00000001-0000-0000-C000-000000000046}")},
      {&IID_IMarshal, W("{00000003-0000-0000-C000-000000000046}")},
      {&IID_IStream, W("{0000000C-0000-0000-C000-000000000046}")},
      {&IID_ISequentialStream, W("{0C733A30-2A1C-11CE-ADE5-00AA0044773D}")},
      {&IID_IDispatch, W("{00020400-0000-0000-C000-000000000046}")},
      {&IID_IConnectionPointContainer, W("{B196B284-BAB4-101A-B69C-00AA00341D07}")},
      {&IID_IEnumConnectionPoints, W("{B196B285-BAB4-101A-B69C-00AA00341D07}")},
      {&IID_IConnectionPoint, W("{B196B286-BAB4-101A-B69C-00AA00341D07}")},
      {&IID_IEnumConnections, W("{B196B287-BAB4-101A-B69C-00AA00341D07}")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(wide::FromPtr(c.text)));
    WCHAR text[39] = {};
    ASSERT_EQ(39, StringFromGUID2(*c.iid, text, 39));
    EXPECT_EQ(WString(c.text), WString(text));
  }
}

}  // namespace
