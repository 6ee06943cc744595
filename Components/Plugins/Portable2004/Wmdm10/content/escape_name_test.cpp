#include "content/escape_name.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapeNameTest, KeepsLettersAndDigitsAndEncodesTheRest) {
  const struct Row {
    const WCHAR* text;
    const WCHAR* escaped;
  } rows[] = {
      {W(""), W("")},
      {W("My Player"), W("my|0020player")},
      {W("a_b\\c"), W("a|005fb|005cc")},
      {W("\\\\?\\USB#Vid_0781"), W("|005c|005c|003f|005cusb|0023vid|005f0781")},
      {W("X9"), W("x9")},
  };
  for (const Row& row : rows) EXPECT_EQ(EscapeName(row.text), WString(row.escaped)) << wide::ToUtf8(row.text);
}

}  // namespace
