// For the tests: a host settings store that is told what to answer and records
// the plug-in's calls, and a fixture that offers it under the store's class id
// for one test.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <com_object.h>
#include <com_ptr.h>
#include <wide_text.h>

#include "host_sdk/ki_settings_store.h"
#include "host_support/class_object_registration.h"

class FakeSettingsStore final
    : public ComObject<FakeSettingsStore, kiSettingsStoreObject, kiSettingsStore, kiSettingsStore2> {
 public:
  struct Entry {
    HRESULT result = S_OK;
    WString text;
  };

  // What the store answers; set before the plug-in reads.
  bool offersSettingsStore = true;   // kiSettingsStore
  bool offersSettingsStore2 = true;  // kiSettingsStore2
  HRESULT listResult = S_OK;
  std::vector<WString> names;                 // listed in this order, duplicates allowed
  std::multimap<WString, Entry> entries;      // by name; a repeated name answers its texts in turn, the last for good

  // "ListEntriesFiltered(KIM_PDO,Portable)", "ListEntries(Portable)",
  // "GetEntry(Portable,WMDM)", in call order.
  std::vector<std::string> calls;

  // Refuses the interfaces it is told not to offer.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if ((!offersSettingsStore && IsEqualIID(riid, IID_kiSettingsStore)) ||
        (!offersSettingsStore2 && IsEqualIID(riid, IID_kiSettingsStore2))) {
      if (object) *object = nullptr;
      return E_NOINTERFACE;
    }
    return ComObject::QueryInterface(riid, object);
  }

  HRESULT STDMETHODCALLTYPE ListEntries(BSTR category, SAFEARRAY** out) override {
    calls.push_back("ListEntries(" + Utf8(category) + ")");
    return List(out);
  }
  HRESULT STDMETHODCALLTYPE ListEntriesFiltered(BSTR filter, BSTR category, SAFEARRAY** out) override {
    calls.push_back("ListEntriesFiltered(" + Utf8(filter) + "," + Utf8(category) + ")");
    return List(out);
  }
  HRESULT STDMETHODCALLTYPE GetEntry(BSTR category, BSTR name, BSTR* text) override {
    calls.push_back("GetEntry(" + Utf8(category) + "," + Utf8(name) + ")");
    *text = nullptr;
    const auto found = entries.find(name ? WString(name, SysStringLen(name)) : WString());
    if (found == entries.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    const Entry entry = found->second;
    if (entries.count(found->first) > 1) entries.erase(found);
    *text = SysAllocStringLen(entry.text.data(), static_cast<UINT>(entry.text.size()));
    return entry.result;
  }
  HRESULT STDMETHODCALLTYPE Unused3() override { return Unexpected("Unused3"); }
  HRESULT STDMETHODCALLTYPE Unused4() override { return Unexpected("Unused4"); }
  HRESULT STDMETHODCALLTYPE Unused5() override { return Unexpected("Unused5"); }
  HRESULT STDMETHODCALLTYPE Unused6() override { return Unexpected("Unused6"); }

 private:
  static std::string Utf8(BSTR text) { return text ? wide::ToUtf8(text, SysStringLen(text)) : "(null)"; }

  HRESULT Unexpected(const char* method) {
    calls.push_back(method);
    return E_NOTIMPL;
  }

  HRESULT List(SAFEARRAY** out) {
    *out = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(names.size()));
    for (LONG i = 0; i < static_cast<LONG>(names.size()); ++i) {
      BSTR name = SysAllocStringLen(names[i].data(), static_cast<UINT>(names[i].size()));
      SafeArrayPutElement(*out, &i, name);
      SysFreeString(name);
    }
    return listResult;
  }
};

// The manifest texts the tests serve: a store with one "WMDM" entry.
inline void ServeManifest(FakeSettingsStore* store, const WString& text) {
  store->names = {W("WMDM")};
  store->entries = {{W("WMDM"), {S_OK, text}}};
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override {
    registration_.reset();
    // The fixture's own reference is the only one left: the plug-in released
    // every interface of the store it was handed.
    EXPECT_EQ(store_->References(), 1u) << "a reference to the settings store was never released";
    CoUninitialize();
  }

  // Offers the store as it is configured now.
  void Register() {
    registration_ = std::make_unique<ClassObjectRegistration>(CLSID_kcSettingsStore,
                                                              static_cast<kiSettingsStore*>(store_.Get()));
    ASSERT_EQ(S_OK, registration_->Result());
  }
  void Offer(const WString& manifestText) {
    ServeManifest(store_.Get(), manifestText);
    Register();
  }

  const ComPtr<FakeSettingsStore> store_ = MakeComObject<FakeSettingsStore>();
  std::unique_ptr<ClassObjectRegistration> registration_;
};
