// The base every COM class of ours stands on, and the holders around it.
#include <windows.h>
#include <objbase.h>
#include <propidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <com_object.h>
#include <com_ptr.h>
#include <unique_propvariant.h>
#include <wide_text.h>

#include "counting_object.h"

// A small family of interfaces: ITestDerived extends ITestBase; ITestOther
// stands apart; IID_ITestPrivate is an id only the hook answers.
struct ITestBase : public IUnknown {
  virtual int STDMETHODCALLTYPE BaseValue() = 0;
};
struct ITestDerived : public ITestBase {
  virtual int STDMETHODCALLTYPE DerivedValue() = 0;
};
struct ITestOther : public IUnknown {
  virtual int STDMETHODCALLTYPE OtherValue() = 0;
};

DEFINE_PORTABLE_GUID(IID_ITestBase, 0x3c1f8a20, 0x51d2, 0x4e0b, 0x9a, 0x44, 0x10, 0x6e, 0x2b, 0x7d, 0x91, 0x01)
DEFINE_PORTABLE_GUID(IID_ITestDerived, 0x3c1f8a20, 0x51d2, 0x4e0b, 0x9a, 0x44, 0x10, 0x6e, 0x2b, 0x7d, 0x91, 0x02)
DEFINE_PORTABLE_GUID(IID_ITestOther, 0x3c1f8a20, 0x51d2, 0x4e0b, 0x9a, 0x44, 0x10, 0x6e, 0x2b, 0x7d, 0x91, 0x03)
DEFINE_PORTABLE_GUID(IID_ITestPrivate, 0x3c1f8a20, 0x51d2, 0x4e0b, 0x9a, 0x44, 0x10, 0x6e, 0x2b, 0x7d, 0x91, 0x04)

DECLARE_INTERFACE_ID(ITestBase, IID_ITestBase)
DECLARE_INTERFACE_ID(ITestDerived, IID_ITestDerived)
DECLARE_INTERFACE_ID(ITestOther, IID_ITestOther)

namespace {

class Sample final : public ComObject<Sample, Chain<ITestDerived, ITestBase>, ITestOther> {
 public:
  explicit Sample(std::atomic<int>* destroyed) : destroyed_(destroyed) {}
  ~Sample() { ++*destroyed_; }

  int STDMETHODCALLTYPE BaseValue() override { return 1; }
  int STDMETHODCALLTYPE DerivedValue() override { return 2; }
  int STDMETHODCALLTYPE OtherValue() override { return 3; }

  HRESULT QueryOtherInterface(REFIID iid, void** out) {
    if (!IsEqualIID(iid, IID_ITestPrivate)) return E_NOINTERFACE;
    *out = static_cast<ITestOther*>(this);
    AddRef();
    return S_OK;
  }

 private:
  std::atomic<int>* destroyed_;
};

class ComObjectTest : public testing::Test {
 protected:
  void TearDown() override {
    sample_.Reset();
    EXPECT_EQ(1, destroyed_.load()) << "the object is deleted once, when its last reference goes";
  }

  std::atomic<int> destroyed_{0};
  ComPtr<Sample> sample_ = MakeComObject<Sample>(&destroyed_);
};

TEST_F(ComObjectTest, AnswersEveryListedIdWithItsInterfaceAndAddsOneReference) {
  ASSERT_TRUE(sample_);
  Sample* object = sample_.Get();
  const struct {
    const char* name;
    const IID* iid;
    HRESULT hr;
    void* expected;
  } cases[] = {
      {"IUnknown through the first listed", &IID_IUnknown, S_OK,
       static_cast<IUnknown*>(static_cast<ITestDerived*>(object))},
      {"a chain's head", &IID_ITestDerived, S_OK, static_cast<ITestDerived*>(object)},
      {"a chain's base", &IID_ITestBase, S_OK, static_cast<ITestBase*>(object)},
      {"a second entry", &IID_ITestOther, S_OK, static_cast<ITestOther*>(object)},
      {"an id only the hook knows", &IID_ITestPrivate, S_OK, static_cast<ITestOther*>(object)},
      {"an id nobody knows", &IID_IStream, E_NOINTERFACE, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    void* out = reinterpret_cast<void*>(1);
    ASSERT_EQ(c.hr, object->QueryInterface(*c.iid, &out));
    EXPECT_EQ(c.expected, out);
    EXPECT_EQ(out ? 2u : 1u, object->References());
    if (out) static_cast<IUnknown*>(out)->Release();
  }
  EXPECT_EQ(E_POINTER, sample_->QueryInterface(IID_IUnknown, nullptr));
  ComPtr<ITestBase> base;
  ComPtr<ITestOther> other;
  ASSERT_EQ(S_OK, sample_.As(&base));
  ASSERT_EQ(S_OK, base.As(&other));
  EXPECT_EQ(std::make_pair(1, 3), std::make_pair(base->BaseValue(), other->OtherValue()));
}

TEST_F(ComObjectTest, CountsStayExactAcrossThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([object = sample_.Get()] {
      for (int i = 0; i < 10000; ++i) {
        object->AddRef();
        object->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(1u, sample_->References());
}

TEST_F(ComObjectTest, HoldersAndMakeIntoHandOverExactlyTheirReferences) {
  {
    const ComPtr<ITestOther> copied = sample_;
    EXPECT_EQ(2u, sample_->References());
    ComPtr<ITestBase> moved = MakeComObject<Sample>(&destroyed_);
    EXPECT_EQ(1u, static_cast<Sample*>(moved.Get())->References());
  }
  EXPECT_EQ(1, destroyed_.load()) << "the moved holder let go of its object";
  EXPECT_EQ(1u, sample_->References());
  ITestOther* out = nullptr;
  ASSERT_EQ(S_OK, MakeComObjectInto<Sample>(&out, &destroyed_));
  ASSERT_NE(nullptr, out);
  EXPECT_EQ(3, out->OtherValue());
  EXPECT_EQ(2u, out->AddRef());
  EXPECT_EQ(1u, out->Release());
  EXPECT_EQ(1, destroyed_.load());
  EXPECT_EQ(0u, out->Release());
  EXPECT_EQ(2, destroyed_.load());
  EXPECT_EQ(E_POINTER, (MakeComObjectInto<Sample, ITestOther>(nullptr, &destroyed_)));
  EXPECT_EQ(2, destroyed_.load()) << "nothing is made for nowhere";
  destroyed_ = 0;
}

// The holder clears what it holds before it is filled again and when it goes.
TEST(UniquePropVariant, ClearsOnRefillAndOnScopeEnd) {
  CountingObject* object = CountingObject::Create();
  {
    UniquePropVariant value;
    EXPECT_EQ(VT_EMPTY, value.Type());
    for (int fill = 0; fill < 2; ++fill) {
      PROPVARIANT* out = value.Put();
      EXPECT_EQ(VT_EMPTY, out->vt);
      object->AddRef();
      out->vt = VT_UNKNOWN;
      out->punkVal = object;
      EXPECT_EQ(2u, object->References()) << "the earlier value was let go";
    }
  }
  EXPECT_EQ(1u, object->References());

  UniquePropVariant value;
  value.Put()->vt = VT_BSTR;
  value->bstrVal = SysAllocString(W("kept"));
  PROPVARIANT taken = value.Release();
  EXPECT_EQ(VT_EMPTY, value.Type());
  EXPECT_EQ(VT_BSTR, taken.vt);
  EXPECT_EQ(S_OK, PropVariantClear(&taken));
  object->Release();
}

}  // namespace
