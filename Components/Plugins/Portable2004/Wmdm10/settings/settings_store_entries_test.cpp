#include "settings/settings_store_entries.h"

#include <gmock/gmock.h>

#include "testing/settings_test_support.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SettingsStoreEntriesTest : public SettingsStoreTest {
 protected:
  void LoadPortable() { entries_.Load(W("Portable")); }

  std::map<WString, WString> Expected(std::initializer_list<std::pair<const WString, WString>> pairs) {
    return std::map<WString, WString>(pairs);
  }

  SettingsStoreEntries entries_;
};

// Which of the store's listing calls is used depends on what it offers.
TEST_F(SettingsStoreEntriesTest, ListsThroughWhatTheStoreOffers) {
  struct Row {
    int line;
    bool registered, offers1, offers2;
    std::vector<std::string> calls;
    bool read;
  };
  const Row rows[] = {
      {__LINE__, true, true, true, {"ListEntriesFiltered(KIM_PDO,Portable)", "GetEntry(Portable,WMDM)"}, true},
      {__LINE__, true, true, false, {"ListEntries(Portable)", "GetEntry(Portable,WMDM)"}, true},
      {__LINE__, true, false, true, {}, false},  // not a settings store at all
      {__LINE__, false, true, true, {}, false},  // no store to create
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    store_->calls.clear();
    store_->offersSettingsStore = row.offers1;
    store_->offersSettingsStore2 = row.offers2;
    ServeManifest(store_.Get(), W("<Devices/>"));
    // The last row's registration goes first: COM keeps one class object
    // per class, and revoking an older one after registering anew leaves none.
    registration_.reset();
    if (row.registered) Register();
    LoadPortable();
    EXPECT_EQ(store_->calls, row.calls);
    EXPECT_EQ(entries_.Entries(), row.read ? Expected({{W("WMDM"), W("<Devices/>")}}) : Expected({}));
  }
}

TEST_F(SettingsStoreEntriesTest, ReadsNothingUnlessTheListingAnswersSOk) {
  Offer(W("text"));
  for (HRESULT result : {S_FALSE, E_FAIL}) {
    SCOPED_TRACE(result);
    store_->calls.clear();
    store_->listResult = result;
    LoadPortable();
    EXPECT_THAT(store_->calls, ElementsAre("ListEntriesFiltered(KIM_PDO,Portable)"));
    EXPECT_THAT(entries_.Entries(), IsEmpty());
  }
}

TEST_F(SettingsStoreEntriesTest, KeepsOnlyEntriesReadWithSOkAndTheFirstTextOfAName) {
  store_->names = {W("WMDM"), W("Other"), W("Missing"), W("Late"), W("WMDM"), W("Late")};
  store_->entries = {{W("WMDM"), {S_OK, W("first")}},
                    {W("WMDM"), {S_OK, W("second")}},
                    {W("Other"), {S_FALSE, W("not taken")}},
                    {W("Late"), {E_FAIL, W("failed")}},
                    {W("Late"), {S_OK, W("taken")}}};
  Register();
  LoadPortable();
  // One listing, then one GetEntry per listed name, duplicates included.
  EXPECT_EQ(7u, store_->calls.size());
  EXPECT_EQ(Expected({{W("Late"), W("taken")}, {W("WMDM"), W("first")}}), entries_.Entries());
  ASSERT_NE(nullptr, entries_.Find(W("WMDM")));
  EXPECT_EQ(nullptr, entries_.Find(W("wmdm")));
}

TEST_F(SettingsStoreEntriesTest, CreatesTheStoreOnceAndReleasesEveryReference) {
  Offer(W("text"));
  const ULONG before = store_->References();
  LoadPortable();
  EXPECT_EQ(1u, registration_->CreatedCount());
  EXPECT_EQ(before, store_->References());
  // A second load empties the table first (else the old text would win) and
  // asks a freshly created store.
  store_->entries = {{W("WMDM"), {S_OK, W("changed")}}};
  LoadPortable();
  EXPECT_EQ(2u, registration_->CreatedCount());
  EXPECT_EQ(before, store_->References());
  EXPECT_EQ(Expected({{W("WMDM"), W("changed")}}), entries_.Entries());
}

}  // namespace
