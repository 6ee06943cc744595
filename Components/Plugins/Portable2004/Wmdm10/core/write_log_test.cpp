#include <gtest/gtest.h>

#include <debug_output_capture.h>

#include "plugin/kc_wmdm10_plugin.h"
#include "host_support/host_callback.h"

namespace {

TEST(WriteLog, ReachesTheDebuggerAlwaysAndTheCallbackOnceSetWithALineFeedAndTheTextWhole) {
  kcWMDM10Plugin plugin;
  DebugOutputCapture debugger;
  plugin.WriteLog(W("WMDM10::ReScanDevices called"));
  plugin.WriteLog(WString());
  HostCallback callback;
  plugin.SetHostCallback(&callback);
  const WString text = W("WMDM10::DeleteItem called to delete \\M\u00fcsik\\\u65e5\u672c.wma");
  plugin.WriteLog(text);

  EXPECT_EQ(callback.LogLines(), std::vector<WString>{text + W("\n")});
  const std::vector<WString> texts = debugger.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], W("WMDM10::ReScanDevices called\n"));
  EXPECT_EQ(texts[1], W("\n"));
}

}  // namespace
