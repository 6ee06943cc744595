#include <windows.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The sample module is built beside the test program: "winapi_sample_module.dll"
// on Windows, "libwinapi_sample_module.so" on Linux, named the Windows way here.
const WCHAR kSampleName[] = W("winapi_sample_module.dll");

WString ProgramPath() {
  WCHAR buffer[4096] = {};
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 4096);
  return WString(buffer, length);
}

WString ProgramFolder() {
  const WString path = ProgramPath();
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
  WString FileName() const {
    WCHAR buffer[4096] = {};
    const DWORD length = GetModuleFileNameW(module_, buffer, 4096);
    return WString(buffer, length);
  }

  HMODULE module_ = nullptr;
};

TEST_F(SampleModule, ExportsAreFoundByName) {
  using AnswerFn = int (*)();
  auto answer = reinterpret_cast<AnswerFn>(GetProcAddress(module_, "WinApiSampleModuleAnswer"));
  ASSERT_NE(nullptr, answer);
  EXPECT_EQ(42, answer());
  SetLastError(0);
  EXPECT_EQ(nullptr, GetProcAddress(module_, "NoSuchExport"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
}

TEST_F(SampleModule, ALoadedModuleIsFoundByItsFileName) {
  EXPECT_EQ(module_, GetModuleHandleW(kSampleName));
  const WString fileName = FileName();
  ASSERT_FALSE(fileName.empty());
  EXPECT_EQ(ProgramFolder(), fileName.substr(0, ProgramFolder().size()));
  EXPECT_EQ(module_, GetModuleHandleW(fileName.c_str()));
}

TEST_F(SampleModule, ABareNameIsFoundBesideTheProgram) {
  HMODULE again = LoadLibraryW(kSampleName);
  EXPECT_EQ(module_, again);
  if (again) FreeLibrary(again);
}

TEST_F(SampleModule, VersionResourceGivesTheFixedFileInformation) {
  const WString fileName = FileName();
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
  EXPECT_EQ(52u, length);
  EXPECT_EQ(0xFEEF04BDu, info->dwSignature);
  EXPECT_EQ(0x00010002u, info->dwFileVersionMS);
  EXPECT_EQ(0x00030004u, info->dwFileVersionLS);
}

TEST(Modules, AFreedModuleIsNoLongerFound) {
  HMODULE module = LoadLibraryW((ProgramFolder() + kSampleName).c_str());
  ASSERT_NE(nullptr, module);
  ASSERT_TRUE(FreeLibrary(module));
  SetLastError(0);
  EXPECT_EQ(nullptr, GetModuleHandleW(kSampleName));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST(Modules, AMissingModuleIsNotLoaded) {
  SetLastError(0);
  EXPECT_EQ(nullptr, LoadLibraryW((ProgramFolder() + W("no_such_module.dll")).c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST(Modules, TheProgramIsTheNullModule) {
  EXPECT_NE(nullptr, GetModuleHandleW(nullptr));
  const WString path = ProgramPath();
  EXPECT_FALSE(path.empty());
  WCHAR fromHandle[4096] = {};
  EXPECT_EQ(path.size(), GetModuleFileNameW(GetModuleHandleW(nullptr), fromHandle, 4096));
  EXPECT_EQ(path, WString(fromHandle));
}

// Windows since Vista ends the truncated name with a terminator in the last
// place; Wine, as Windows XP did, fills that place with a character. Neither
// writes past the buffer.
TEST(Modules, AShortBufferTruncatesTheFileName) {
  const WString path = ProgramPath();
  ASSERT_LT(5u, path.size());
  WCHAR buffer[8];
  for (WCHAR& c : buffer) c = W('#');
  SetLastError(0);
  EXPECT_EQ(5u, GetModuleFileNameW(nullptr, buffer, 5));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
  EXPECT_EQ(path.substr(0, 4), WString(buffer, 4));
  EXPECT_TRUE(buffer[4] == 0 || buffer[4] == path[4]);
  EXPECT_EQ(W('#'), buffer[5]);
}

TEST(Modules, AFileWithoutAVersionResourceHasNone) {
  DWORD handle = 0;
  SetLastError(0);
  EXPECT_EQ(0u, GetFileVersionInfoSizeW(ProgramPath().c_str(), &handle));
  // Windows names the missing resource type, Wine the missing resource.
  const DWORD error = GetLastError();
  EXPECT_TRUE(error == ERROR_RESOURCE_TYPE_NOT_FOUND || error == ERROR_RESOURCE_DATA_NOT_FOUND) << error;
  SetLastError(0);
  EXPECT_EQ(0u, GetFileVersionInfoSizeW((ProgramFolder() + W("no_such_file.dll")).c_str(), &handle));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

}  // namespace
