#include "settings/hex_scan.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanHexTest, ReadsAsTheHexadecimalConversionDoes) {
  const struct {
    int line;
    const WCHAR* text;
    DWORD value;
  } cases[] = {
      {__LINE__, W("0781"), 0x0781},       {__LINE__, W("ffff"), 0xFFFF},      {__LINE__, W("AbCd"), 0xABCD},
      {__LINE__, W("  \t7420"), 0x7420},   {__LINE__, W("0x1F"), 0x1F},        {__LINE__, W("0X1f"), 0x1F},
      {__LINE__, W("+a"), 0xA},            {__LINE__, W("-1"), 0xFFFFFFFF},    {__LINE__, W("12zz"), 0x12},
      {__LINE__, W("7420&pid"), 0x7420},   {__LINE__, W(""), 0},               {__LINE__, W("zz"), 0},
      {__LINE__, W("0x"), 0},              {__LINE__, W("- 1"), 0},            {__LINE__, W("123456789"), 0x23456789},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    EXPECT_EQ(row.value, ScanHex(row.text));
  }
}

}  // namespace
