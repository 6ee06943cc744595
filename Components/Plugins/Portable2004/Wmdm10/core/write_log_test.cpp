#include <gtest/gtest.h>

#include <debug_output_capture.h>

#include "core/kc_wmdm10_plugin.h"
#include "host_support/host_callback.h"

namespace {

TEST(WriteLog, ReachesTheCallbackAndTheDebuggerWithALineFeed) {
  kcWMDM10Plugin plugin;
  HostCallback callback;
  plugin.SetHostCallback(&callback);
  DebugOutputCapture debugger;

  plugin.WriteLog(W("WMDM10::FindFirstDevice called"));

  ASSERT_EQ(callback.LogLines().size(), 1u);
  EXPECT_EQ(callback.LogLines()[0], W("WMDM10::FindFirstDevice called\n"));
  EXPECT_EQ(debugger.All(), W("WMDM10::FindFirstDevice called\n"));
}

TEST(WriteLog, WithoutACallbackStillReachesTheDebugger) {
  kcWMDM10Plugin plugin;
  DebugOutputCapture debugger;

  plugin.WriteLog(W("WMDM10::ReScanDevices called"));
  plugin.WriteLog(WString());

  const std::vector<WString> texts = debugger.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], W("WMDM10::ReScanDevices called\n"));
  EXPECT_EQ(texts[1], W("\n"));
}

TEST(WriteLog, KeepsTextBeyondAscii) {
  kcWMDM10Plugin plugin;
  HostCallback callback;
  plugin.SetHostCallback(&callback);

  const WString text = W("WMDM10::DeleteItem called to delete \\M\u00fcsik\\\u65e5\u672c.wma");
  plugin.WriteLog(text);

  ASSERT_EQ(callback.LogLines().size(), 1u);
  EXPECT_EQ(callback.LogLines()[0], text + W("\n"));
}

}  // namespace
