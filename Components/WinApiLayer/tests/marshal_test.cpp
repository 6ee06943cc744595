#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "counting_object.h"

namespace {

class Marshalling : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(S_OK, CoInitialize(nullptr)); }
  void TearDown() override { CoUninitialize(); }
};

// The worker's way: the object marshalled on one thread, unmarshalled and
// called on another. A free-threaded object arrives as itself.
TEST_F(Marshalling, AFreeThreadedObjectReachesAnotherThreadAsItself) {
  CountingObject* object = CountingObject::Create(/*freeThreaded=*/true);
  ASSERT_NE(nullptr, object);
  IStream* stream = nullptr;
  ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(IID_IUnknown, object, &stream));
  ASSERT_NE(nullptr, stream);
  DWORD workerThread = 0;
  std::thread([&] {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    workerThread = GetCurrentThreadId();
    IUnknown* received = nullptr;
    EXPECT_EQ(S_OK, CoGetInterfaceAndReleaseStream(stream, IID_IUnknown, reinterpret_cast<void**>(&received)));
    EXPECT_EQ(static_cast<IUnknown*>(object), received);
    if (received) {
      IUnknown* again = nullptr;
      EXPECT_EQ(S_OK, received->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)));
      if (again) again->Release();
      received->Release();
    }
    CoUninitialize();
  }).join();
  EXPECT_EQ(workerThread, object->LastCallerThread());  // called directly on the worker
  EXPECT_EQ(1u, object->References()) << "stream and receiver gave back their references";
  object->Release();
}

TEST_F(Marshalling, AnInterfaceTheObjectLacksIsRefused) {
  CountingObject* object = CountingObject::Create(/*freeThreaded=*/true);
  IStream* stream = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(E_NOINTERFACE, CoMarshalInterThreadInterfaceInStream(IID_IClassFactory, object, &stream));
  EXPECT_EQ(nullptr, stream);
  EXPECT_EQ(1u, object->References());
  object->Release();
}

TEST_F(Marshalling, TheFreeThreadedMarshalerAnswersForItsAggregate) {
  CountingObject* object = CountingObject::Create(/*freeThreaded=*/true);
  IUnknown* marshal = nullptr;
  ASSERT_EQ(S_OK, object->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(&marshal)));
  // Its IUnknown is the aggregate's.
  IUnknown* identity = nullptr;
  ASSERT_EQ(S_OK, marshal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
  EXPECT_EQ(static_cast<IUnknown*>(object), identity);
  EXPECT_EQ(3u, object->References());
  identity->Release();
  marshal->Release();
  EXPECT_EQ(1u, object->References());
  object->Release();
}

}  // namespace
