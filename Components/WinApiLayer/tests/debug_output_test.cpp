#include <windows.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <thread>

#include "debug_output_capture.h"

namespace {

TEST(DebugOutput, TheCaptureSeesEachTextOnceBeyondAsciiToo) {
  DebugOutputCapture capture;
  OutputDebugStringW(W("first line\n"));
  OutputDebugStringW(W("caf\x00e9 \x0416\n"));
  EXPECT_EQ((std::vector<WString>{W("first line\n"), W("caf\x00e9 \x0416\n")}), capture.Texts());
}

// Other threads' texts are captured; nothing before the capture began, and a
// nested capture's end does not end the outer one's.
TEST(DebugOutput, OtherThreadsAreCapturedWithinTheCaptureLifetime) {
  OutputDebugStringW(W("before\n"));
  DebugOutputCapture capture;
  { DebugOutputCapture inner; }
  std::thread([] { OutputDebugStringW(W("from the worker\n")); }).join();
  EXPECT_EQ(WString(W("from the worker\n")), capture.All());
}

}  // namespace
