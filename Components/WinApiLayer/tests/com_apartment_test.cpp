#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Each case runs on a fresh thread, so that no earlier initialisation counts.
template <typename Body>
void OnFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

TEST(ComApartment, InitialisationCountsPerThread) {
  struct Case {
    const char* name;
    DWORD first;
    DWORD second;
    HRESULT secondResult;
  };
  const Case cases[] = {
      {"apartment, then apartment", COINIT_APARTMENTTHREADED, COINIT_APARTMENTTHREADED, S_FALSE},
      {"multithreaded, then multithreaded", COINIT_MULTITHREADED, COINIT_MULTITHREADED, S_FALSE},
      {"apartment, then multithreaded", COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED, RPC_E_CHANGED_MODE},
      {"multithreaded, then apartment", COINIT_MULTITHREADED, COINIT_APARTMENTTHREADED, RPC_E_CHANGED_MODE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OnFreshThread([&] {
      EXPECT_EQ(S_OK, CoInitializeEx(nullptr, c.first));
      EXPECT_EQ(c.secondResult, CoInitializeEx(nullptr, c.second));
      // A refused initialisation is not counted: one CoUninitialize per success.
      if (SUCCEEDED(c.secondResult)) CoUninitialize();
      CoUninitialize();
      // Fully uninitialised again: the other model is accepted now.
      EXPECT_EQ(S_OK, CoInitializeEx(nullptr, c.second));
      CoUninitialize();
    });
  }
}

TEST(ComApartment, CoInitializeIsTheApartmentModel) {
  OnFreshThread([] {
    EXPECT_EQ(S_OK, CoInitialize(nullptr));
    EXPECT_EQ(S_FALSE, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    EXPECT_EQ(RPC_E_CHANGED_MODE, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    CoUninitialize();
    CoUninitialize();
  });
}

TEST(ComApartment, ThreadsKeepTheirOwnCounts) {
  OnFreshThread([] {
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    OnFreshThread([] {
      EXPECT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
      CoUninitialize();
    });
    CoUninitialize();
  });
}

}  // namespace
