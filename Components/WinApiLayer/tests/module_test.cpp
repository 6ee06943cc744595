#include <windows.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// The sample module is built beside the test program: "winapi_sample_module.dll"
// on Windows, "libwinapi_sample_module.so" on Linux, named the Windows way here.
const WCHAR kSampleName[] = W("winapi_sample_module.dll");

WString FileNameOf(HMODULE module) {
  WCHAR buffer[4096] = {};
  const DWORD length = GetModuleFileNameW(module, buffer, 4096);
  return WString(buffer, length);
}

WString ProgramFolder() {
  const WString path = FileNameOf(nullptr);
  return path.substr(0, path.find_last_of(W("\\/")) + 1);
}

class SampleModule : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW((ProgramFolder() + kSampleName).c_str());
    ASSERT_NE(nullptr, module_) << "error " << GetLastError();
  }
  void TearDown() override {
    if (module_) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
  }

  HMODULE module_ = nullptr;
};

TEST_F(SampleModule, IsFoundByFileNameBareNameAndItsExports) {
  using AnswerFn = int (*)();
  // Through the generic function pointer type: a cast straight from FARPROC
  // is one between incompatible function types.
  auto answer =
      reinterpret_cast<AnswerFn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "WinApiSampleModuleAnswer")));
  ASSERT_NE(nullptr, answer);
  EXPECT_EQ(42, answer());
  EXPECT_EQ(module_, GetModuleHandleW(kSampleName));
  const WString fileName = FileNameOf(module_);
  EXPECT_EQ(ProgramFolder(), fileName.substr(0, ProgramFolder().size()));
  EXPECT_EQ(module_, GetModuleHandleW(fileName.c_str()));
  HMODULE again = LoadLibraryW(kSampleName);  // found beside the program
  EXPECT_EQ(module_, again);
  if (again) FreeLibrary(again);
}

TEST_F(SampleModule, VersionResourceGivesTheFixedFileInformation) {
  const WString fileName = FileNameOf(module_);
  DWORD handle = 7;
  const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  ASSERT_LT(0u, size) << "error " << GetLastError();
  EXPECT_EQ(0u, handle);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(fileName.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), W("\\"), reinterpret_cast<void**>(&info), &length));
  ASSERT_NE(nullptr, info);
  EXPECT_EQ((std::vector<DWORD>{52, 0xFEEF04BD, 0x00010002, 0x00030004}),
            (std::vector<DWORD>{length, info->dwSignature, info->dwFileVersionMS, info->dwFileVersionLS}));
}

// Each failing call answers null (or zero) and sets the thread's last error.
TEST_F(SampleModule, FailuresSetTheirLastError) {
  DWORD handle = 0;
  const struct {
    const char* what;
    std::function<bool()> failed;
    DWORD error;
  } cases[] = {
      {"an unknown export", [&] { return !GetProcAddress(module_, "NoSuchExport"); }, ERROR_PROC_NOT_FOUND},
      {"a missing module",
       [] { return !LoadLibraryW((ProgramFolder() + W("no_such_module.dll")).c_str()); }, ERROR_MOD_NOT_FOUND},
      {"the version of a missing file",
       [&] { return !GetFileVersionInfoSizeW((ProgramFolder() + W("no_such_file.dll")).c_str(), &handle); },
       ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_TRUE(c.failed());
    EXPECT_EQ(c.error, GetLastError());
  }
  SetLastError(0);
  EXPECT_EQ(0u, GetFileVersionInfoSizeW(FileNameOf(nullptr).c_str(), &handle)) << "the program has no version";
  // Windows names the missing resource type, Wine the missing resource.
  const DWORD error = GetLastError();
  EXPECT_TRUE(error == ERROR_RESOURCE_TYPE_NOT_FOUND || error == ERROR_RESOURCE_DATA_NOT_FOUND) << error;

  ASSERT_TRUE(FreeLibrary(module_));
  module_ = nullptr;
  SetLastError(0);
  EXPECT_EQ(nullptr, GetModuleHandleW(kSampleName)) << "a freed module is no longer found";
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

// Windows since Vista ends the truncated name with a terminator in the last
// place; Wine, as Windows XP did, fills that place with a character. Neither
// writes past the buffer.
TEST(Modules, AShortBufferTruncatesTheFileName) {
  const WString path = FileNameOf(nullptr);
  ASSERT_LT(5u, path.size());
  EXPECT_EQ(path, FileNameOf(GetModuleHandleW(nullptr))) << "the program is the null module";
  WCHAR buffer[8];
  for (WCHAR& c : buffer) c = W('#');
  SetLastError(0);
  EXPECT_EQ(5u, GetModuleFileNameW(nullptr, buffer, 5));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(path.substr(0, 4), WString(buffer, 4));
  EXPECT_TRUE(buffer[4] == 0 || buffer[4] == path[4]);
  EXPECT_EQ(W('#'), buffer[5]);
}

}  // namespace
