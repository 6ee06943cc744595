#include <windows.h>
#include <wide_text.h>

#include <gtest/gtest.h>

#include <thread>

#include "debug_output_capture.h"

namespace {

TEST(DebugOutput, TheCaptureSeesEachTextOnce) {
  DebugOutputCapture capture;
  OutputDebugStringW(W("first line\n"));
  OutputDebugStringW(W("WMDM10::Initialize called\n"));
  const std::vector<WString> texts = capture.Texts();
  ASSERT_EQ(2u, texts.size());
  EXPECT_EQ(WString(W("first line\n")), texts[0]);
  EXPECT_EQ(WString(W("WMDM10::Initialize called\n")), texts[1]);
}

TEST(DebugOutput, TextBeyondAsciiSurvives) {
  DebugOutputCapture capture;
  OutputDebugStringW(W("caf\x00e9 \x0416\n"));
  ASSERT_EQ(1u, capture.Texts().size());
  EXPECT_EQ(WString(W("caf\x00e9 \x0416\n")), capture.All());
}

TEST(DebugOutput, OtherThreadsAreCaptured) {
  DebugOutputCapture capture;
  std::thread([] { OutputDebugStringW(W("from the worker\n")); }).join();
  EXPECT_EQ(WString(W("from the worker\n")), capture.All());
}

TEST(DebugOutput, NothingIsCapturedOutsideTheCaptureLifetime) {
  OutputDebugStringW(W("before\n"));
  DebugOutputCapture capture;
  { DebugOutputCapture inner; }  // a nested capture's end does not end the outer one's
  OutputDebugStringW(W("during\n"));
  EXPECT_EQ(WString(W("during\n")), capture.All());
}

}  // namespace
