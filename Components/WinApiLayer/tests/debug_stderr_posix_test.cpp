// The stderr copy of debugger output on Linux: switched by an environment
// variable that is read once, and again whenever a sink is set.
#include <windows.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string StderrOf(const WCHAR* text) {
  testing::internal::CaptureStderr();
  OutputDebugStringW(text);
  return testing::internal::GetCapturedStderr();
}

TEST(DebugStderr, TheVariableCountsFromTheNextSinkChangeOn) {
  unsetenv("WINAPI_DEBUG_STDERR");
  WinApiSetDebugSink(nullptr, nullptr);
  EXPECT_EQ("", StderrOf(W("quiet\n")));

  setenv("WINAPI_DEBUG_STDERR", "1", 1);
  WinApiSetDebugSink(nullptr, nullptr);
  EXPECT_EQ("loud \xc3\xa9\n", StderrOf(W("loud \x00e9\n")));
  EXPECT_EQ("again\n", StderrOf(W("again\n")));

  unsetenv("WINAPI_DEBUG_STDERR");
  WinApiSetDebugSink(nullptr, nullptr);
  EXPECT_EQ("", StderrOf(W("quiet again\n")));
}

}  // namespace
