#include <gtest/gtest.h>

#include <vector>

#include "testing/resolver_test_player.h"
#include "content/storage_lookup.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

using resolver_testing::ObjectKind;
using StorageResolverTest = resolver_testing::ResolverPlayerTest;

// A device whose lookup by name answers with a storage the test chooses;
// its media come from the real device. FindMedium calls nothing else.
class ChosenLookupDevice final : public ComObject<ChosenLookupDevice, Chain<IWMDMDevice2, IWMDMDevice>> {
 public:
  ChosenLookupDevice(ComPtr<IWMDMDevice> media, ComPtr<IWMDMStorage> answer)
      : media_(std::move(media)), answer_(std::move(answer)) {}
  HRESULT QueryOtherInterface(REFIID, void**) { return E_NOINTERFACE; }

  HRESULT STDMETHODCALLTYPE GetStorage(LPCWSTR, IWMDMStorage** storage) override {
    *storage = nullptr;
    return answer_ ? answer_.CopyTo(storage) : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE EnumStorage(IWMDMEnumStorage** media) override { return media_->EnumStorage(media); }

  HRESULT STDMETHODCALLTYPE GetName(LPWSTR, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetManufacturer(LPWSTR, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetVersion(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetType(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSerialNumber(PWMDMID, BYTE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPowerSource(DWORD*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStatus(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDeviceIcon(ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFormatSupport(_WAVEFORMATEX**, UINT*, LPWSTR**, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SendOpaqueCommand(OPAQUECOMMAND*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFormatSupport2(DWORD, _WAVEFORMATEX**, UINT*, _VIDEOINFOHEADER**, UINT*,
                                              WMFILECAPABILITIES**, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetSpecifyPropertyPages(ISpecifyPropertyPages**, IUnknown***, ULONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalName(LPWSTR, UINT) override { return E_NOTIMPL; }

 private:
  ComPtr<IWMDMDevice> media_;
  ComPtr<IWMDMStorage> answer_;
};

// A medium answers no parent; a folder does.
bool IsMedium(const ComPtr<IWMDMStorage>& storage) {
  ComPtr<IWMDMStorage4> storage4;
  ComPtr<IWMDMStorage> parent;
  return storage && SUCCEEDED(storage.As(&storage4)) && storage4->GetParent(&parent) == S_FALSE;
}

TEST_F(StorageResolverTest, LocationsAndPathsResolveToTheStoragesTheyName) {
  const WString internal = Location(W("Internal Memory"));
  const WString card = Location(W("Storage Card"));
  const struct {
    WString location;
    const WCHAR *path, *expected;  // the storage's name, or "<null>"
  } rows[] = {
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
  for (const auto& row : rows)
    EXPECT_EQ(wide::ToUtf8(NameOf(plugin_.Resolver().ResolveStorage(row.location, row.path, 0))), wide::ToUtf8(row.expected))
        << wide::ToUtf8(row.location + W(" ") + row.path);
  EXPECT_EQ(Resolve(W("")), Resolve(W("\\"))) << "the empty path and \"\\\" are one key";
}

// A sibling of the folder at hand is looked up in that folder; a cached key
// costs no WMDM call at all.
TEST_F(StorageResolverTest, ADirectAnswerIsTrustedOnlyWithASizeOrAsAFolder) {
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3")));
  const struct {
    const WCHAR* name;
    HRESULT sizeFault;  // S_OK: none
    int enumerations;
    int wmdmCalls;
  } rows[] = {
      {W("b.mp3"), S_OK, 0, 2},                  // a file with content: no medium, no enumeration
      {W("Pop"), S_OK, 0, 3},                    // a folder, which has no size: its attributes say
      {W("zero.mp3"), S_OK, 1, 10},              // an empty file
      {W("b.mp3"), E_FAIL, 1, 8},                // a size that cannot be read
      {W("b.mp3"), WMDM_E_INTERFACEDEAD, 1, 8},  // nor that of a dead object
  };
  for (const auto& row : rows) {
    const WString path = WString(W("\\Music\\")) + row.name;
    SCOPED_TRACE(wide::ToUtf8(path));
    plugin_.Resolver().DropNode(Resolve(path));
    model_->Faults().ResetCalls();
    if (row.sizeFault != S_OK) model_->Faults().Inject(ObjectKind::Storage, "GetSize", row.sizeFault, 1, b_);
    NodeRef node = Resolve(path);
    EXPECT_EQ(Calls(ObjectKind::Storage, "GetStorage", music_), 1) << "the direct lookup comes first";
    EXPECT_EQ(Calls(ObjectKind::Storage, "EnumStorage", music_), row.enumerations);
    EXPECT_EQ(WmdmCalls(), row.wmdmCalls);
    EXPECT_EQ(NameOf(node), row.name);
    model_->Faults().ClearFaults();
    model_->Faults().ResetCalls();
    EXPECT_EQ(Resolve(path), node);
    EXPECT_EQ(WmdmCalls(), 0) << "a cached key costs no WMDM call";
  }
}

TEST_F(StorageResolverTest, MediaAreFoundByTheDevicesLookupOrByEnumeration) {
  const struct {
    const char* what;
    const WCHAR* medium;
    HRESULT lookupFault;  // S_OK: none
  } rows[] = {
      {"the first medium", W("Internal Memory"), S_OK},
      {"a medium whose name a folder of the first one shares", W("Storage Card"), S_OK},
      {"the device's lookup fails", W("Storage Card"), E_FAIL},
      {"the device's lookup finds nothing", W("Storage Card"), S_FALSE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    plugin_.Resolver().ClearNodeCache();
    model_->Faults().ResetCalls();
    if (row.lookupFault != S_OK) model_->Faults().Inject(ObjectKind::Device, "GetStorage", row.lookupFault);
    NodeRef root = Resolve(W("\\"), 0, row.medium);
    EXPECT_EQ(NameOf(root), row.medium);
    EXPECT_EQ(Calls(ObjectKind::Device, "GetStorage"), 1) << "the device is asked by name first";
    ASSERT_TRUE(root);
    EXPECT_TRUE(IsMedium(root->storage));
    model_->Faults().ClearFaults();
  }
  // Enumeration failing is the resolution failing.
  plugin_.Resolver().ClearNodeCache();
  model_->Faults().Inject(ObjectKind::Device, "GetStorage", S_FALSE);
  model_->Faults().Inject(ObjectKind::Device, "EnumStorage", E_FAIL);
  EXPECT_EQ(Resolve(W("\\"), 0, W("Storage Card")), nullptr);
}

TEST_F(StorageResolverTest, TheDevicesAnswerIsTakenOnlyWhenItIsAMedium) {
  NodeRef card = Resolve(W("\\"), 0, W("Storage Card"));
  NodeRef folder = Resolve(W("\\Storage Card"));
  ASSERT_TRUE(card && folder);
  const struct {
    const char* what;
    ComPtr<IWMDMStorage> answer;
    int enumerations;
  } rows[] = {
      {"the medium itself", card->storage, 0},
      {"a folder of the first medium with the medium's name", folder->storage, 1},
      {"nothing", nullptr, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ComPtr<IWMDMDevice> device = MakeComObject<ChosenLookupDevice>(card->device, row.answer);
    model_->Faults().ResetCalls();
    ComPtr<IWMDMStorage> found;
    ASSERT_EQ(FindMedium(device, W("storage card"), &found), S_OK);
    EXPECT_EQ(Calls(ObjectKind::Device, "EnumStorage"), row.enumerations);
    EXPECT_TRUE(IsMedium(found));
  }
  ComPtr<IWMDMStorage> found;
  EXPECT_EQ(FindMedium(MakeComObject<ChosenLookupDevice>(card->device, nullptr), W("no such medium"), &found), S_FALSE);
  EXPECT_FALSE(found);
}

TEST_F(StorageResolverTest, AStorageHandedInIsTakenWithoutALookup) {
  NodeRef music = Resolve(W("\\Music"));
  ASSERT_TRUE(music && Resolve(W("\\Music\\a.mp3")));  // \Music is now the parent at hand
  ComPtr<IWMDMStorage> b;
  ASSERT_EQ(FindChildStorage(music->storage, W("b.mp3"), &b), S_OK);
  IWMDMStorage* const handedIn = b.Get();
  model_->Faults().ResetCalls();
  NodeRef node = plugin_.Resolver().ResolveStorage(Location(W("Internal Memory")), W("\\Music\\b.mp3"), 0,
                                             plugin_.FindDeviceRecord(1), std::move(b));
  ASSERT_TRUE(node);
  EXPECT_EQ(node->storage.Get(), handedIn);
  EXPECT_EQ(node->deviceNumber, 1);
  EXPECT_EQ(WmdmCalls(), 0);
  // The folder walked before is no longer the parent at hand.
  EXPECT_TRUE(Resolve(W("\\Music\\zero.mp3")));
  EXPECT_EQ(Calls(ObjectKind::Device, "GetStorage"), 1);
}

TEST_F(StorageResolverTest, AnAlternateRootTheDeviceLacksIsForgottenForThatDevice) {
  kcDeviceSettings settings;
  settings.AlternateRoot = W("\\Nowhere");
  DeviceRecord* record = plugin_.FindDeviceRecord(1);
  record->settings = &settings;
  const WString loc = Location(W("Internal Memory"));
  EXPECT_EQ(plugin_.Resolver().RootPrefix(loc), W(""));
  EXPECT_TRUE(record->alternateRootForgotten);
  EXPECT_EQ(settings.AlternateRoot, W("\\Nowhere")) << "other devices of the model keep it";
  model_->Faults().ResetCalls();
  EXPECT_EQ(plugin_.Resolver().ToHostPath(loc, W("\\Nowhere\\a.mp3")), W("\\Nowhere\\a.mp3"));
  EXPECT_EQ(WmdmCalls(), 0) << "not looked for again";

  // An existing root is looked up once and then comes from the cache.
  kcDeviceSettings music;
  music.AlternateRoot = W("\\Music");
  record->settings = &music;
  record->alternateRootForgotten = false;
  EXPECT_EQ(plugin_.Resolver().RootPrefix(loc), W("\\Music"));
  model_->Faults().ResetCalls();
  EXPECT_EQ(plugin_.Resolver().ToDevicePath(loc, W("\\Pop\\x.mp3")), W("\\Music\\Pop\\x.mp3"));
  EXPECT_EQ(plugin_.Resolver().ToDevicePath(loc, W("")), W("\\Music"));
  EXPECT_EQ(plugin_.Resolver().ToHostPath(loc, W("\\Music\\Pop\\x.mp3")), W("\\Pop\\x.mp3"));
  EXPECT_EQ(plugin_.Resolver().ToHostPath(loc, W("\\Other\\x")), W("\\Other\\x"));
  WString playlist, track;
  ASSERT_TRUE(plugin_.Resolver().SplitEntryId(loc, W("\\Lists\\Run.pla|\\a.mp3"), &playlist, &track));
  EXPECT_EQ(playlist + W(" ") + track, W("\\Music\\Lists\\Run.pla \\Music\\a.mp3"));
  EXPECT_EQ(WmdmCalls(), 0);
  NodeRef x = Resolve(W("\\Music\\Pop\\x.mp3"), RESOLVE_ITEM);
  ASSERT_TRUE(x && x->item);
  UniqueBstr location;
  location.Reset(x->item->GetLocation());
  EXPECT_EQ(location.ToString(), W("\\Pop\\x.mp3")) << "items carry host paths";
  record->settings = nullptr;
}

TEST_F(StorageResolverTest, LookupsRefuseAMissingObjectAndReportAFailedEnumeration) {
  ComPtr<IWMDMStorage> found;
  EXPECT_EQ(FindMedium(nullptr, W("x"), &found), IPP_E_FAIL);
  EXPECT_EQ(FindChildStorage(nullptr, W("x"), &found), IPP_E_FAIL);
  NodeRef music = Resolve(W("\\Music"));
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

// The cards players carry compare names without regard to case in more
// than ASCII; a name read off the folder matches as they would match it.
// (The device's own answer by name is refused here, so the names are read.)
TEST_F(StorageResolverTest, AFolderIsSearchedWithoutRegardToCaseBeyondAscii) {
  AddFile(music_, W("\u00c4rger.mp3"), 10);        // Ärger
  AddFile(music_, W("\u0416\u0443\u043a.mp3"), 10);  // Жук
  AddFile(music_, W("\u00f6l.mp3"), 10);           // öl, and
  AddFile(music_, W("\u00d6l.mp3"), 10);           // Öl: two that differ in case only
  NodeRef music = Resolve(W("\\Music"));
  ASSERT_TRUE(music);
  const struct {
    const WCHAR *asked, *found;  // "<null>": none
  } rows[] = {
      {W("\u00e4rger.mp3"), W("\u00c4rger.mp3")},
      {W("\u00c4RGER.MP3"), W("\u00c4rger.mp3")},
      {W("\u0436\u0423\u041a.mp3"), W("\u0416\u0443\u043a.mp3")},
      {W("arger.mp3"), W("<null>")},        // case only: a letter's marks still count
      {W("\u00d6l.mp3"), W("\u00d6l.mp3")},  // the exact name first
      {W("\u00d6L.mp3"), W("<null>")},     // two in another case: neither is guessed
  };
  for (const auto& row : rows) {
    model_->Faults().Inject(ObjectKind::Storage, "GetStorage", E_FAIL, 1, music_);
    ComPtr<IWMDMStorage> found;
    const HRESULT hr = FindChildStorage(music->storage, row.asked, &found);
    WCHAR name[260] = {};
    if (found) found->GetName(name, 260);
    EXPECT_EQ(wide::ToUtf8(found ? WString(name) : WString(W("<null>"))), wide::ToUtf8(row.found))
        << wide::ToUtf8(row.asked);
    EXPECT_EQ(hr, found ? S_OK : S_FALSE) << wide::ToUtf8(row.asked);
  }
}

TEST_F(StorageResolverTest, ClearingTheNodeCacheDropsTheParentFolderAtTheNextResolution) {
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3")));
  plugin_.Resolver().ClearNodeCache();
  EXPECT_EQ(plugin_.Resolver().NodeCacheSize(), 0u);
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

TEST_F(StorageResolverTest, AWalkThatFailsPartWayLeavesNoFolderAtHand) {
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3")));
  EXPECT_EQ(Resolve(W("\\Music\\Pop\\x.mp3\\none")), nullptr);
  // Pop, passed on the way, must not stand in for \Music: x.mp3 is only in Pop.
  EXPECT_EQ(Resolve(W("\\Music\\x.mp3")), nullptr);
}

TEST_F(StorageResolverTest, ADeadNodeStaysCachedUntilItsCallerDropsIt) {
  NodeRef a = Resolve(W("\\Music\\a.mp3"));
  ASSERT_TRUE(a);
  // Renaming a folder kills the interfaces of everything below it.
  ASSERT_EQ(model_->RenameObject(model_->HandleById(music_), W("Tunes")), S_OK);
  ASSERT_EQ(model_->RenameObject(model_->HandleById(music_), W("Music")), S_OK);
  ASSERT_EQ(Resolve(W("\\Music\\a.mp3")), a);
  DWORD low = 0, high = 0;
  EXPECT_EQ(a->storage->GetSize(&low, &high), WMDM_E_INTERFACEDEAD);

  const size_t before = plugin_.Resolver().NodeCacheSize();
  plugin_.Resolver().DropNode(a);
  EXPECT_EQ(plugin_.Resolver().NodeCacheSize(), before - 1);
  EXPECT_FALSE(a) << "a handle to a dropped node reads null rather than freed memory";
  NodeRef fresh = Resolve(W("\\Music\\a.mp3"));
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->storage->GetSize(&low, &high), S_OK) << "the dead parent folder gave way to a walk";
  EXPECT_EQ(low, 4000u);
  plugin_.Resolver().DropNode(nullptr);
}

TEST_F(StorageResolverTest, AFailedItemLeavesNoNewNodeBehind) {
  EXPECT_EQ(Resolve(W("\\Secret"), RESOLVE_ITEM), nullptr) << "a hidden folder is never given an item";
  EXPECT_EQ(plugin_.Resolver().NodeCacheSize(), 0u);
  NodeRef secret = Resolve(W("\\Secret"));
  ASSERT_TRUE(secret) << "resolving without an item still finds it";
  EXPECT_EQ(Resolve(W("\\Secret"), RESOLVE_ITEM), nullptr);
  EXPECT_EQ(Resolve(W("\\Secret")), secret) << "a node that came from the cache stays there";

  model_->Faults().Inject(ObjectKind::Storage, "GetName", E_FAIL, 1, a_);
  EXPECT_EQ(Resolve(W("\\Music\\a.mp3"), RESOLVE_ITEM), nullptr);
  EXPECT_EQ(plugin_.Resolver().NodeCacheSize(), 1u);
  EXPECT_EQ(Resolve(W("\\Music\\none.mp3")), nullptr);
  EXPECT_EQ(plugin_.Resolver().NodeCacheSize(), 1u) << "a storage not found leaves no place in the cache";
  ASSERT_TRUE(Resolve(W("\\Music\\a.mp3"), RESOLVE_ITEM)) << "and a failed item none either";
}

}  // namespace
