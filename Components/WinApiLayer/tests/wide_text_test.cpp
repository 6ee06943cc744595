// UTF-8 decoding by the Unicode standard's rules: a byte sequence that is not
// well formed never decodes to a character it only resembles.
#include <gtest/gtest.h>

#include <wide_text.h>

namespace {

struct Utf8Case {
  const char* bytes;
  WString lenient;   // FromUtf8: one U+FFFD per maximal ill-formed part
  long firstBad;     // DecodeUtf8: offset of the first ill-formed byte, -1 when well formed
};

const WCHAR kBad = 0xFFFD;

TEST(WideTextTest, Utf8IsDecodedAsTheStandardRequires) {
  const Utf8Case cases[] = {
      {"A<", W("A<"), -1},
      {"\xC3\xA9", WString(1, WCHAR(0xE9)), -1},
      {"\xEF\xBF\xBF", WString(1, WCHAR(0xFFFF)), -1},
      {"\xF0\x9F\x8E\xB5", WString{WCHAR(0xD83C), WCHAR(0xDFB5)}, -1},
      {"\xF4\x8F\xBF\xBF", WString{WCHAR(0xDBFF), WCHAR(0xDFFF)}, -1},
      // Overlong forms of "<": never the character itself.
      {"\xC0\xBC", WString{kBad, kBad}, 0},
      {"ab\xC1\xBC", WString{W('a'), W('b'), kBad, kBad}, 2},
      {"\xE0\x80\xBC", WString{kBad, kBad, kBad}, 0},
      {"\xF0\x80\x80\xBC", WString{kBad, kBad, kBad, kBad}, 0},
      // An encoded surrogate and a code point above U+10FFFF.
      {"\xED\xA0\x80", WString{kBad, kBad, kBad}, 0},
      {"\xF4\x90\x80\x80", WString{kBad, kBad, kBad, kBad}, 0},
      {"\xF5\x80", WString{kBad, kBad}, 0},
      // Truncated sequences: at the end, and before another character.
      {"x\xE2\x82", WString{W('x'), kBad}, 1},
      {"\xE2\x82" "A", WString{kBad, W('A')}, 0},
      {"\xF0\x9F\x8E", WString{kBad}, 0},
      {"\x80", WString{kBad}, 0},
  };
  for (const Utf8Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.bytes)));
    EXPECT_EQ(wide::FromUtf8(c.bytes), c.lenient);
    WString strict = W("untouched");
    size_t offset = 12345;
    const bool decoded = wide::DecodeUtf8(c.bytes, &strict, &offset);
    EXPECT_EQ(decoded, c.firstBad < 0);
    if (decoded) {
      EXPECT_EQ(strict, c.lenient);
    } else {
      EXPECT_EQ(offset, static_cast<size_t>(c.firstBad));
      EXPECT_EQ(strict, W("untouched")) << "a refused text leaves the output alone";
    }
  }
}

TEST(WideTextTest, NamesAreEscapedForDisplayWhereTheyAreNotText) {
  const struct {
    const char* bytes;
    const char* shown;
  } cases[] = {
      {"players.json", "players.json"},
      {"caf\xC3\xA9.xml", "caf\xC3\xA9.xml"},
      {"bad\xFF.reg", "bad\\xFF.reg"},
      {"cut\xE2\x82", "cut\\xE2\\x82"},
      {"two\nlines\x1B[2J", "two\\x0Alines\\x1B[2J"},
  };
  for (const auto& c : cases) EXPECT_EQ(wide::EscapeForDisplay(c.bytes), c.shown);
}

}  // namespace
