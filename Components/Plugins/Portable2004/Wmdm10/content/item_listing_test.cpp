#include "content/item_filter.h"
#include "testing/resolver_test_player.h"
#include "testing/stale_answers.h"
#include "host_sdk/ipp_result_codes.h"
#include "core/map_result.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

using namespace resolver_testing;
using wmdm_standin::ModelTag;

const WCHAR kDead[] = W("<dead>");

class ItemListingTest : public ResolverPlayerTest {
 protected:
  void TearDown() override {
    if (DeviceRecord* record = plugin_.FindDeviceRecord(1)) record->settings = nullptr;
    ResolverPlayerTest::TearDown();
  }

  struct Listing {
    HRESULT first = E_UNEXPECTED;
    HRESULT end = E_UNEXPECTED;
    std::vector<WString> locations;  // host paths or entry identifiers
    std::vector<LONG> orders;        // "ItemOrder", -1 where there is none
  };

  static void Note(kcIPPItem& item, Listing* listing) {
    listing->locations.push_back(UniqueBstr::Adopt(item.GetLocation()).ToString());
    LONG order = 0;
    listing->orders.push_back(item.GetPropertyLong(W("ItemOrder"), &order) ? order : -1);
  }

  // One whole listing as the host makes it; the lock is checked after every call.
  Listing List(const WString& hostPath, const WString& medium = W("Internal Memory")) {
    Listing listing;
    kcIPPItem item;
    IPPFINDHANDLE find = nullptr;
    listing.first = plugin_.FindFirstItem(Location(medium).c_str(), hostPath.c_str(), &item, &find);
    EXPECT_TRUE(LockIsFree());
    if (listing.first != S_OK) {
      EXPECT_EQ(find, nullptr);
      return listing;
    }
    Note(item, &listing);
    for (;;) {
      kcIPPItem next;
      listing.end = plugin_.FindNextItem(find, &next);
      EXPECT_TRUE(LockIsFree());
      if (listing.end != S_OK) break;
      Note(next, &listing);
    }
    EXPECT_EQ(plugin_.FindItemClose(find), S_OK);
    EXPECT_TRUE(LockIsFree());
    return listing;
  }

  std::vector<WString> Names(const WString& hostPath) { return List(hostPath).locations; }

  kcDeviceSettings deviceSettings_;
};

TEST_F(ItemListingTest, WhatAFolderListingShows) {
  struct Row {
    int line;
    std::vector<const WCHAR*> files;
    std::vector<const WCHAR*> folders;
    DWORD attributes;  // of every child; 0 for the usual ones
    std::vector<const WCHAR*> hiddenFolders;
    std::vector<const WCHAR*> expected;  // names, in the device's order
  };
  const DWORD hidden = wmdm_standin::DefaultFolderAttributes() | WMDM_FILE_ATTR_HIDDEN;
  const DWORD system = wmdm_standin::DefaultFolderAttributes() | WMDM_FILE_ATTR_SYSTEM;
  const Row rows[] = {
      // The extension is searched for in ".mp3;.wma" as plain text.
      {__LINE__, {W("Song.MP3"), W("x.mp"), W("a.ogg"), W("noext"), W("b.wma"), W("clip.w")}, {}, 0, {},
       {W("Song.MP3"), W("x.mp"), W("b.wma"), W("clip.w")}},
      {__LINE__, {}, {W("Keep"), W("Private"), W("private"), W("Private2")}, 0, {W("Other"), W("T1\\Private")},
       {W("Keep"), W("private"), W("Private2")}},
      {__LINE__, {}, {W("A"), W("B")}, hidden, {}, {}},
      {__LINE__, {}, {W("A"), W("B")}, system, {}, {}},
  };
  deviceSettings_.HiddenFolder = {W("Other"), W("T1\\Private")};
  plugin_.FindDeviceRecord(1)->supportedFormats = W(".mp3;.wma");
  int number = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row at line " << row.line);
    const WString folderName = W("T") + wide::FromUtf8(std::to_string(number++));
    const ObjectId folder = model_->AddFolder(internal_, folderName);
    for (const WCHAR* name : row.files) {
      FileDescription file;
      file.name = name;
      file.size = 10;
      file.attributes = row.attributes;
      model_->AddFile(folder, file);
    }
    for (const WCHAR* name : row.folders) model_->AddFolder(folder, name, row.attributes);
    plugin_.FindDeviceRecord(1)->settings = &deviceSettings_;

    std::vector<WString> expected;
    for (const WCHAR* name : row.expected) expected.push_back(W("\\") + folderName + W("\\") + name);
    const Listing listing = List(W("\\") + folderName);
    EXPECT_EQ(listing.locations, expected);
    EXPECT_EQ(listing.first, expected.empty() ? S_FALSE : S_OK);
    EXPECT_EQ(Resolve(W("\\") + folderName)->current, expected.size() == row.files.size() + row.folders.size());
  }
}

TEST_F(ItemListingTest, FolderOfHiddenChildrenAnswersOneAndIsNoLongerCurrent) {
  const ObjectId inner = model_->AddFolder(pop_, W("Inner"));
  FileDescription file;
  file.name = W("h.mp3");
  file.attributes = wmdm_standin::DefaultFileAttributes(file.name) | WMDM_FILE_ATTR_HIDDEN;
  model_->AddFile(inner, file);
  ASSERT_TRUE(Resolve(W("\\Music\\b.mp3")));

  EXPECT_EQ(List(W("\\Music\\Pop\\Inner")).first, S_FALSE);
  for (const WCHAR* path : {W("\\Music\\Pop\\Inner"), W("\\Music\\Pop"), W("\\Music")})
    EXPECT_FALSE(Resolve(path)->current) << wide::ToUtf8(path);
  // The medium's root, a sibling and a folder beside the path stay current.
  for (const WCHAR* path : {W("\\"), W("\\Music\\b.mp3"), W("\\Storage Card")})
    EXPECT_TRUE(Resolve(path)->current) << wide::ToUtf8(path);
}

// A listing reads each child's name and attributes once, however many
// steps (filter, classification, record) use them: its WMDM calls grow by a
// fixed number per child.
TEST_F(ItemListingTest, EachChildIsReadOnce) {
  for (bool keepsPlaylists : {true, false}) {
    SCOPED_TRACE(keepsPlaylists ? "device keeps playlists" : "device keeps no playlists");
    plugin_.FindDeviceRecord(1)->playlistFormatSupported = keepsPlaylists;
    plugin_.Resolver().ClearNodeCache();
    ASSERT_TRUE(Resolve(W("\\Music"), RESOLVE_ITEM));
    model_->Faults().ResetCalls();
    // Without playlists, Mix.pla is a file of a format the device does not play.
    const int shown = keepsPlaylists ? 5 : 4;
    ASSERT_EQ(Names(W("\\Music")).size(), static_cast<size_t>(shown));
    for (const ObjectId child : {a_, b_, zero_, mix_, pop_}) {
      EXPECT_EQ(Calls(ObjectKind::Storage, "GetName", child), 1) << child;
      EXPECT_EQ(Calls(ObjectKind::Storage, "GetAttributes", child), 1) << child;
      const bool built = keepsPlaylists || child != mix_;
      EXPECT_EQ(Calls(ObjectKind::Storage, "GetSize", child), built ? 1 : 0) << child;
      const bool file = child != pop_;
      EXPECT_EQ(Calls(ObjectKind::Storage, "GetMetadata", child), file && keepsPlaylists ? 1 : 0) << child;
    }
    // The enumeration and its seven Next calls (the end is asked twice),
    // name and attributes of the five children, the size of each one shown,
    // and each file's format code (metadata and query) where playlists are
    // kept.
    EXPECT_EQ(WmdmCalls(), 1 + 7 + 5 * 2 + shown + (keepsPlaylists ? 4 * 2 : 0));
  }
}

// A storage whose GetName succeeds without writing a name is unnamed: as a
// file without an extension it is passed over, never taken for the child
// listed before it.
TEST_F(ItemListingTest, AChildNamedNothingIsNotTakenForTheOneBefore) {
  plugin_.FindDeviceRecord(1)->supportedFormats = W(".mp3;.pla");
  model_->Faults().Inject(ObjectKind::Storage, "GetName", S_OK, 1, b_);
  EXPECT_EQ(Names(W("\\Music")), (std::vector<WString>{W("\\Music\\a.mp3"), W("\\Music\\zero.mp3"),
                                                        W("\\Music\\Mix.pla"), W("\\Music\\Pop")}));
  EXPECT_FALSE(Resolve(W("\\Music"))->current) << "the folder showed less than it holds";
}

// A folder named with an empty component still lists its children on the
// paths the host knows them by.
TEST_F(ItemListingTest, ChildPathsAreJoinedAsTheResolverJoinsThem) {
  for (const WCHAR* folder : {W("\\Music\\\\Pop"), W("\\Music\\Pop\\")}) {
    SCOPED_TRACE(wide::ToUtf8(folder));
    EXPECT_EQ(Names(folder), std::vector<WString>{W("\\Music\\Pop\\x.mp3")});
  }
  // A name holding "\\" is no single component: its record is built as for
  // any such path, taken apart at its last "\\" and joined again.
  AddFile(pop_, W("in\\side.mp3"), 10);
  EXPECT_EQ(Names(W("\\Music\\Pop")),
            (std::vector<WString>{W("\\Music\\Pop\\x.mp3"), W("\\Music\\Pop\\in\\in\\side.mp3")}));
}

// Every listed child keeps its node and record in the node cache, and the
// cache may grow many times over while the host holds on to what it had.
TEST_F(ItemListingTest, ListedNodesKeepTheirRecordsWhileTheCacheGrows) {
  NodeRef a = Resolve(W("\\Music\\a.mp3"), RESOLVE_ITEM);
  ASSERT_TRUE(a && a->item);
  kcIPPItem* record = a->item.get();
  constexpr int kCrowd = 300;  // enough entries for several rehashes
  const ObjectId crowd = model_->AddFolder(internal_, W("Crowd"));
  for (int number = 0; number < kCrowd; ++number)
    AddFile(crowd, W("t") + wide::FromUnsigned(number) + W(".mp3"), 1000 + number);
  const size_t before = plugin_.Resolver().NodeCacheSize();
  ASSERT_EQ(Names(W("\\Crowd")).size(), static_cast<size_t>(kCrowd));
  EXPECT_EQ(plugin_.Resolver().NodeCacheSize(), before + 1 + kCrowd) << "the folder and each child have a node";

  model_->Faults().ResetCalls();
  EXPECT_EQ(Resolve(W("\\Music\\a.mp3"), RESOLVE_ITEM), a);
  EXPECT_EQ(a->item.get(), record);
  EXPECT_EQ(UniqueBstr::Adopt(record->GetLocation()).ToString(), W("\\Music\\a.mp3"));
  for (int number = 0; number < kCrowd; ++number) {
    const WString path = W("\\Crowd\\t") + wide::FromUnsigned(number) + W(".mp3");
    NodeRef node = Resolve(path, RESOLVE_ITEM);
    ASSERT_TRUE(node && node->item) << wide::ToUtf8(path);
    EXPECT_EQ(UniqueBstr::Adopt(node->item->GetLocation()).ToString(), path);
    EXPECT_EQ(UniqueBstr::Adopt(node->item->GetTitle()).ToString(), path.substr(7));
    EXPECT_EQ(node->item->GetSize(), 1000u + number);
  }
  EXPECT_EQ(WmdmCalls(), 0) << "every node and record came from the cache";
}

TEST_F(ItemListingTest, ListingsOfTheRootAndOfNothing) {
  EXPECT_EQ(Names(W("")), (std::vector<WString>{W("\\Music"), W("\\Storage Card")}));
  EXPECT_EQ(List(W("\\Music")).orders, std::vector<LONG>(5, -1)) << "only playlist entries are numbered";
  EXPECT_EQ(Names(W("\\Music")), (std::vector<WString>{W("\\Music\\a.mp3"), W("\\Music\\b.mp3"),
                                                        W("\\Music\\zero.mp3"), W("\\Music\\Mix.pla"),
                                                        W("\\Music\\Pop")}));
  // A device that will not take the raw enumeration lists as it lists.
  model_->Faults().Inject(ObjectKind::Storage, "SetEnumPreference", WMDM_E_NOTSUPPORTED, 1, pop_);
  EXPECT_EQ(Names(W("\\Music\\Pop")), std::vector<WString>{W("\\Music\\Pop\\x.mp3")});
  EXPECT_EQ(Calls(ObjectKind::Storage, "SetEnumPreference", pop_), 1);
  model_->AddFolder(internal_, W("Empty"));
  EXPECT_EQ(List(W("\\Empty")).first, S_FALSE);
  EXPECT_EQ(List(W("\\Missing")).first, IPP_E_NOTFOUND);

  callback_.ClearEvents();
  kcIPPItem item;
  IPPFINDHANDLE find = nullptr;
  const WString loc = Location(W("Internal Memory"));
  EXPECT_EQ(plugin_.FindFirstItem(nullptr, W("\\Music"), &item, &find), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindFirstItem(loc.c_str(), nullptr, &item, &find), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindFirstItem(loc.c_str(), W("\\Music"), nullptr, &find), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindFirstItem(loc.c_str(), W("\\Music"), &item, nullptr), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindNextItem(nullptr, &item), IPP_E_FAIL);
  EXPECT_TRUE(callback_.LogLines().empty());
  EXPECT_EQ(plugin_.FindItemClose(nullptr), S_OK);
  ASSERT_EQ(plugin_.FindFirstItem(loc.c_str(), W("\\Music"), &item, &find), S_OK);
  EXPECT_EQ(plugin_.FindNextItem(find, nullptr), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindNextItem(find, &item), S_OK);
  EXPECT_EQ(plugin_.FindItemClose(find), S_OK);
  EXPECT_EQ(callback_.LogLines(),
            (std::vector<WString>{W("WMDM10::FindItemClose called\n"), W("WMDM10::FindFirstItem called\n"),
                                  W("WMDM10::FindNextItem called\n"), W("WMDM10::FindItemClose called\n")}));
}

TEST_F(ItemListingTest, PlaylistEntriesNumberOnlyTheReportedOnes) {
  const ObjectId ogg = AddFile(music_, W("c.ogg"), 10);
  const ObjectId gone = AddFile(music_, W("gone.mp3"), 10);
  model_->AddPlaylist(music_, W("Run.pla"), {a_, ogg, gone, b_, zero_});
  // The entry's name cannot be read: it is passed over like a hidden one.
  ASSERT_TRUE(Resolve(W("\\Music\\Run.pla"), RESOLVE_ITEM));
  model_->Faults().Inject(ObjectKind::Storage, "GetName", WMDM_E_INTERFACEDEAD, 1, gone);

  const Listing listing = List(W("\\Music\\Run.pla"));
  EXPECT_EQ(listing.first, S_OK);
  EXPECT_EQ(listing.end, S_FALSE);
  EXPECT_EQ(listing.locations,
            (std::vector<WString>{W("\\Music\\Run.pla|\\Music\\a.mp3"), W("\\Music\\Run.pla|\\Music\\b.mp3"),
                                  W("\\Music\\Run.pla|\\Music\\zero.mp3")}));
  EXPECT_EQ(listing.orders, (std::vector<LONG>{0, 1, 2}));
  EXPECT_TRUE(Resolve(W("\\Music"))->current) << "a playlist's entries say nothing about the folder";

  // Seen from an alternate root, both halves are host paths.
  deviceSettings_.AlternateRoot = W("\\Music");
  plugin_.FindDeviceRecord(1)->settings = &deviceSettings_;
  plugin_.Resolver().ClearNodeCache();
  EXPECT_EQ(Names(W("\\Mix.pla")), std::vector<WString>{W("\\Mix.pla|\\a.mp3")});

  model_->AddPlaylist(music_, W("Odd.pla"), {ogg});
  model_->AddPlaylist(music_, W("None.pla"), {});
  EXPECT_EQ(List(W("\\Odd.pla")).first, S_FALSE);
  EXPECT_EQ(List(W("\\None.pla")).first, S_FALSE);
}

TEST_F(ItemListingTest, ItemInformationReadsTagsOnceAndResolvesEntries) {
  const ObjectId song = AddFile(music_, W("song.mp3"), 10,
                                {ModelTag::String(g_wszWMDMTitle, W("Song")),
                                 ModelTag::String(g_wszWMDMAlbumTitle, W("Album"))});
  const WString loc = Location(W("Internal Memory"));
  // Listed without tags: the title is the file name.
  EXPECT_EQ(Names(W("\\Music")).size(), 6u);
  kcIPPItem listed;
  Resolve(W("\\Music\\song.mp3"))->item->CopyTo(&listed);
  EXPECT_EQ(UniqueBstr::Adopt(listed.GetTitle()).ToString(), W("song.mp3"));

  callback_.ClearEvents();
  model_->Faults().ResetCalls();
  for (const WCHAR* id : {W("\\Music\\song.mp3"), W("\\Music\\Mix.pla|\\Music\\song.mp3")}) {
    kcIPPItem item;
    ASSERT_EQ(plugin_.GetItemInformation(loc.c_str(), id, &item), S_OK) << wide::ToUtf8(id);
    EXPECT_EQ(UniqueBstr::Adopt(item.GetTitle()).ToString(), W("Song"));
    EXPECT_EQ(UniqueBstr::Adopt(item.GetAlbum()).ToString(), W("Album"));
    EXPECT_EQ(UniqueBstr::Adopt(item.GetLocation()).ToString(), W("\\Music\\song.mp3")) << "the track's own record";
  }
  EXPECT_EQ(Calls(ObjectKind::Storage, "GetMetadata", song), 1) << "tags are read once per node";
  EXPECT_EQ(callback_.LogLines(),
            std::vector<WString>(2, W("WMDM10::GetItemInformation called for item at \\Music\\song.mp3\n")));

  kcIPPItem item;
  EXPECT_EQ(plugin_.GetItemInformation(loc.c_str(), W("\\Music\\none.mp3"), &item), IPP_E_NOTFOUND);
  EXPECT_EQ(plugin_.GetItemInformation(nullptr, W("\\Music\\a.mp3"), &item), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetItemInformation(loc.c_str(), nullptr, &item), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetItemInformation(loc.c_str(), W("\\Music\\a.mp3"), nullptr), IPP_E_FAIL);
}

TEST_F(ItemListingTest, AStaleAnswerIsRetriedExactlyOnce) {
  const WString loc = Location(W("Internal Memory"));
  const Listing before = List(W("\\Music\\Pop"));
  ASSERT_EQ(before.locations, std::vector<WString>{W("\\Music\\Pop\\x.mp3")});

  // The folder was replaced since its node was made: the second attempt
  // finds the new one.
  ASSERT_EQ(model_->DeleteObject(model_->HandleById(pop_), true), S_OK);
  AddFile(model_->AddFolder(music_, W("Pop")), W("y.mp3"), 10);
  EXPECT_EQ(Names(W("\\Music\\Pop")), std::vector<WString>{W("\\Music\\Pop\\y.mp3")});

  // The folder's answer: dead, or "path not found" from a player giving Win32 codes.
  for (const StaleAnswer& stale : kStaleAnswers) {
    ASSERT_TRUE(stale.SetOn(*model_, player_));
    for (int times : {1, 2, 1}) {
      SCOPED_TRACE(testing::Message() << times << " stale answers, " << stale.name);
      model_->Faults().ResetCalls();
      model_->Faults().InjectStale(ObjectKind::Storage, "EnumStorage", times, music_);
      const Listing listing = List(W("\\Music"));
      EXPECT_EQ(listing.first, times == 1 ? S_OK : MapResult(stale.folder));
      EXPECT_EQ(Calls(ObjectKind::Storage, "EnumStorage", music_), 2);
      model_->Faults().ClearFaults();
    }
  }
  ASSERT_TRUE(model_->SetStaleAsFileErrors(player_, false));

  // Only the enumeration itself counts: a child that died in a listing's
  // snapshot is passed over.
  model_->Faults().ResetCalls();
  kcIPPItem item;
  IPPFINDHANDLE find = nullptr;
  ASSERT_EQ(plugin_.FindFirstItem(loc.c_str(), W("\\Music"), &item, &find), S_OK);
  ASSERT_EQ(model_->DeleteObject(model_->HandleById(b_), false), S_OK);
  EXPECT_EQ(plugin_.FindNextItem(find, &item), S_OK);
  EXPECT_EQ(UniqueBstr::Adopt(item.GetLocation()).ToString(), W("\\Music\\zero.mp3"));
  EXPECT_EQ(plugin_.FindItemClose(find), S_OK);
  EXPECT_EQ(Calls(ObjectKind::Storage, "EnumStorage", music_), 1);

  model_->Faults().Inject(ObjectKind::StorageEnumerator, "Next", E_FAIL);
  EXPECT_EQ(List(W("\\Music")).first, MapResult(E_FAIL));
}

HRESULT NoteVisit(const WString&, const NodeRef& node, void* context) {
  auto* visits = static_cast<std::vector<WString>*>(context);
  WCHAR name[260] = {};
  visits->push_back(SUCCEEDED(node->storage->GetName(name, 259)) ? WString(name) : WString(kDead));
  return visits->size() == 100 ? E_ABORT : S_OK;
}

HRESULT FailOnTrackX(const WString&, const NodeRef& node, void* context) {
  WCHAR name[260] = {};
  node->storage->GetName(name, 259);
  static_cast<std::vector<WString>*>(context)->push_back(name);
  return WString(name) == W("x.mp3") ? E_ACCESSDENIED : S_OK;
}

TEST_F(ItemListingTest, TreeWalkVisitsChildrenFirstAndMarksWalkedFolders) {
  const WString loc = Location(W("Internal Memory"));
  {
    ScopedLock held(plugin_.Lock());
    std::vector<WString> visits;
    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Music"), NoteVisit, &visits), S_OK);
    EXPECT_EQ(visits, (std::vector<WString>{W("a.mp3"), W("b.mp3"), W("zero.mp3"), W("Mix.pla"), W("x.mp3"),
                                            W("Pop"), W("Music")}));
    EXPECT_FALSE(Resolve(W("\\Music"))->walked) << "a visiting walk leaves the marks alone";

    visits.clear();
    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Music"), FailOnTrackX, &visits), E_ACCESSDENIED);
    EXPECT_EQ(visits, (std::vector<WString>{W("a.mp3"), W("b.mp3"), W("zero.mp3"), W("Mix.pla"), W("x.mp3")}))
        << "the folders above a failed item are not visited";
    EXPECT_FALSE(Resolve(W("\\Music\\Pop"))->walked) << "a failed walk is repeated";

    plugin_.Resolver().ClearNodeCache();

    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Music"), nullptr, nullptr), S_OK);
    for (const WCHAR* path : {W("\\Music"), W("\\Music\\Pop"), W("\\Music\\a.mp3")})
      EXPECT_TRUE(Resolve(path)->walked) << wide::ToUtf8(path);
    model_->Faults().ResetCalls();
    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Music"), nullptr, nullptr), S_OK);
    EXPECT_EQ(Calls(ObjectKind::Storage, "EnumStorage"), 0) << "a walked folder is not listed again";

    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Nowhere"), nullptr, nullptr), IPP_E_NOTFOUND);
    Resolve(W("\\Storage Card"), RESOLVE_ITEM);
    model_->Faults().Inject(ObjectKind::StorageEnumerator, "Next", E_FAIL);
    // The platform's answer, for the calling slot to map once.
    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Storage Card"), nullptr, nullptr), E_FAIL);
    EXPECT_FALSE(Resolve(W("\\Storage Card"))->walked);
  }
}

// A listing is believed complete only when its end is said twice in a row,
// and a busy answer is asked again: the walk then sees every child. Busy for
// good stops it before anything is visited.
TEST_F(ItemListingTest, TreeWalkSeesEveryChildDespiteEarlyEndsAndBusyAnswers) {
  const WString loc = Location(W("Internal Memory"));
  const std::vector<WString> every = {W("a.mp3"), W("b.mp3"), W("zero.mp3"), W("Mix.pla"), W("x.mp3"), W("Pop"),
                                      W("Music")};
  const struct {
    const char* name;
    HRESULT answer;
    int times;
    HRESULT result;
  } rows[] = {
      {"an early end", S_FALSE, 1, S_OK},
      {"busy three times", WMDM_E_BUSY, 3, S_OK},
      {"busy for good", WMDM_E_BUSY, wmdm_standin::kEveryCall, WMDM_E_BUSY},
  };
  ScopedLock held(plugin_.Lock());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<WString> visits;
    model_->Faults().Inject(ObjectKind::StorageEnumerator, "Next", row.answer, row.times, pop_);
    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Music\\Pop"), nullptr, nullptr), row.result);
    EXPECT_EQ(Resolve(W("\\Music\\Pop"))->walked, row.result == S_OK);
    model_->Faults().ClearFaults();
    model_->Faults().Inject(ObjectKind::StorageEnumerator, "Next", row.answer, row.times, pop_);
    EXPECT_EQ(plugin_.Content().WalkTree(loc, W("\\Music"), NoteVisit, &visits), row.result);
    model_->Faults().ClearFaults();
    const std::vector<WString> beforePop(every.begin(), every.begin() + 4);
    EXPECT_EQ(visits, row.result == S_OK ? every : beforePop);
    plugin_.Resolver().ClearNodeCache();
  }
}

TEST(ItemFilterTest, HiddenFoldersMatchExactly) {
  kcDeviceSettings settings;
  EXPECT_FALSE(IsHiddenFolder(settings, W("")));
  settings.HiddenFolder = {W("System"), W("Music\\Private")};
  for (const WCHAR* path : {W("Music\\Private"), W("System")}) EXPECT_TRUE(IsHiddenFolder(settings, path));
  for (const WCHAR* path : {W("music\\private"), W("Music\\Private\\"), W("\\System"), W("Sys"), W("")})
    EXPECT_FALSE(IsHiddenFolder(settings, path)) << wide::ToUtf8(path);
  EXPECT_EQ(StoragePath(nullptr, nullptr), IPP_E_FAIL);
}

}  // namespace
