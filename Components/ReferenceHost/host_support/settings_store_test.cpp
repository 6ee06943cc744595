#include "host_support/settings_store.h"

#include <gtest/gtest.h>

#include <oleauto.h>

#include <vector>

#include <com_ptr.h>
#include <unique_bstr.h>
#include <unique_safearray.h>

namespace {

std::vector<WString> Names(const UniqueSafeArray& array) {
  std::vector<WString> names;
  for (LONG i = 0; i < array.Count(); ++i) {
    UniqueBstr name;
    EXPECT_EQ(S_OK, SafeArrayGetElement(array.Get(), &i, name.Put()));
    names.push_back(name.ToString());
  }
  return names;
}

TEST(HostSettingsStoreTest, ServesTheManifestAsThePortableWmdmEntryOnly) {
  ComPtr<IUnknown> created;
  ASSERT_EQ(S_OK, HostSettingsStore::CreateForManifest(W("<Devices/>"), &created));
  ComPtr<kiSettingsStore> store;
  ComPtr<kiSettingsStore2> store2;
  ComPtr<kiSettingsStoreObject> object;
  ASSERT_EQ(S_OK, created.As(&store));
  ASSERT_EQ(S_OK, created.As(&store2));
  ASSERT_EQ(S_OK, created.As(&object));
  const UniqueBstr portable(W("Portable")), other(W("portable")), wmdm(W("WMDM")), filter(W("KIM_PDO"));

  UniqueSafeArray names;
  ASSERT_EQ(S_OK, store->ListEntries(portable.Get(), names.Put()));
  EXPECT_EQ(std::vector<WString>{W("WMDM")}, Names(names));
  ASSERT_EQ(S_OK, store2->ListEntriesFiltered(filter.Get(), portable.Get(), names.Put()));
  EXPECT_EQ(std::vector<WString>{W("WMDM")}, Names(names));
  ASSERT_EQ(S_OK, store->ListEntries(other.Get(), names.Put()));
  EXPECT_TRUE(Names(names).empty());

  UniqueBstr text;
  ASSERT_EQ(S_OK, store->GetEntry(portable.Get(), wmdm.Get(), text.Put()));
  EXPECT_EQ(WString(W("<Devices/>")), text.ToString());
  EXPECT_TRUE(FAILED(store->GetEntry(other.Get(), wmdm.Get(), text.Put())));
  EXPECT_TRUE(FAILED(store->GetEntry(portable.Get(), portable.Get(), text.Put())));
  EXPECT_FALSE(text);
}

}  // namespace
