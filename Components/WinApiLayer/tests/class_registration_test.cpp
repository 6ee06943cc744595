#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "counting_object.h"

namespace {

const CLSID kTestClass = {0x5d1e4c7a, 0x2b9f, 0x4e61, {0x8a, 0x0c, 0x3f, 0x71, 0x2e, 0x95, 0xb4, 0x06}};
const CLSID kUnknownClass = {0x5d1e4c7a, 0x2b9f, 0x4e61, {0x8a, 0x0c, 0x3f, 0x71, 0x2e, 0x95, 0xb4, 0x07}};

HRESULT RegisterTestClass(IClassFactory* factory, DWORD* cookie) {
  return CoRegisterClassObject(kTestClass, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, cookie);
}

class ClassRegistration : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(S_OK, CoInitialize(nullptr)); }
  void TearDown() override {
    if (cookie_) {
      EXPECT_EQ(S_OK, CoRevokeClassObject(cookie_));
    }
    CoUninitialize();
    EXPECT_EQ(1u, factory_->References()) << "every reference to the class object given back";
  }
  void Register() {
    ASSERT_EQ(S_OK, RegisterTestClass(factory_.Get(), &cookie_));
    ASSERT_NE(0u, cookie_);
  }

  const ComPtr<CountingFactory> factory_ = MakeComObject<CountingFactory>();
  DWORD cookie_ = 0;
};

TEST_F(ClassRegistration, CreateInstanceAsksTheRegisteredFactory) {
  Register();
  IUnknown* object = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&object)));
  ASSERT_NE(nullptr, object);
  EXPECT_EQ(1, factory_->Created());
  EXPECT_EQ(0u, object->Release());

  IClassFactory* factory = nullptr;
  ASSERT_EQ(S_OK, CoGetClassObject(kTestClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
  EXPECT_EQ(static_cast<IClassFactory*>(factory_.Get()), factory);
  factory->Release();
}

// A refusal hands out nothing and leaves nothing alive (the counting objects'
// check after every test).
TEST_F(ClassRegistration, RefusalsHandOutNothing) {
  Register();
  CountingObject* outer = CountingObject::Create();
  struct Case {
    const char* what;
    const CLSID* clsid;
    IUnknown* outer;
    const IID* iid;
    HRESULT expected;
  } cases[] = {
      {"an interface the object lacks", &kTestClass, nullptr, &IID_IStream, E_NOINTERFACE},
      {"aggregation", &kTestClass, outer, &IID_IUnknown, CLASS_E_NOAGGREGATION},
      {"an unregistered class", &kUnknownClass, nullptr, &IID_IUnknown, REGDB_E_CLASSNOTREG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(c.expected, CoCreateInstance(*c.clsid, c.outer, CLSCTX_INPROC_SERVER, *c.iid, &object));
    EXPECT_EQ(nullptr, object);
  }
  EXPECT_EQ(0u, outer->Release()) << "the refused aggregate kept no reference";
  void* object = nullptr;
  EXPECT_EQ(REGDB_E_CLASSNOTREG,
            CoGetClassObject(kUnknownClass, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &object));

  EXPECT_EQ(S_OK, CoRevokeClassObject(cookie_));
  EXPECT_EQ(E_INVALIDARG, CoRevokeClassObject(cookie_));
  cookie_ = 0;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
  EXPECT_EQ(E_INVALIDARG, CoRevokeClassObject(0x7FFFFFF0));
}

TEST_F(ClassRegistration, EndingTheApartmentRevokesItsClasses) {
  std::thread([] {
    const ComPtr<CountingFactory> factory = MakeComObject<CountingFactory>();
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, RegisterTestClass(factory.Get(), &cookie));
    EXPECT_LT(1u, factory->References());
    CoUninitialize();
    EXPECT_EQ(1u, factory->References());
  }).join();
}

// Without COM on the calling thread (and no multithreaded apartment in the
// process) the class table cannot be reached.
TEST(ClassRegistrationWithoutCom, CallsFailUninitialised) {
  std::thread([] {
    const ComPtr<CountingFactory> factory = MakeComObject<CountingFactory>();
    void* object = reinterpret_cast<void*>(1);
    DWORD cookie = 0;
    EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(CO_E_NOTINITIALIZED, RegisterTestClass(factory.Get(), &cookie));
    EXPECT_EQ(1u, factory->References());
  }).join();
}

// A class registered in the multithreaded apartment serves every thread in it,
// including threads that never initialised COM themselves.
TEST(ClassRegistrationAcrossThreads, TheMultithreadedApartmentIsShared) {
  ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  const ComPtr<CountingFactory> factory = MakeComObject<CountingFactory>();
  DWORD cookie = 0;
  ASSERT_EQ(S_OK, RegisterTestClass(factory.Get(), &cookie));
  for (bool initialise : {true, false}) {
    SCOPED_TRACE(initialise ? "initialised" : "implicit");
    std::thread([&] {
      if (initialise) {
        ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
      }
      IUnknown* object = nullptr;
      EXPECT_EQ(S_OK, CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                       reinterpret_cast<void**>(&object)));
      if (object) object->Release();
      if (initialise) CoUninitialize();
    }).join();
  }
  EXPECT_EQ(2, factory->Created());
  EXPECT_EQ(S_OK, CoRevokeClassObject(cookie));
  CoUninitialize();
}

TEST(OleRun, AnObjectWithoutRunnableStateIsRunning) {
  CountingObject* object = CountingObject::Create();
  EXPECT_EQ(S_OK, OleRun(object));
  EXPECT_EQ(1u, object->References());
  object->Release();
}

TEST(TaskMemory, AllocReallocFree) {
  auto* block = static_cast<BYTE*>(CoTaskMemAlloc(16));
  ASSERT_NE(nullptr, block);
  for (int i = 0; i < 16; ++i) block[i] = static_cast<BYTE>(i);
  block = static_cast<BYTE*>(CoTaskMemRealloc(block, 4096));
  ASSERT_NE(nullptr, block);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(i, block[i]);
  CoTaskMemFree(block);
  CoTaskMemFree(nullptr);
}

}  // namespace
