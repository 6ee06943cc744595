// No exception crosses into the host, whichever slot meets it, and none ends
// the notification worker.
#include "core/host_boundary.h"

#include <atomic>
#include <functional>
#include <new>
#include <stdexcept>

#include "testing/plugin_test_harness.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

// A host whose callback throws when told to, as a careless host might.
class ThrowingCallback : public HostCallback {
 public:
  enum class Throw { kNothing, kOutOfMemory, kRuntimeError, kInteger };
  std::atomic<Throw> onLog{Throw::kNothing};
  std::atomic<Throw> onArrival{Throw::kNothing};

  HRESULT LogLine(const WCHAR* text) override {
    Raise(onLog);
    return HostCallback::LogLine(text);
  }
  HRESULT DeviceArrived(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber) override {
    Raise(onArrival.exchange(Throw::kNothing));
    return HostCallback::DeviceArrived(plugin, deviceNumber);
  }

 private:
  static void Raise(Throw what) {
    switch (what) {
      case Throw::kNothing: return;
      case Throw::kOutOfMemory: throw std::bad_alloc();
      case Throw::kRuntimeError: throw std::runtime_error("host failure");
      case Throw::kInteger: throw 42;
    }
  }
};

TEST(CatchToResultTest, TurnsExceptionsIntoResults) {
  EXPECT_EQ(CatchToResult([] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(CatchToResult([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(CatchToResult([]() -> HRESULT { throw std::runtime_error("x"); }), E_FAIL);
  EXPECT_EQ(CatchToResult([]() -> HRESULT { throw 1; }), E_FAIL);
}

class HostBoundaryTest : public PluginHarness {
 protected:
  ThrowingCallback throwing_;
};

// An exception the door stops is told to the host's log, once, with its
// text; an allocation failure is not (the line could not be had either).
TEST_F(HostBoundaryTest, ADoorLogsTheExceptionItStopped) {
  HostLink link(plugin_);
  link.SetCallback(&callback_);
  CriticalSection lock;
  const struct {
    std::function<HRESULT()> body;
    HRESULT answer;
    std::vector<std::string> lines;
  } cases[] = {
      {[]() -> HRESULT { throw std::runtime_error("no such thing"); }, IPP_E_FAIL,
       {"WMDM10: an unexpected error stopped the call: no such thing\n"}},
      {[]() -> HRESULT { throw 42; }, IPP_E_FAIL,
       {"WMDM10: an unexpected error stopped the call: an exception of no standard kind\n"}},
      {[]() -> HRESULT { throw std::bad_alloc(); }, MapResult(E_OUTOFMEMORY), {}},
      {[] { return S_OK; }, S_OK, {}},
  };
  for (const auto& c : cases) {
    callback_.ClearEvents();
    EXPECT_EQ(RunLockedHostSlot(lock, link, c.body), c.answer);
    std::vector<std::string> lines;
    for (const HostEvent& event : callback_.Events()) lines.push_back(wide::ToUtf8(event.text));
    EXPECT_EQ(lines, c.lines);
  }
}

TEST_F(HostBoundaryTest, EverySlotAnswersAFailureInsteadOfThrowing) {
  Start();
  AddPlayer(SamplePlayer(W("Pocket"), W("pocket")));
  ASSERT_EQ(ListDevices(), (std::vector<DWORD>{1}));
  plugin_.SetHostCallback(&throwing_);
  for (auto what : {ThrowingCallback::Throw::kOutOfMemory, ThrowingCallback::Throw::kRuntimeError,
                    ThrowingCallback::Throw::kInteger}) {
    SCOPED_TRACE(static_cast<int>(what));
    throwing_.onLog = what;
    DWORD number = 7;
    IPPFINDHANDLE find = nullptr;
    EXPECT_EQ(plugin_.FindFirstDevice(&number, &find), IPP_E_FAIL);
    EXPECT_EQ(find, nullptr);
    EXPECT_EQ(plugin_.FindNextDevice(nullptr, &number), IPP_E_FAIL);
    EXPECT_EQ(plugin_.FindDeviceClose(nullptr), IPP_E_FAIL);
    EXPECT_EQ(plugin_.ReScanDevices(), IPP_E_FAIL);
    BOOL flag = FALSE;
    LONG count = 0;
    UniqueBstr text;
    ULONG icon = 0;
    EXPECT_EQ(plugin_.GetDevicePropertyBool(1, W("DevIsRenamable"), &flag), IPP_E_FAIL);
    EXPECT_EQ(plugin_.GetDevicePropertyLong(1, W("DevMediaCount"), &count), IPP_E_FAIL);
    EXPECT_EQ(plugin_.GetDevicePropertyString(1, W("DevProductName"), text.Put()), IPP_E_FAIL);
    EXPECT_EQ(plugin_.GetDevicePropertyIcon(1, 0, &icon), IPP_E_FAIL);
    SAFEARRAY* rates = nullptr;
    EXPECT_EQ(plugin_.GetSupportedBitrates(1, W("mp3"), &rates, &flag), IPP_E_FAIL);
    EXPECT_EQ(rates, nullptr);
  }
  // The lock was left on every path: the plug-in answers as before.
  throwing_.onLog = ThrowingCallback::Throw::kNothing;
  plugin_.SetHostCallback(&callback_);
  EXPECT_EQ(ListDevices(), (std::vector<DWORD>{1}));
  EXPECT_EQ(StringProperty(1, W("DevProductName")), W("Pocket"));
}

TEST_F(HostBoundaryTest, TheWorkerOutlivesAnExceptionFromTheHost) {
  Start(true);
  plugin_.SetHostCallback(&throwing_);
  throwing_.onArrival = ThrowingCallback::Throw::kRuntimeError;
  AddPlayer(SamplePlayer(W("One"), W("one")));
  model_->Events().Flush();
  Sleep(kWorkerPassMs);
  AddPlayer(SamplePlayer(W("Two"), W("two")));
  EXPECT_TRUE(throwing_.WaitFor(
      [](const std::vector<HostEvent>& events) {
        for (const HostEvent& event : events)
          if (event.kind == HostEvent::kDeviceArrived) return true;
        return false;
      },
      8000));
}

}  // namespace
