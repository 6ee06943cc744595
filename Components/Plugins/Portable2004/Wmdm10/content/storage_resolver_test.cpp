#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "content/locations.h"
#include "content/storage_lookup.h"
#include "core/plugin_test_harness.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

using wmdm_standin::FileDescription;
using wmdm_standin::ObjectId;
using wmdm_standin::ObjectKind;

const WString kCanonical = W("\\\\?\\usb#vid_0b70#pid_0101#r1");

// One player. Internal Memory holds \Music\a.mp3, b.mp3, zero.mp3 (0 bytes),
// \Music\Pop\x.mp3, a hidden \Secret and a folder named like the second
// medium, \Storage Card\decoy.mp3; the medium Storage Card holds
// \Podcast.mp3.
class StorageResolverTest : public PluginHarness {
 protected:
  void SetUp() override {
    PluginHarness::SetUp();
    player_ = model_->AddDevice(SamplePlayer(W("Rover"), kCanonical), wmdm_standin::PlayerModel::Presence::Detached);
    internal_ = model_->AddMedium(player_, Medium(W("Internal Memory")));
    music_ = model_->AddFolder(internal_, W("Music"));
    a_ = AddFile(music_, W("a.mp3"), 4000);
    b_ = AddFile(music_, W("b.mp3"), 5000);
    zero_ = AddFile(music_, W("zero.mp3"), 0);
    pop_ = model_->AddFolder(music_, W("Pop"));
    AddFile(pop_, W("x.mp3"), 100);
    model_->AddFolder(internal_, W("Secret"), wmdm_standin::DefaultFolderAttributes() | WMDM_FILE_ATTR_HIDDEN);
    AddFile(model_->AddFolder(internal_, W("Storage Card")), W("decoy.mp3"), 10);
    card_ = model_->AddMedium(player_, Medium(W("Storage Card")));
    AddFile(card_, W("Podcast.mp3"), 700);
    model_->ConnectDevice(player_);
    Start();
    ASSERT_EQ(ListDevices(), std::vector<DWORD>{1});
  }

  static wmdm_standin::MediumDescription Medium(const WString& name) {
    wmdm_standin::MediumDescription medium;
    medium.name = name;
    medium.totalSize = 1 << 20;
    return medium;
  }

  ObjectId AddFile(ObjectId parent, const WString& name, ULONGLONG size,
                   std::vector<wmdm_standin::ModelTag> tags = {}) {
    FileDescription file;
    file.name = name;
    file.size = size;
    file.format.nSamplesPerSec = 44100;
    file.format.wBitsPerSample = 16;
    file.tags = std::move(tags);
    return model_->AddFile(parent, file);
  }

  static WString Location(const WString& medium) { return locations::ComposeMediaLocation(kCanonical, medium); }
  StorageNode* Resolve(const WString& path, DWORD flags = 0, const WString& medium = W("Internal Memory")) {
    return plugin_.ResolveStorage(Location(medium), path, flags);
  }
  static WString NameOf(const StorageNode* node) {
    if (!node) return W("<null>");
    WCHAR name[260] = {};
    return SUCCEEDED(node->storage->GetName(name, 260)) ? WString(name) : WString(W("<dead>"));
  }

  int Calls(ObjectKind kind, const char* method, ObjectId object = 0) {
    return model_->Faults().Calls(kind, method, object);
  }
  // Every WMDM call the resolver makes, of any object.
  int WmdmCalls() {
    int total = 0;
    for (const char* method : {"GetStorage", "EnumStorage"}) total += Calls(ObjectKind::Device, method);
    for (const char* method :
         {"GetStorage", "EnumStorage", "GetSize", "GetName", "GetParent", "GetAttributes", "GetMetadata"})
      total += Calls(ObjectKind::Storage, method);
    total += Calls(ObjectKind::StorageEnumerator, "Next");
    total += Calls(ObjectKind::MetaData, "QueryByIndex") + Calls(ObjectKind::MetaData, "QueryByName");
    return total;
  }

  ObjectId player_ = 0, internal_ = 0, card_ = 0, music_ = 0, pop_ = 0, a_ = 0, b_ = 0, zero_ = 0;
};

TEST_F(StorageResolverTest, LocationsAndPathsResolveToTheStoragesTheyName) {
  const WString internal = Location(W("Internal Memory"));
  const WString card = Location(W("Storage Card"));
  struct Row {
    WString location;
    const WCHAR* path;
    const WCHAR* expected;  // the storage's name, or "<null>"
  };
  const Row rows[] = {
      {internal, W("\\"), W("Internal Memory")},
      {internal, W("\\Music\\Pop"), W("Pop")},
      {internal, W("\\Music\\\\Pop"), W("Pop")},  // an empty component is skipped
      {internal, W("\\Music\\"), W("Music")},
      {internal, W("\\MUSIC\\A.mp3"), W("a.mp3")},  // names compare ignoring case
      {internal, W("\\Music\\zero.mp3"), W("zero.mp3")},
      {internal, W("\\Music\\missing.mp3"), W("<null>")},
      {internal, W("\\Missing\\a.mp3"), W("<null>")},
      {card, W("\\Podcast.mp3"), W("Podcast.mp3")},
      {card, W("\\decoy.mp3"), W("<null>")},  // the medium, not the folder of its name
      {Location(W("Storage Cart")), W("\\"), W("<null>")},
      {locations::ComposeMediaLocation(W("other"), W("Internal Memory")), W("\\"), W("<null>")},
      {W("wmdm10") + internal.substr(6), W("\\"), W("<null>")},  // the prefix is case-sensitive
      {W("WMDM10nothingtoseparate"), W("\\"), W("<null>")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(wide::ToUtf8(row.location + W(" ") + row.path));
    EXPECT_EQ(wide::ToUtf8(NameOf(plugin_.ResolveStorage(row.location, row.path, 0))), wide::ToUtf8(row.expected));
  }
  EXPECT_EQ(Resolve(W("")), Resolve(W("\\"))) << "the empty path and \"\\\" are one key";
}

TEST_F(StorageResolverTest, CostsOfAResolutionInWmdmCalls) {
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3")));
  model_->Faults().ResetCalls();
  StorageNode* again = Resolve(W("\\Music\\a.mp3"));
  EXPECT_EQ(WmdmCalls(), 0) << "a cached key costs no WMDM call";
  EXPECT_EQ(NameOf(again), W("a.mp3"));

  model_->Faults().ResetCalls();
  StorageNode* sibling = Resolve(W("\\Music\\b.mp3"));
  EXPECT_EQ(Calls(ObjectKind::Storage, "GetStorage", music_), 1) << "a sibling is looked up in its folder";
  EXPECT_EQ(Calls(ObjectKind::Storage, "GetSize"), 1);
  EXPECT_EQ(WmdmCalls(), 2) << "and nothing else: no medium, no enumeration";
  EXPECT_EQ(NameOf(sibling), W("b.mp3"));

  model_->Faults().ResetCalls();
  EXPECT_EQ(NameOf(Resolve(W("\\Music\\zero.mp3"))), W("zero.mp3"));
  EXPECT_EQ(Calls(ObjectKind::Storage, "GetStorage", music_), 1) << "the direct lookup comes first";
  EXPECT_EQ(Calls(ObjectKind::Storage, "EnumStorage", music_), 1) << "an empty answer is checked by enumerating";
}

TEST_F(StorageResolverTest, ADirectAnswerIsTrustedOnlyWithASize) {
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3")));
  struct Row {
    const char* what;
    HRESULT sizeFault;  // S_OK: none
    int enumerations;
  };
  const Row rows[] = {
      {"a file with content", S_OK, 0},
      {"GetSize fails", E_FAIL, 1},
      {"GetSize says the object is dead", WMDM_E_INTERFACEDEAD, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    plugin_.DropNode(Resolve(W("\\Music\\b.mp3")));
    model_->Faults().ResetCalls();
    if (row.sizeFault != S_OK) model_->Faults().Inject(ObjectKind::Storage, "GetSize", row.sizeFault, 1, b_);
    EXPECT_EQ(NameOf(Resolve(W("\\Music\\b.mp3"))), W("b.mp3"));
    EXPECT_EQ(Calls(ObjectKind::Storage, "GetStorage", music_), 1);
    EXPECT_EQ(Calls(ObjectKind::Storage, "EnumStorage", music_), row.enumerations);
    model_->Faults().ClearFaults();
  }
}

TEST_F(StorageResolverTest, MediaAreFoundByTheDevicesLookupOrByEnumeration) {
  struct Row {
    const char* what;
    const WCHAR* medium;
    HRESULT lookupFault;  // S_OK: none
  };
  const Row rows[] = {
      {"the first medium", W("Internal Memory"), S_OK},
      {"a medium whose name a folder of the first one shares", W("Storage Card"), S_OK},
      {"the device's lookup fails", W("Storage Card"), E_FAIL},
      {"the device's lookup finds nothing", W("Storage Card"), S_FALSE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    plugin_.ClearNodeCache();
    model_->Faults().ResetCalls();
    if (row.lookupFault != S_OK) model_->Faults().Inject(ObjectKind::Device, "GetStorage", row.lookupFault);
    StorageNode* root = Resolve(W("\\"), 0, row.medium);
    EXPECT_EQ(NameOf(root), row.medium);
    EXPECT_EQ(Calls(ObjectKind::Device, "GetStorage"), 1) << "the device is asked by name first";
    ComPtr<IWMDMStorage4> root4;
    ComPtr<IWMDMStorage> parent;
    ASSERT_TRUE(root && SUCCEEDED(root->storage.As(&root4)));
    EXPECT_EQ(root4->GetParent(&parent), S_FALSE) << "a medium, not a folder";
    model_->Faults().ClearFaults();
  }
  // Enumeration failing is the resolution failing.
  plugin_.ClearNodeCache();
  model_->Faults().Inject(ObjectKind::Device, "GetStorage", S_FALSE);
  model_->Faults().Inject(ObjectKind::Device, "EnumStorage", E_FAIL);
  EXPECT_EQ(Resolve(W("\\"), 0, W("Storage Card")), nullptr);
}

TEST_F(StorageResolverTest, LookupsRefuseAMissingObjectAndReportAFailedEnumeration) {
  ComPtr<IWMDMStorage> found;
  EXPECT_EQ(FindMedium(nullptr, W("x"), &found), IPP_E_FAIL);
  EXPECT_EQ(FindChildStorage(nullptr, W("x"), &found), IPP_E_FAIL);
  StorageNode* music = Resolve(W("\\Music"));
  ASSERT_TRUE(music);
  EXPECT_EQ(FindChildStorage(music->storage, W("none.mp3"), &found), S_FALSE);
  model_->Faults().Inject(ObjectKind::StorageEnumerator, "Next", E_ACCESSDENIED, 1, music_);
  EXPECT_EQ(FindChildStorage(music->storage, W("none.mp3"), &found), E_ACCESSDENIED);
  EXPECT_FALSE(found);
  model_->Faults().Inject(ObjectKind::Storage, "GetName", E_FAIL, 1, a_);
  EXPECT_EQ(FindChildStorage(music->storage, W("none.mp3"), &found), E_FAIL) << "an unreadable name is reported";
  model_->Faults().Inject(ObjectKind::Storage, "GetName", E_FAIL, 1, a_);
  EXPECT_EQ(FindChildStorage(music->storage, W("zero.mp3"), &found), S_OK) << "but does not hide a later match";
}

TEST_F(StorageResolverTest, ClearingTheNodeCacheDropsTheParentFolderAtTheNextResolution) {
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3")));
  plugin_.ClearNodeCache();
  EXPECT_EQ(plugin_.NodeCacheSize(), 0u);
  model_->Faults().ResetCalls();
  EXPECT_EQ(NameOf(Resolve(W("\\Music\\b.mp3"))), W("b.mp3"));
  EXPECT_EQ(Calls(ObjectKind::Device, "GetStorage"), 1) << "a walk from the medium, not the cached folder";

  // A removed device: the rescan empties the cache, and the folder of the
  // gone device is never asked again.
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3")));
  ASSERT_TRUE(model_->RemoveDevice(player_));
  ASSERT_EQ(plugin_.ReScanDevices(), S_OK);
  model_->Faults().ResetCalls();
  EXPECT_EQ(Resolve(W("\\Music\\zero.mp3")), nullptr);
  EXPECT_EQ(WmdmCalls(), 0);
}

TEST_F(StorageResolverTest, ADeadNodeStaysCachedUntilItsCallerDropsIt) {
  StorageNode* a = Resolve(W("\\Music\\a.mp3"));
  ASSERT_TRUE(a);
  // Renaming a folder kills the interfaces of everything below it.
  ASSERT_EQ(model_->RenameObject(model_->HandleById(music_), W("Tunes")), S_OK);
  ASSERT_EQ(model_->RenameObject(model_->HandleById(music_), W("Music")), S_OK);
  ASSERT_EQ(Resolve(W("\\Music\\a.mp3")), a);
  DWORD low = 0, high = 0;
  EXPECT_EQ(a->storage->GetSize(&low, &high), WMDM_E_INTERFACEDEAD);

  const size_t before = plugin_.NodeCacheSize();
  plugin_.DropNode(a);
  EXPECT_EQ(plugin_.NodeCacheSize(), before - 1);
  StorageNode* fresh = Resolve(W("\\Music\\a.mp3"));
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->storage->GetSize(&low, &high), S_OK) << "the dead parent folder gave way to a walk";
  EXPECT_EQ(low, 4000u);
  plugin_.DropNode(nullptr);
}

TEST_F(StorageResolverTest, AFailedItemLeavesNoNewNodeBehind) {
  EXPECT_EQ(Resolve(W("\\Secret"), RESOLVE_ITEM), nullptr) << "a hidden folder is never given an item";
  EXPECT_EQ(plugin_.NodeCacheSize(), 0u);
  StorageNode* secret = Resolve(W("\\Secret"));
  ASSERT_TRUE(secret) << "resolving without an item still finds it";
  EXPECT_EQ(Resolve(W("\\Secret"), RESOLVE_ITEM), nullptr);
  EXPECT_EQ(Resolve(W("\\Secret")), secret) << "a node that came from the cache stays there";

  model_->Faults().Inject(ObjectKind::Storage, "GetName", E_FAIL, 1, a_);
  EXPECT_EQ(Resolve(W("\\Music\\a.mp3"), RESOLVE_ITEM), nullptr);
  EXPECT_EQ(plugin_.NodeCacheSize(), 1u);
}

TEST_F(StorageResolverTest, InvalidatingAPathMarksItAndTheFoldersAboveIt) {
  plugin_.InvalidateUpwards(Location(W("Internal Memory")), W("\\Music\\Pop"));
  EXPECT_FALSE(Resolve(W("\\Music\\Pop"))->current);
  EXPECT_FALSE(Resolve(W("\\Music"))->current);
  EXPECT_TRUE(Resolve(W("\\"))->current);
  EXPECT_TRUE(Resolve(W("\\Music\\a.mp3"))->current);
}

}  // namespace
