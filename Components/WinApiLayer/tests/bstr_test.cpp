#include <windows.h>
#include <oleauto.h>
#include <unique_bstr.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <type_traits>

namespace {

// A BSTR handed out by a callee must be adopted, never copied by accident.
static_assert(!std::is_constructible_v<UniqueBstr, BSTR>, "a BSTR must go through UniqueBstr::Adopt");
static_assert(std::is_constructible_v<UniqueBstr, const WCHAR*>);
static_assert(std::is_constructible_v<UniqueBstr, const WString&>);
static_assert(!std::is_convertible_v<const WCHAR*, UniqueBstr>, "copying text is said out loud");

DWORD PrefixOf(BSTR text) {
  DWORD prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const BYTE*>(text) - sizeof(DWORD), sizeof(prefix));
  return prefix;
}

TEST(Bstr, LengthPrefixCountsBytesAndTextIsTerminated) {
  struct Case {
    const WCHAR* text;
    UINT length;
  };
  const Case cases[] = {{W(""), 0}, {W("a"), 1}, {W("WMDM10 Plugin"), 13}, {W("\x00e9t\x00e9"), 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(wide::FromPtr(c.text)));
    BSTR text = SysAllocString(c.text);
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(c.length, SysStringLen(text));
    EXPECT_EQ(c.length * sizeof(WCHAR), SysStringByteLen(text));
    EXPECT_EQ(c.length * sizeof(WCHAR), PrefixOf(text));
    EXPECT_EQ(0, text[c.length]);
    EXPECT_EQ(WString(c.text), WString(text));
    SysFreeString(text);
  }
}

TEST(Bstr, NullInputs) {
  EXPECT_EQ(nullptr, SysAllocString(nullptr));
  EXPECT_EQ(0u, SysStringLen(nullptr));
  EXPECT_EQ(0u, SysStringByteLen(nullptr));
  SysFreeString(nullptr);
}

TEST(Bstr, AllocStringLenKeepsEmbeddedNullsAndStopsAtTheLength) {
  const WCHAR text[] = W("ab\0cdef");
  BSTR copy = SysAllocStringLen(text, 5);
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(5u, SysStringLen(copy));
  EXPECT_EQ(WString(text, 5), WString(copy, 5));
  EXPECT_EQ(0, copy[5]);
  SysFreeString(copy);
}

TEST(Bstr, AllocStringLenWithoutTextGivesRoomToFill) {
  BSTR room = SysAllocStringLen(nullptr, 4);
  ASSERT_NE(nullptr, room);
  EXPECT_EQ(4u, SysStringLen(room));
  EXPECT_EQ(0, room[4]);
  for (int i = 0; i < 4; ++i) room[i] = W('x');
  EXPECT_EQ(WString(W("xxxx")), WString(room));
  SysFreeString(room);
}

TEST(Bstr, ByteLenKeepsAnOddByteCount) {
  BSTR bytes = SysAllocStringByteLen("abc", 3);
  ASSERT_NE(nullptr, bytes);
  EXPECT_EQ(3u, SysStringByteLen(bytes));
  EXPECT_EQ(1u, SysStringLen(bytes));
  EXPECT_EQ(0, std::memcmp(bytes, "abc", 3));
  EXPECT_EQ(0, reinterpret_cast<const char*>(bytes)[3]);
  SysFreeString(bytes);
}

TEST(Bstr, SizesThatOverflowThePrefixAreRefused) {
  EXPECT_EQ(nullptr, SysAllocStringLen(nullptr, UINT_MAX));
  EXPECT_EQ(nullptr, SysAllocStringLen(nullptr, UINT_MAX / 2));
  EXPECT_EQ(nullptr, SysAllocStringByteLen(nullptr, UINT_MAX));
}

TEST(Bstr, ReAllocReplacesTheText) {
  BSTR text = SysAllocString(W("short"));
  ASSERT_TRUE(SysReAllocString(&text, W("a longer text")));
  EXPECT_EQ(13u, SysStringLen(text));
  EXPECT_EQ(WString(W("a longer text")), WString(text));
  // From its own characters.
  ASSERT_TRUE(SysReAllocString(&text, text + 2));
  EXPECT_EQ(WString(W("longer text")), WString(text));
  SysFreeString(text);
}

}  // namespace

TEST(UniqueBstrTest, AdoptKeepsTheStringAndCopiesAreTheirOwn) {
  BSTR handedOut = SysAllocString(W("track"));
  ASSERT_NE(nullptr, handedOut);
  const UniqueBstr adopted = UniqueBstr::Adopt(handedOut);
  EXPECT_EQ(handedOut, adopted.Get());  // freed by the owner: the leak check sees a double free or a leak
  const UniqueBstr copied(static_cast<const WCHAR*>(adopted.Get()));
  EXPECT_NE(adopted.Get(), copied.Get());
  EXPECT_EQ(adopted.ToString(), copied.ToString());
  EXPECT_FALSE(UniqueBstr::Adopt(nullptr));
}
