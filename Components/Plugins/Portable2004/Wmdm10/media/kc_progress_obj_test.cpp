// The progress object as WMDM sees it: a COM object of one interface whose
// End tells the host the operation is over, and which keeps the module locked
// while anyone holds it.
#include "media/kc_progress_obj.h"

#include <stdexcept>

#include "testing/plugin_test_harness.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

class ProgressObjTest : public PluginHarness {
 protected:
  ComPtr<kcProgressObj> Make(DWORD kind, DWORD cookie) {
    ComPtr<kcProgressObj> progress;
    EXPECT_EQ(CreateProgress(plugin_.HostCallback(), kind, cookie, &progress), S_OK);
    return progress;
  }
  std::vector<DWORD> EndedCookies() const {
    std::vector<DWORD> cookies;
    for (const HostEvent& event : EventsOf(HostEvent::kOperationEnded)) cookies.push_back(event.number);
    return cookies;
  }
};

TEST_F(ProgressObjTest, AnswersIUnknownAndIWMDMProgressOnly) {
  const ComPtr<kcProgressObj> progress = Make(kProgressErase, 1);
  const struct Case {
    const char* name;
    const IID& iid;
    HRESULT expected;
  } cases[] = {
      {"IUnknown", IID_IUnknown, S_OK},
      {"IWMDMProgress", IID_IWMDMProgress, S_OK},
      {"IWMDMProgress2", IID_IWMDMProgress2, E_NOINTERFACE},
      {"IWMDMProgress3", IID_IWMDMProgress3, E_NOINTERFACE},
      {"IWMDMStorage", IID_IWMDMStorage, E_NOINTERFACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(progress->QueryInterface(c.iid, &out), c.expected);
    if (c.expected == S_OK) {
      ASSERT_NE(out, nullptr);
      EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 1u);
    } else {
      EXPECT_EQ(out, nullptr);
    }
  }
  EXPECT_EQ(progress->References(), 1u);
}

TEST_F(ProgressObjTest, EndReportsTheCookieToTheCallbackItWasMadeWith) {
  plugin_.SetHostCallback(&callback_);
  const ComPtr<kcProgressObj> progress = Make(kProgressFormat, 0xC00C1E);
  EXPECT_EQ(progress->Kind(), static_cast<DWORD>(kProgressFormat));
  HostCallback later;
  plugin_.SetHostCallback(&later);
  EXPECT_EQ(progress->Begin(100), S_OK);
  EXPECT_EQ(progress->Progress(50), S_OK);
  EXPECT_TRUE(EndedCookies().empty()) << "only End reports to the host";
  EXPECT_EQ(progress->End(), S_OK);
  EXPECT_EQ(EndedCookies(), (std::vector<DWORD>{0xC00C1E}));
  EXPECT_TRUE(later.Events().empty());
}

TEST_F(ProgressObjTest, NothingTheHostThrowsReachesThePlatform) {
  struct ThrowingHost : HostCallback {
    HRESULT OperationEnded(DWORD, DWORD) override { throw std::runtime_error("host failure"); }
  } throwing;
  plugin_.SetHostCallback(&throwing);
  const ComPtr<kcProgressObj> progress = Make(kProgressErase, 1);
  EXPECT_EQ(progress->End(), S_OK);
}

TEST_F(ProgressObjTest, HoldsTheModuleWhileItLives) {
  const LONG before = ModuleLockCount();
  ComPtr<kcProgressObj> progress = Make(kProgressErase, 1);
  EXPECT_EQ(ModuleLockCount(), before + 1);
  ComPtr<IWMDMProgress> platformsCopy(progress.Get());
  progress.Reset();
  EXPECT_EQ(ModuleLockCount(), before + 1) << "the platform's reference keeps it alive";
  platformsCopy.Reset();
  EXPECT_EQ(ModuleLockCount(), before);
}

}  // namespace
