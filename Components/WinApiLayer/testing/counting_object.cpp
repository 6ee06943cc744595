#include "counting_object.h"

#include <gtest/gtest.h>

namespace {
std::atomic<long> aliveObjects{0};

// Every test that made counting objects has let them all go by its end.
class AliveCheck final : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { before_ = aliveObjects.load(); }
  void OnTestEnd(const testing::TestInfo&) override {
    EXPECT_EQ(aliveObjects.load(), before_) << "a counting object was left alive";
  }
  long before_ = 0;
};

const bool aliveCheckInstalled = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new AliveCheck);
  return true;
}();
}  // namespace

CountingObject::CountingObject() { ++aliveObjects; }

CountingObject::~CountingObject() { --aliveObjects; }

CountingObject* CountingObject::Create(bool freeThreaded) {
  ComPtr<CountingObject> object = MakeComObject<CountingObject>();
  // The aggregate's inner object holds no reference to the outer one.
  if (object && freeThreaded &&
      FAILED(CoCreateFreeThreadedMarshaler(object.Get(), object->marshaler_.ReleaseAndGetAddressOf())))
    return nullptr;
  return object.Detach();
}

long CountingObject::Alive() { return aliveObjects.load(); }

HRESULT STDMETHODCALLTYPE CountingObject::QueryInterface(REFIID riid, void** object) {
  lastCaller_.store(GetCurrentThreadId());
  return ComObject::QueryInterface(riid, object);
}

HRESULT CountingObject::QueryOtherInterface(REFIID riid, void** object) {
  if (!IsEqualGUID(riid, IID_IMarshal) || !marshaler_) return E_NOINTERFACE;
  return marshaler_->QueryInterface(riid, object);
}

HRESULT STDMETHODCALLTYPE CountingFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  const ComPtr<CountingObject> created = MakeComObject<CountingObject>();
  if (!created) return E_OUTOFMEMORY;
  ++created_;
  return created->QueryInterface(riid, object);
}

HRESULT STDMETHODCALLTYPE CountingFactory::LockServer(BOOL lock) { return S_OK; }
