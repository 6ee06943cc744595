#include "host_support/settings_store.h"

#include <gtest/gtest.h>

#include <oleauto.h>

#include <vector>

namespace {

WString Take(BSTR text) {
  WString result = text ? WString(text, SysStringLen(text)) : WString();
  SysFreeString(text);
  return result;
}

class Bstr {
 public:
  explicit Bstr(const WString& text) : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(bstr_); }
  operator BSTR() const { return bstr_; }

 private:
  BSTR bstr_;
};

std::vector<WString> Names(SAFEARRAY* array) {
  std::vector<WString> names;
  LONG lower = 0, upper = -1;
  EXPECT_EQ(S_OK, SafeArrayGetLBound(array, 1, &lower));
  EXPECT_EQ(S_OK, SafeArrayGetUBound(array, 1, &upper));
  EXPECT_EQ(0, lower);
  for (LONG i = lower; i <= upper; ++i) {
    BSTR name = nullptr;
    EXPECT_EQ(S_OK, SafeArrayGetElement(array, &i, &name));
    names.push_back(Take(name));
  }
  SafeArrayDestroy(array);
  return names;
}

class HostSettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, HostSettingsStore::CreateForManifest(W("<Devices/>"), &unknown));
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_kiSettingsStore, reinterpret_cast<void**>(&store_)));
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_kiSettingsStore2, reinterpret_cast<void**>(&store2_)));
    unknown->Release();
  }
  void TearDown() override {
    if (store_) store_->Release();
    if (store2_) store2_->Release();
  }

  kiSettingsStore* store_ = nullptr;
  kiSettingsStore2* store2_ = nullptr;
};

TEST_F(HostSettingsStoreTest, ServesTheManifestAsThePortableWmdmEntry) {
  SAFEARRAY* names = nullptr;
  ASSERT_EQ(S_OK, store_->ListEntries(Bstr(W("Portable")), &names));
  EXPECT_EQ(std::vector<WString>{W("WMDM")}, Names(names));
  ASSERT_EQ(S_OK, store2_->ListEntriesFiltered(Bstr(W("KIM_PDO")), Bstr(W("Portable")), &names));
  EXPECT_EQ(std::vector<WString>{W("WMDM")}, Names(names));
  BSTR text = nullptr;
  ASSERT_EQ(S_OK, store_->GetEntry(Bstr(W("Portable")), Bstr(W("WMDM")), &text));
  EXPECT_EQ(WString(W("<Devices/>")), Take(text));
}

TEST_F(HostSettingsStoreTest, OtherCategoriesAndNamesHoldNothing) {
  for (const WCHAR* category : {W("Other"), W("portable"), W("")}) {
    SAFEARRAY* names = nullptr;
    ASSERT_EQ(S_OK, store_->ListEntries(Bstr(category), &names));
    EXPECT_TRUE(Names(names).empty());
  }
  const struct {
    const WCHAR* category;
    const WCHAR* name;
  } missing[] = {{W("Portable"), W("wmdm")}, {W("Portable"), W("Other")}, {W("Other"), W("WMDM")}};
  for (const auto& entry : missing) {
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_TRUE(FAILED(store_->GetEntry(Bstr(entry.category), Bstr(entry.name), &text)));
    EXPECT_EQ(nullptr, text);
  }
}

TEST_F(HostSettingsStoreTest, AnswersTheThreeStoreInterfacesAsOneObject) {
  IUnknown* viaStore = nullptr;
  IUnknown* viaStore2 = nullptr;
  kiSettingsStoreObject* object = nullptr;
  ASSERT_EQ(S_OK, store_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaStore)));
  ASSERT_EQ(S_OK, store2_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaStore2)));
  ASSERT_EQ(S_OK, store2_->QueryInterface(IID_kiSettingsStoreObject, reinterpret_cast<void**>(&object)));
  EXPECT_EQ(viaStore, viaStore2);
  IDispatch* dispatch = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
  EXPECT_EQ(nullptr, dispatch);
  viaStore->Release();
  viaStore2->Release();
  object->Release();
}

}  // namespace
