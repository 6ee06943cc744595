// Input files: bounded reads, directories and unreadable files refused with
// their names, and text that is not UTF-8 refused with its place.
#include "host_support/input_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "host_support/plugin_module.h"

namespace {

// A file beside the test program, removed when the test ends.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name) : path_(wide::ToUtf8(ProgramDirectory()) + name) {}
  ~ScratchFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }
  void Write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }
  // Sparse where the file system allows: the bytes are never written.
  void Extend(size_t size) const {
    std::ofstream file(path_, std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size - 1));
    file.put('\n');
  }

 private:
  std::string path_;
};

TEST(InputFileTest, AFileIsReadWholeUpToTheLimit) {
  ScratchFile file("input_file_test_limit.txt");
  std::string bytes, error;
  file.Extend(kMaxInputFileBytes);
  ASSERT_TRUE(ReadInputFile(file.Path(), &bytes, &error)) << error;
  EXPECT_EQ(kMaxInputFileBytes, bytes.size());
  file.Extend(kMaxInputFileBytes + 1);
  bytes = "kept";
  EXPECT_FALSE(ReadInputFile(file.Path(), &bytes, &error));
  EXPECT_NE(std::string::npos, error.find("larger than 64 MiB")) << error;
  EXPECT_EQ("kept", bytes);
}

TEST(InputFileTest, WhatIsNotAReadableFileIsNamedInOneLine) {
  const std::string directory = wide::ToUtf8(ProgramDirectory()) + ".";
  const struct {
    std::string path;
    const char* says;
  } cases[] = {
      {directory, "is a directory"},
      {wide::ToUtf8(ProgramDirectory()) + "no_such_input.txt", "cannot open"},
  };
  for (const auto& c : cases) {
    std::string bytes, error;
    EXPECT_FALSE(ReadInputFile(c.path, &bytes, &error));
    EXPECT_NE(std::string::npos, error.find(c.says)) << error;
    EXPECT_NE(std::string::npos, error.find(c.path)) << error;
    EXPECT_EQ(std::string::npos, error.find('\n'));
  }
}

TEST(InputFileTest, ANameThatIsNotUtf8IsShownEscapedAndTheFileStillReads) {
  ScratchFile file("input_file_test_\xFF\xFE.txt");
  file.Write("content");
  std::string bytes, error;
  ASSERT_TRUE(ReadInputFile(file.Path(), &bytes, &error)) << error;
  EXPECT_EQ("content", bytes);
  EXPECT_NE(std::string::npos, ShownName(file.Path()).find("input_file_test_\\xFF\\xFE.txt"));
}

TEST(InputFileTest, TextThatIsNotUtf8OrWholeUtf16IsRefusedWithItsPlace) {
  const struct {
    const char* name;
    std::string bytes;
    const char* says;  // null: decodes
  } cases[] = {
      {"UTF-8", "<Devices/>\r\n", nullptr},
      {"an overlong <", "\xC0\xBC" "Device VidPid='1'/>", "line 1: byte 0xC0 at offset 0"},
      {"a truncated sequence", "<a>\n\n\xE2\x82</a>", "line 3: byte 0xE2 at offset 5"},
      {"an encoded surrogate", "\xEF\xBB\xBF<a>\xED\xA0\x80</a>", "line 1: byte 0xED at offset 6"},
      {"a Latin-1 byte", "<a>caf\xE9</a>", "line 1: byte 0xE9 at offset 6"},
      {"UTF-16 cut short", std::string("\xFF\xFE<\0a", 5), "middle of a character"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WString text = W("kept");
    std::string error;
    EXPECT_EQ(c.says == nullptr, DecodeTextFile(c.bytes, &text, &error));
    if (!c.says) continue;
    EXPECT_NE(std::string::npos, error.find(c.says)) << error;
    EXPECT_EQ(WString(W("kept")), text);
  }
}

}  // namespace
