// Resizing a BSTR to a given length of other text.
#include <oleauto.h>
#include <wide_text.h>

#include <gtest/gtest.h>

namespace {

TEST(BstrReAllocLen, TakesExactlyTheGivenCharacters) {
  struct Case {
    const WCHAR* before;  // null: no string yet
    const WCHAR* text;
    UINT length;
    const WCHAR* after;
  };
  const Case cases[] = {
      {W("short"), W("a longer text"), 13, W("a longer text")},
      {W("a longer text"), W("tiny"), 4, W("tiny")},
      {W("same!"), W("equal"), 5, W("equal")},
      {nullptr, W("fresh"), 5, W("fresh")},
      {W("cut here"), W("cut there"), 3, W("cut")},
      {W("gone"), W(""), 0, W("")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(c.after, wide::Length(c.after)));
    BSTR text = c.before ? SysAllocString(c.before) : nullptr;
    ASSERT_TRUE(SysReAllocStringLen(&text, c.text, c.length));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(c.length, SysStringLen(text));
    EXPECT_EQ(WString(c.after), WString(text, SysStringLen(text)));
    EXPECT_EQ(0, text[c.length]) << "terminated";
    SysFreeString(text);
  }
}

}  // namespace
