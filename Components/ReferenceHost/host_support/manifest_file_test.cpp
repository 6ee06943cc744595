#include "host_support/manifest_file.h"

#include "host_support/input_file.h"

#include <gtest/gtest.h>

namespace {

TEST(ManifestFileTest, DecodesUtf8AndUtf16ByTheirByteOrderMarks) {
  const WString expected = W("<a>\u00e9</a>");
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF-8", "<a>\xC3\xA9</a>"},
      {"UTF-8 with mark", "\xEF\xBB\xBF<a>\xC3\xA9</a>"},
      {"UTF-16LE with mark", std::string("\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0", 18)},
      {"UTF-16BE with mark", std::string("\xFE\xFF\0<\0a\0>\0\xE9\0<\0/\0a\0>", 18)},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    WString text;
    std::string error;
    EXPECT_TRUE(DecodeTextFile(row.bytes, &text, &error)) << error;
    EXPECT_EQ(expected, text);
  }
}

// The store serves element content and the plug-in writes the declaration
// itself, so a file's own declaration is left out; nothing else is.
TEST(ManifestFileTest, ADeclarationAtTheStartIsLeftOut) {
  const struct {
    const WCHAR* text;
    const WCHAR* served;
  } cases[] = {
      {W("<?xml version=\"1.0\"?>\r\n<Devices/>"), W("\r\n<Devices/>")},
      {W("  <?xml version='1.0' encoding='UTF-8'?><Devices/>"), W("<Devices/>")},
      {W("<Devices/>"), W("<Devices/>")},
      {W("<?xml-stylesheet href='a'?><Devices/>"), W("<?xml-stylesheet href='a'?><Devices/>")},
      {W("<?xml version='1.0'"), W("<?xml version='1.0'")},
      {W("<Devices/><?xml version='1.0'?>"), W("<Devices/><?xml version='1.0'?>")},
  };
  for (const auto& c : cases) EXPECT_EQ(WString(c.served), WithoutXmlDeclaration(c.text)) << wide::ToUtf8(c.text);
}

}  // namespace
