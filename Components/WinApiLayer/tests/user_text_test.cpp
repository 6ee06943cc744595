#include <windows.h>
#include <wide_text.h>

#include <gtest/gtest.h>

namespace {

TEST(UserText, IsCharAlphaNumericBeyondAscii) {
  struct Case {
    WCHAR ch;
    bool alphanumeric;
  };
  const Case cases[] = {
      {W('a'), true},     {W('Z'), true},     {W('5'), true},     {W(' '), false},    {W('-'), false},
      {W('_'), false},    {W('.'), false},    {W('\0'), false},   {0x00E9, true},     {0x00C0, true},
      {0x00FF, true},     {0x00D7, false},    {0x00F7, false},    {0x00A0, false},    {0x00BF, false},
      {0x03B1, true},     {0x03A9, true},     {0x0416, true},     {0x0451, true},     {0x05D0, true},
      {0x0660, true},     {0x4E2D, true},     {0x2013, false},    {0x20AC, false},    {0x3000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c.ch));
    EXPECT_EQ(c.alphanumeric, IsCharAlphaNumericW(c.ch) != FALSE);
  }
}

WCHAR LowerOne(WCHAR ch) {
  return static_cast<WCHAR>(reinterpret_cast<uintptr_t>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(ch)))));
}

TEST(UserText, CharLowerOfOneCharacter) {
  struct Case {
    WCHAR upper;
    WCHAR lower;
  };
  const Case cases[] = {
      {W('A'), W('a')}, {W('z'), W('z')}, {W('1'), W('1')}, {W('['), W('[')}, {0x00C9, 0x00E9},
      {0x00DE, 0x00FE}, {0x00D7, 0x00D7}, {0x0178, 0x00FF}, {0x00DF, 0x00DF}, {0x0391, 0x03B1},
      {0x03A3, 0x03C3}, {0x0416, 0x0436}, {0x0401, 0x0451}, {0x0410, 0x0430}, {0x4E2D, 0x4E2D},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<unsigned>(c.upper));
    EXPECT_EQ(c.lower, LowerOne(c.upper));
  }
}

TEST(UserText, CharLowerOfAStringWorksInPlace) {
  WCHAR text[] = W("\x00C0" "BC-\x0416\x0391 x9");
  LPWSTR result = CharLowerW(text);
  EXPECT_EQ(text, result);
  EXPECT_EQ(WString(W("\x00E0" "bc-\x0436\x03B1 x9")), WString(text));
}

}  // namespace
