#include <windows.h>
#include <objbase.h>
#include <wide_text.h>

#include <gtest/gtest.h>

namespace {

const GUID kSample = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
const WCHAR kSampleText[] = W("{0123ABCD-4567-89EF-FEDC-BA9876543210}");

TEST(GuidText, StringFromGUID2WritesBracedUpperCase) {
  WCHAR text[39] = {};
  EXPECT_EQ(39, StringFromGUID2(kSample, text, 39));
  EXPECT_EQ(WString(kSampleText), WString(text));
  EXPECT_EQ(0, StringFromGUID2(kSample, text, 38));
}

TEST(GuidText, StringFromCLSIDAllocatesWithTheTaskAllocator) {
  LPOLESTR text = nullptr;
  ASSERT_EQ(S_OK, StringFromCLSID(kSample, &text));
  EXPECT_EQ(WString(kSampleText), WString(text));
  CoTaskMemFree(text);
}

TEST(GuidText, CLSIDFromStringReadsEitherCase) {
  CLSID parsed{};
  ASSERT_EQ(S_OK, CLSIDFromString(W("{0123abcd-4567-89ef-fedc-ba9876543210}"), &parsed));
  EXPECT_TRUE(IsEqualGUID(kSample, parsed));
}

TEST(GuidText, CLSIDFromStringRefusesMalformedText) {
  const WCHAR* const cases[] = {
      W("0123ABCD-4567-89EF-FEDC-BA9876543210"),    // no braces
      W("{0123ABCD-4567-89EF-FEDC-BA987654321}"),   // one digit short
      W("{0123ABCD-4567-89EF-FEDCBA-9876543210}"),  // dash misplaced
      W("{0123ABCG-4567-89EF-FEDC-BA9876543210}"),  // not a hex digit
  };
  for (const WCHAR* text : cases) {
    SCOPED_TRACE(wide::ToUtf8(wide::FromPtr(text)));
    CLSID parsed{};
    EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(text, &parsed));
  }
}

}  // namespace
