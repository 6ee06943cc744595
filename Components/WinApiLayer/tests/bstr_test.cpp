#include <windows.h>
#include <oleauto.h>
#include <unique_bstr.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>
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

std::string Bytes(const WCHAR* text, size_t length) {
  return std::string(reinterpret_cast<const char*>(text), length * sizeof(WCHAR));
}

// Every way to allocate: the prefix counts bytes, the text is the bytes
// asked for (embedded nulls kept) and ends in a terminator.
TEST(Bstr, LengthPrefixCountsBytesAndTextIsTerminated) {
  const WCHAR embedded[] = W("ab\0cdef");
  const struct {
    const char* what;
    BSTR text;
    UINT bytes;
    std::optional<std::string> content;  // its bytes; none for room not yet filled
  } cases[] = {
      {"empty", SysAllocString(W("")), 0, ""},
      {"one character", SysAllocString(W("a")), 2, Bytes(W("a"), 1)},
      {"a name", SysAllocString(W("WMDM10 Plugin")), 26, Bytes(W("WMDM10 Plugin"), 13)},
      {"accented", SysAllocString(W("\x00e9t\x00e9")), 6, Bytes(W("\x00e9t\x00e9"), 3)},
      {"an embedded null, cut at the length", SysAllocStringLen(embedded, 5), 10, Bytes(embedded, 5)},
      {"room to fill", SysAllocStringLen(nullptr, 4), 8, std::nullopt},
      {"an odd byte count", SysAllocStringByteLen("abc", 3), 3, "abc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NE(nullptr, c.text);
    EXPECT_EQ(c.bytes, SysStringByteLen(c.text));
    EXPECT_EQ(c.bytes / sizeof(WCHAR), SysStringLen(c.text));
    EXPECT_EQ(c.bytes, PrefixOf(c.text));
    EXPECT_EQ(0, reinterpret_cast<const char*>(c.text)[c.bytes]);
    if (c.content) {
      EXPECT_EQ(*c.content, std::string(reinterpret_cast<const char*>(c.text), c.bytes));
    }
    SysFreeString(c.text);
  }
}

TEST(Bstr, NullInputsAndSizesThatOverflowThePrefix) {
  EXPECT_EQ(nullptr, SysAllocString(nullptr));
  EXPECT_EQ(0u, SysStringLen(nullptr));
  EXPECT_EQ(0u, SysStringByteLen(nullptr));
  SysFreeString(nullptr);
  EXPECT_EQ(nullptr, SysAllocStringLen(nullptr, UINT_MAX));
  EXPECT_EQ(nullptr, SysAllocStringLen(nullptr, UINT_MAX / 2));
  EXPECT_EQ(nullptr, SysAllocStringByteLen(nullptr, UINT_MAX));
}

// Resizing to other text, the string's own characters among them, takes
// exactly the characters given and terminates them.
TEST(Bstr, ReAllocTakesExactlyTheGivenCharacters) {
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
  BSTR text = SysAllocString(W("short"));
  ASSERT_TRUE(SysReAllocString(&text, W("a longer text")));
  ASSERT_TRUE(SysReAllocString(&text, text + 2));
  EXPECT_EQ(WString(W("longer text")), WString(text, SysStringLen(text)));
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
