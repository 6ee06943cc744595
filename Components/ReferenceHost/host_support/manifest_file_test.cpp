#include "host_support/manifest_file.h"

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
    EXPECT_EQ(expected, DecodeManifestBytes(row.bytes));
  }
}

TEST(ManifestFileTest, FileThatCannotBeReadGivesAReason) {
  for (const char* path : {"no/such/manifest.xml", "."}) {
    SCOPED_TRACE(path);
    WString text = W("kept");
    std::string error;
    EXPECT_FALSE(ReadManifestFile(path, &text, &error));
    EXPECT_NE(std::string::npos, error.find(path)) << error;
    EXPECT_EQ(WString(W("kept")), text);
  }
}

}  // namespace
