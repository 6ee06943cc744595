#include <functional>

#include "testing/content_changes_test.h"
#include "testing/resolver_test_player.h"
#include "testing/stale_answers.h"
#include "core/map_result.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_support/host_item_id_list.h"

namespace resolver_testing {
namespace {

using wmdm_standin::ModelTag;
using wmdm_standin::ObjectKind;
using EventLines = std::vector<std::string>;

using ContentEditingTest = ResolverPlayerTest;

// The host's callback, noting also the tags in each added item's record.
class TagsHeard : public HostCallback {
 public:
  HRESULT ContentAdded(kiMusicDevicePlugin2004* plugin, DWORD deviceNumber, const WCHAR* location, SAFEARRAY** paths,
                       SAFEARRAY** kinds, kiIPPItem* item) override {
    if (item) {
      LONG track = 0;
      item->GetPropertyLong(W("ItemTrackNumber"), &track);
      auto text = [](BSTR owned) { return wide::ToUtf8(UniqueBstr::Adopt(owned).ToString()); };
      heard.push_back(text(item->GetTitle()) + " by " + text(item->GetArtist()) + " on " + text(item->GetAlbum()) +
                      " (" + text(item->GetGenre()) + "), track " + std::to_string(track));
    }
    return HostCallback::ContentAdded(plugin, deviceNumber, location, paths, kinds, item);
  }
  std::vector<std::string> heard;
};

class ContentAddedTest : public ResolverPlayerTest {
 protected:
  TagsHeard tagsHeard_;
};

TEST_F(ContentEditingTest, CreatesFoldersAndPlaylistsOnceAndReportsThem) {
  const struct {
    bool playlist;
    const WCHAR *parent, *name, *created;
    const char* change;
  } cases[] = {
      {false, W("\\"), W("New"), W("\\New"), "+ \\New:1 @\\New"},
      {false, W("\\Music\\Pop"), W("Old"), W("\\Music\\Pop\\Old"),
       "+ \\Music:1 \\Music\\Pop:1 \\Music\\Pop\\Old:1 @\\Music\\Pop\\Old"},
      {true, W("\\Music"), W("Run.pla"), W("\\Music\\Run.pla"), "+ \\Music:1 \\Music\\Run.pla:3 @\\Music\\Run.pla"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    auto create = [&](BSTR* out) {
      return c.playlist ? plugin_.CreatePlaylist(Internal().c_str(), c.parent, c.name, out)
                        : plugin_.CreateFolder(Internal().c_str(), c.parent, c.name, out);
    };
    UniqueBstr path, again;
    ASSERT_EQ(create(path.Put()), S_OK);
    EXPECT_EQ(path.ToString(), WString(c.created));
    ASSERT_NE(Find(c.created), 0u);
    EXPECT_FALSE(model_->Inspect(Find(c.created))->deleted);
    const std::vector<HostEvent> changes = Changes();
    EXPECT_EQ(Lines(changes), EventLines{c.change});
    EXPECT_EQ(changes.at(0).text, Internal());
    EXPECT_EQ(create(again.Put()), IPP_E_ALREADYEXISTS);
    EXPECT_EQ(again.Get(), nullptr);
    EXPECT_TRUE(Changes().empty());
  }
}

TEST_F(ContentEditingTest, RefusalsWriteNothing) {
  const WString at = Internal();
  HostItemIdList notAnEntry({W("\\Music\\Mix.pla|\\Music\\b.mp3"), W("\\Music\\b.mp3")});
  UniqueBstr out;
  const struct {
    const char* what;
    std::function<HRESULT()> call;
    HRESULT expected;
  } cases[] = {
      {"a folder in an entry",
       [&] { return plugin_.CreateFolder(at.c_str(), W("\\Music\\Mix.pla|\\Music\\a.mp3"), W("N"), out.Put()); },
       IPP_E_UNKNOWNPROPERTY},
      {"a folder in nowhere", [&] { return plugin_.CreateFolder(at.c_str(), W("\\Nowhere"), W("N"), out.Put()); },
       IPP_E_NOTFOUND},
      {"a playlist without an out",
       [&] { return plugin_.CreatePlaylist(at.c_str(), W("\\Music"), W("P.pla"), nullptr); }, IPP_E_FAIL},
      {"no location", [&] { return plugin_.CreateFolder(nullptr, W("\\"), W("N"), out.Put()); }, IPP_E_FAIL},
      {"renaming an entry",
       [&] { return plugin_.RenameItem(at.c_str(), W("\\Music\\Mix.pla|\\Music\\a.mp3"), W("x")); },
       IPP_E_UNKNOWNPROPERTY},
      {"renaming nothing", [&] { return plugin_.RenameItem(at.c_str(), W("\\Music\\gone.mp3"), W("x")); },
       IPP_E_NOTFOUND},
      {"no new name", [&] { return plugin_.RenameItem(at.c_str(), W("\\Music\\a.mp3"), nullptr); }, IPP_E_FAIL},
      {"an identifier that is no entry",
       [&] { return plugin_.UpdatePlaylist(at.c_str(), W("\\Music\\Mix.pla"), &notAnEntry); }, MapResult(E_FAIL)},
      {"no such playlist", [&] { return plugin_.UpdatePlaylist(at.c_str(), W("\\Music\\None.pla"), &notAnEntry); },
       IPP_E_NOTFOUND},
      {"a playlist the folder cannot describe",
       [&] {
         model_->Faults().Inject(ObjectKind::Storage, "CreateEmptyMetadataObject", WMDM_E_NOTSUPPORTED, 1, music_);
         return plugin_.CreatePlaylist(at.c_str(), W("\\Music"), W("P.pla"), out.Put());
       },
       IPP_E_NOTSUPPORTED},
      {"no list", [&] { return plugin_.UpdatePlaylist(at.c_str(), W("\\Music\\Mix.pla"), nullptr); }, IPP_E_FAIL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(), c.expected);
    EXPECT_EQ(out.Get(), nullptr);
  }
  for (const char* write : {"Insert", "Insert3", "Rename", "SetReferences"})
    EXPECT_EQ(Calls(ObjectKind::Storage, write), 0) << write;
  EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
  EXPECT_TRUE(Changes().empty());
}

TEST_F(ContentEditingTest, RenameReportsTheOldItemGoneThenTheNewOne) {
  ASSERT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\a.mp3"), W("c.mp3")), S_OK);
  EXPECT_EQ(model_->Inspect(a_)->name, W("c.mp3"));
  EXPECT_EQ(Lines(Changes()),
            (EventLines{"- \\Music:1 \\Music\\a.mp3:4", "+ \\Music:1 \\Music\\c.mp3:4 @\\Music\\c.mp3"}));
  // A playlist also hands out its entries under its new name.
  ASSERT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\Mix.pla"), W("Run.pla")), S_OK);
  EXPECT_EQ(Lines(Changes()),
            (EventLines{"- \\Music:1 \\Music\\Mix.pla:3", "+ \\Music:1 \\Music\\Run.pla:3 @\\Music\\Run.pla",
                        "= \\Music:1 \\Music\\Run.pla:3 @\\Music\\Run.pla [\\Music\\Run.pla|\\Music\\c.mp3]"}));
}

// A device that keeps objects by handle leaves a renamed item's interface
// alive, and answers its own codes for an object it no longer has: under
// either kind of device, what was renamed or deleted is not found again.
TEST_F(ContentEditingTest, WhatWasRenamedOrDeletedIsNotFoundUnderEitherPersonality) {
  const struct {
    wmdm_standin::Personality personality;
    const WCHAR *renamed, *newName, *renamedAgain, *deleted;
  } rounds[] = {
      {wmdm_standin::Personality::MassStorage, W("\\Music\\Mix.pla"), W("Run.pla"), W("\\Music\\Run.pla"),
       W("\\Music\\b.mp3")},
      {wmdm_standin::Personality::Mtp, W("\\Music\\Pop"), W("Rock"), W("\\Music\\Rock\\x.mp3"),
       W("\\Music\\zero.mp3")},
  };
  for (const auto& round : rounds) {
    SCOPED_TRACE(wide::ToUtf8(round.renamed));
    ASSERT_TRUE(model_->SetPersonality(player_, round.personality));
    ASSERT_EQ(plugin_.RenameItem(Internal().c_str(), round.renamed, round.newName), S_OK);
    EXPECT_EQ(plugin_.RenameItem(Internal().c_str(), round.renamed, W("Again")), IPP_E_NOTFOUND);
    kcIPPItem item;
    EXPECT_EQ(plugin_.GetItemInformation(Internal().c_str(), round.renamedAgain, &item), S_OK);
    ASSERT_EQ(plugin_.DeleteItem(Internal().c_str(), round.deleted), S_OK);
    EXPECT_EQ(plugin_.DeleteItem(Internal().c_str(), round.deleted), IPP_E_NOTFOUND);
  }
}

// A device whose playlists name tracks by path may lose an entry when a
// track or folder is renamed; the rename gives it back, or is undone.
TEST_F(ContentEditingTest, ARenameKeepsEveryPlaylistEntry) {
  const WString at = Internal();
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_});
  model_->SetPlaylistEntries(mix_, {a_, b_, a_});
  auto loseEntriesOfMix = [&] { model_->Faults().Inject(ObjectKind::Storage, "RewritePlaylist", E_FAIL, 1, mix_); };
  loseEntriesOfMix();
  ASSERT_EQ(plugin_.RenameItem(at.c_str(), W("\\Music\\a.mp3"), W("c.mp3")), S_OK);
  EXPECT_EQ(model_->Inspect(a_)->name, W("c.mp3"));
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, b_, a_}));
  EXPECT_EQ(References(other), (std::vector<ObjectId>{b_, a_}));

  // A folder's tracks, however deep.
  const ObjectId x = Find(W("\\Music\\Pop\\x.mp3"));
  model_->SetPlaylistEntries(mix_, {b_, x});
  loseEntriesOfMix();
  ASSERT_EQ(plugin_.RenameItem(at.c_str(), W("\\Music\\Pop"), W("Rock")), S_OK);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{b_, x}));

  // An entry that cannot be written back: the old name returns, so that the
  // playlist names the track again, and the rename fails.
  model_->SetPlaylistEntries(mix_, {a_, b_});
  loseEntriesOfMix();
  model_->Faults().Inject(ObjectKind::Storage, "SetReferences", E_ACCESSDENIED, 1, mix_);
  callback_.ClearEvents();
  EXPECT_EQ(plugin_.RenameItem(at.c_str(), W("\\Music\\c.mp3"), W("d.mp3")), MapResult(E_ACCESSDENIED));
  EXPECT_EQ(model_->Inspect(a_)->name, W("c.mp3"));
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, b_}));
  const std::vector<HostEvent> lines = EventsOf(HostEvent::kLogLine);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().text.find(W("the rename is undone")), WString::npos) << wide::ToUtf8(lines.back().text);
  // The host saw the new name come and go.
  EXPECT_EQ(Signs(Changes()), "-+-+=");
}

TEST_F(ContentEditingTest, UpdatePlaylistKeepsOnlyTracksThatResolve) {
  HostItemIdList list({W("\\Music\\Mix.pla|\\Music\\b.mp3"), W("\\Music\\Mix.pla|\\Music\\gone.mp3"),
                       W("\\Music\\Mix.pla|\\Music\\a.mp3")});
  ASSERT_EQ(plugin_.UpdatePlaylist(Internal().c_str(), W("\\Music\\Mix.pla"), &list), S_OK);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{b_, a_}));
  EXPECT_EQ(Lines(Changes()), EventLines{"= \\Music:1 \\Music\\Mix.pla:3 @\\Music\\Mix.pla "
                                         "[\\Music\\Mix.pla|\\Music\\b.mp3 \\Music\\Mix.pla|\\Music\\a.mp3]"});
}

// A reference is taken out by its name and, where its path can be read, its
// place: a same-named track in another folder stays.
TEST_F(ContentEditingTest, PlaylistReferencesAreInsertedAndRemovedByNameAndPlace) {
  const ObjectId popA = AddFile(pop_, W("a.mp3"), 100);
  ScopedLock held(plugin_.Lock());
  const WString mixPath = W("\\Music\\Mix.pla");
  ComPtr<IWMDMStorage> mix = Resolve(mixPath)->storage;
  const ObjectId x = Find(W("\\Music\\Pop\\x.mp3"));
  auto storage = [&](const WCHAR* path) { return Resolve(path)->storage; };
  const struct {
    ComPtr<IWMDMStorage> track;
    bool insert;
    LONG position, index;
    std::vector<ObjectId> after;
    size_t notified;
  } steps[] = {
      {storage(W("\\Music\\b.mp3")), true, -1, 1, {a_, b_}, 1},
      {storage(W("\\Music\\Pop\\x.mp3")), true, 0, 0, {x, a_, b_}, 1},
      {storage(W("\\Music\\b.mp3")), true, 9, 3, {x, a_, b_, b_}, 1},
      {storage(W("\\Music\\b.mp3")), false, -1, 2, {x, a_, b_}, 1},
      {storage(W("\\Music\\zero.mp3")), false, -1, -1, {x, a_, b_}, 0},  // not in the list: nothing written
      {storage(W("\\Music\\Pop\\a.mp3")), true, 0, 0, {popA, x, a_, b_}, 1},
      {storage(W("\\Music\\a.mp3")), false, -1, 2, {popA, x, b_}, 1},
      {storage(W("\\Music\\a.mp3")), true, 1, 1, {popA, a_, x, b_}, 1},
      {storage(W("\\Music\\Pop\\a.mp3")), false, -1, 0, {a_, x, b_}, 1},
  };
  for (const auto& step : steps) {
    LONG index = 7;
    ASSERT_EQ(plugin_.Content().EditPlaylistReferences(Internal(), mixPath, mix, step.track, step.insert, step.position, &index),
              S_OK);
    EXPECT_EQ(index, step.index);
    EXPECT_EQ(References(mix_), step.after);
    EXPECT_EQ(Changes().size(), step.notified);
  }
  EXPECT_EQ(plugin_.Content().EditPlaylistReferences(Internal(), mixPath, mix, nullptr, true, -1, nullptr), IPP_E_FAIL);

  // A path that cannot be read (here the track's own) leaves the name to
  // decide: the first same-named reference goes.
  ASSERT_EQ(plugin_.Content().EditPlaylistReferences(Internal(), mixPath, mix, storage(W("\\Music\\Pop\\a.mp3")), true, 0,
                                           nullptr),
            S_OK);
  ComPtr<IWMDMStorage> musicA = storage(W("\\Music\\a.mp3"));
  model_->Faults().Inject(ObjectKind::Storage, "GetParent", E_FAIL, wmdm_standin::kEveryCall, a_);
  ASSERT_EQ(plugin_.Content().EditPlaylistReferences(Internal(), mixPath, mix, musicA, false, -1, nullptr), S_OK);
  model_->Faults().ClearFaults();
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, x, b_}));
}

// Each operation, and the WMDM call that acts for it. The storage that gives
// the stale answer stays stale: the first is met with one fresh resolution
// (the cached storage would answer so again); a second one is handed back.
TEST_F(ContentEditingTest, EveryOperationRetriesOnceOnAStaleAnswer) {
  HostItemIdList list({W("\\Music\\Mix.pla|\\Music\\b.mp3")});
  const WString at = Internal();
  UniqueBstr out;
  WString renamed = W("a.mp3");  // where the renames got to
  // The run of each round `n` names an item of its own.
  auto numbered = [](const WCHAR* stem, int n, const WCHAR* extension) {
    return stem + wide::FromUnsigned(static_cast<unsigned>(n)) + extension;
  };
  const struct {
    const char* method;
    bool folder;  // the call is the folder's (the root's), else the file's
    std::function<HRESULT(int)> run;
  } cases[] = {
      {"Rename", false,
       [&](int n) {
         const WString name = numbered(W("r"), n, W(".mp3"));
         const HRESULT hr = plugin_.RenameItem(at.c_str(), (W("\\Music\\") + renamed).c_str(), name.c_str());
         if (hr == S_OK) renamed = name;
         return hr;
       }},
      {"Insert", true,
       [&](int n) { return plugin_.CreateFolder(at.c_str(), W("\\"), numbered(W("F"), n, W("")).c_str(), out.Put()); }},
      {"Insert3", true,
       [&](int n) {
         return plugin_.CreatePlaylist(at.c_str(), W("\\"), numbered(W("P"), n, W(".pla")).c_str(), out.Put());
       }},
      {"SetReferences", false, [&](int) { return plugin_.UpdatePlaylist(at.c_str(), W("\\Music\\Mix.pla"), &list); }},
  };
  // The success of each first round clears the flag: stale twice in a row
  // gets one retry and then goes back to the host.
  int n = 0;
  for (const StaleAnswer& stale : kStaleAnswers) {
    ASSERT_TRUE(stale.SetOn(*model_, player_));
    for (const auto& c : cases) {
      for (int staleAnswers = 1; staleAnswers <= 2; ++staleAnswers) {
        SCOPED_TRACE(testing::Message() << c.method << " stale " << staleAnswers << " times, " << stale.name);
        model_->Faults().ResetCalls();
        model_->Faults().InjectStale(ObjectKind::Storage, c.method, staleAnswers);
        EXPECT_EQ(c.run(++n), staleAnswers == 1 ? S_OK : MapResult(c.folder ? stale.folder : stale.file));
        EXPECT_EQ(Calls(ObjectKind::Storage, c.method), 2);
        model_->Faults().ClearFaults();
      }
    }
  }
}

// A track the plug-in cached may be what is dead: the playlist answers
// that it was handed a stale reference (an MTP player's own code), and the
// retry must look the tracks up afresh as well as the playlist.
TEST_F(ContentEditingTest, AStaleTrackReferenceIsLookedUpAfresh) {
  const struct {
    wmdm_standin::Personality personality;
    HRESULT dead;
  } rounds[] = {{wmdm_standin::Personality::MassStorage, WMDM_E_INTERFACEDEAD},
                {wmdm_standin::Personality::Mtp, MTP_E_INVALID_OBJECT_HANDLE}};
  const WString at = Internal();
  HostItemIdList list({W("\\Music\\Mix.pla|\\Music\\b.mp3")});
  for (const auto& round : rounds) {
    SCOPED_TRACE(static_cast<int>(round.personality));
    ASSERT_TRUE(model_->SetPersonality(player_, round.personality));
    model_->SetPlaylistEntries(mix_, {a_});
    ASSERT_EQ(plugin_.UpdatePlaylist(at.c_str(), W("\\Music\\Mix.pla"), &list), S_OK);
    // The cached track's storage dies, as a reference the device forgot.
    NodeRef track = plugin_.Resolver().ResolveStorage(at, W("\\Music\\b.mp3"), 0);
    ASSERT_TRUE(track && track->storage);
    model_->Faults().InjectDeath(ObjectKind::Storage, "GetName", round.dead, 1, b_);
    WCHAR name[16];
    ASSERT_EQ(track->storage->GetName(name, 16), round.dead);
    model_->SetPlaylistEntries(mix_, {a_});
    model_->Faults().ResetCalls();
    EXPECT_EQ(plugin_.UpdatePlaylist(at.c_str(), W("\\Music\\Mix.pla"), &list), S_OK);
    EXPECT_EQ(Calls(ObjectKind::Storage, "SetReferences"), 2);
    EXPECT_EQ(References(mix_), std::vector<ObjectId>{b_});
  }
}

// The record of an item the host is told of carries the tags the device
// holds, not only the file name a listing gives.
TEST_F(ContentAddedTest, AnAddedItemComesWithItsTags) {
  AddFile(music_, W("t.mp3"), 100,
          {ModelTag::String(g_wszWMDMTitle, W("Song")), ModelTag::String(g_wszWMDMAuthor, W("Band")),
           ModelTag::String(g_wszWMDMAlbumTitle, W("Album")), ModelTag::String(g_wszWMDMGenre, W("Folk")),
           ModelTag::Dword(g_wszWMDMTrack, 3)});
  plugin_.SetHostCallback(&tagsHeard_);
  EXPECT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\t.mp3"), W("u.mp3")), S_OK);
  plugin_.SetHostCallback(&callback_);
  EXPECT_EQ(tagsHeard_.heard, std::vector<std::string>{"Song by Band on Album (Folk), track 3"});
}

}  // namespace
}  // namespace resolver_testing
