#include <functional>

#include "content/resolver_test_player.h"
#include "core/map_result.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_support/host_item_id_list.h"

namespace resolver_testing {
namespace {

using wmdm_standin::ObjectKind;

using ContentEditingTest = ResolverPlayerTest;

TEST_F(ContentEditingTest, CreatesFoldersAndPlaylistsOnceAndReportsThem) {
  struct Case {
    bool playlist;
    const WCHAR* parent;
    const WCHAR* name;
    const WCHAR* created;
    std::vector<WString> paths;
    std::vector<LONG> kinds;
  };
  const Case cases[] = {
      {false, W("\\"), W("New"), W("\\New"), {W("\\New")}, {KindFolder}},
      {false, W("\\Music\\Pop"), W("Old"), W("\\Music\\Pop\\Old"),
       {W("\\Music"), W("\\Music\\Pop"), W("\\Music\\Pop\\Old")}, {KindFolder, KindFolder, KindFolder}},
      {true, W("\\Music"), W("Run.pla"), W("\\Music\\Run.pla"), {W("\\Music"), W("\\Music\\Run.pla")},
       {KindFolder, KindPlaylist}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(c.created));
    auto create = [&](BSTR* out) {
      return c.playlist ? plugin_.CreatePlaylist(Internal().c_str(), c.parent, c.name, out)
                        : plugin_.CreateFolder(Internal().c_str(), c.parent, c.name, out);
    };
    UniqueBstr path;
    ASSERT_EQ(create(path.Put()), S_OK);
    EXPECT_EQ(wide::FromPtr(path.Get()), WString(c.created));
    const ObjectId made = Find(c.created);
    ASSERT_NE(made, 0u);
    EXPECT_EQ(model_->Inspect(made)->deleted, false);
    const std::vector<HostEvent> changes = Changes();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, HostEvent::kContentAdded);
    EXPECT_EQ(changes[0].text, Internal());
    EXPECT_EQ(changes[0].paths, c.paths);
    EXPECT_EQ(changes[0].kinds, c.kinds);
    EXPECT_EQ(changes[0].item, WString(c.created));

    UniqueBstr again;
    EXPECT_EQ(create(again.Put()), IPP_E_ALREADYEXISTS);
    EXPECT_EQ(again.Get(), nullptr);
    EXPECT_TRUE(Changes().empty());
    EXPECT_TRUE(LockIsFree());
  }
}

TEST_F(ContentEditingTest, CreateRefusesWhatCannotHoldTheNewItem) {
  UniqueBstr out;
  EXPECT_EQ(plugin_.CreateFolder(Internal().c_str(), W("\\Music\\Mix.pla|\\Music\\a.mp3"), W("N"), out.Put()),
            IPP_E_UNKNOWNPROPERTY);
  EXPECT_EQ(plugin_.CreateFolder(Internal().c_str(), W("\\Nowhere"), W("N"), out.Put()), IPP_E_NOTFOUND);
  EXPECT_EQ(plugin_.CreatePlaylist(Internal().c_str(), W("\\Music"), W("P.pla"), nullptr), IPP_E_FAIL);
  EXPECT_EQ(plugin_.CreateFolder(nullptr, W("\\"), W("N"), out.Put()), IPP_E_FAIL);
  EXPECT_EQ(out.Get(), nullptr);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert") + Calls(ObjectKind::Storage, "Insert3"), 0);
  EXPECT_TRUE(Changes().empty());
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentEditingTest, RenameReportsTheOldItemGoneThenTheNewOne) {
  ASSERT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\a.mp3"), W("c.mp3")), S_OK);
  EXPECT_EQ(model_->Inspect(a_)->name, W("c.mp3"));
  std::vector<HostEvent> changes = Changes();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].kind, HostEvent::kContentRemoved);
  EXPECT_EQ(changes[0].paths, (std::vector<WString>{W("\\Music"), W("\\Music\\a.mp3")}));
  EXPECT_EQ(changes[0].kinds, (std::vector<LONG>{KindFolder, KindFile}));
  EXPECT_EQ(changes[1].kind, HostEvent::kContentAdded);
  EXPECT_EQ(changes[1].paths, (std::vector<WString>{W("\\Music"), W("\\Music\\c.mp3")}));
  EXPECT_EQ(changes[1].item, W("\\Music\\c.mp3"));

  // A playlist also hands out its entries under its new name.
  ASSERT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\Mix.pla"), W("Run.pla")), S_OK);
  changes = Changes();
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_EQ(changes[0].kind, HostEvent::kContentRemoved);
  EXPECT_EQ(changes[1].kind, HostEvent::kContentAdded);
  EXPECT_EQ(changes[2].kind, HostEvent::kPlaylistChanged);
  EXPECT_EQ(changes[2].kinds, (std::vector<LONG>{KindFolder, KindPlaylist}));
  EXPECT_EQ(changes[2].entries, std::vector<WString>{W("\\Music\\Run.pla|\\Music\\c.mp3")});
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentEditingTest, RenameRefusesAnEntryOrAMissingItem) {
  EXPECT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\Mix.pla|\\Music\\a.mp3"), W("x")),
            IPP_E_UNKNOWNPROPERTY);
  EXPECT_TRUE(LockIsFree());
  EXPECT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\gone.mp3"), W("x")), IPP_E_NOTFOUND);
  EXPECT_EQ(plugin_.RenameItem(Internal().c_str(), W("\\Music\\a.mp3"), nullptr), IPP_E_FAIL);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Rename"), 0);
  EXPECT_TRUE(Changes().empty());
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentEditingTest, UpdatePlaylistKeepsOnlyTracksThatResolve) {
  HostItemIdList list({W("\\Music\\Mix.pla|\\Music\\b.mp3"), W("\\Music\\Mix.pla|\\Music\\gone.mp3"),
               W("\\Music\\Mix.pla|\\Music\\a.mp3")});
  ASSERT_EQ(plugin_.UpdatePlaylist(Internal().c_str(), W("\\Music\\Mix.pla"), &list), S_OK);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{b_, a_}));
  const std::vector<HostEvent> changes = Changes();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].kind, HostEvent::kPlaylistChanged);
  EXPECT_EQ(changes[0].entries,
            (std::vector<WString>{W("\\Music\\Mix.pla|\\Music\\b.mp3"), W("\\Music\\Mix.pla|\\Music\\a.mp3")}));
  EXPECT_EQ(changes[0].item, W("\\Music\\Mix.pla"));
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentEditingTest, UpdatePlaylistRefusesAnIdentifierThatIsNoEntry) {
  HostItemIdList list({W("\\Music\\Mix.pla|\\Music\\b.mp3"), W("\\Music\\b.mp3")});
  EXPECT_EQ(plugin_.UpdatePlaylist(Internal().c_str(), W("\\Music\\Mix.pla"), &list), MapResult(E_FAIL));
  EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
  EXPECT_EQ(Calls(ObjectKind::Storage, "SetReferences"), 0);
  EXPECT_EQ(plugin_.UpdatePlaylist(Internal().c_str(), W("\\Music\\None.pla"), &list), IPP_E_NOTFOUND);
  EXPECT_EQ(plugin_.UpdatePlaylist(Internal().c_str(), W("\\Music\\Mix.pla"), nullptr), IPP_E_FAIL);
  EXPECT_TRUE(Changes().empty());
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentEditingTest, PlaylistReferencesAreInsertedAndRemovedByName) {
  ScopedLock held(plugin_.Lock());
  const WString mixPath = W("\\Music\\Mix.pla");
  ComPtr<IWMDMStorage> mix = Resolve(mixPath)->storage;
  ComPtr<IWMDMStorage> a = Resolve(W("\\Music\\a.mp3"))->storage;
  ComPtr<IWMDMStorage> b = Resolve(W("\\Music\\b.mp3"))->storage;
  ComPtr<IWMDMStorage> x = Resolve(W("\\Music\\Pop\\x.mp3"))->storage;
  ComPtr<IWMDMStorage> zero = Resolve(W("\\Music\\zero.mp3"))->storage;
  struct Step {
    ComPtr<IWMDMStorage> track;
    bool insert;
    LONG position;
    LONG index;
    std::vector<ObjectId> after;
    size_t notified;
  };
  const ObjectId xId = Find(W("\\Music\\Pop\\x.mp3"));
  const Step steps[] = {
      {b, true, -1, 1, {a_, b_}, 1},       {x, true, 0, 0, {xId, a_, b_}, 1},
      {b, true, 9, 3, {xId, a_, b_, b_}, 1}, {b, false, -1, 2, {xId, a_, b_}, 1},
      {zero, false, -1, -1, {xId, a_, b_}, 0},  // not in the list: nothing written
  };
  for (const Step& step : steps) {
    LONG index = 7;
    ASSERT_EQ(plugin_.EditPlaylistReferences(Internal(), mixPath, mix, step.track, step.insert, step.position,
                                             &index),
              S_OK);
    EXPECT_EQ(index, step.index);
    EXPECT_EQ(References(mix_), step.after);
    EXPECT_EQ(Changes().size(), step.notified);
  }
  EXPECT_EQ(plugin_.EditPlaylistReferences(Internal(), mixPath, mix, nullptr, true, -1, nullptr), IPP_E_FAIL);
}

// Each operation, and the WMDM call that acts for it. The first dead answer
// is met with one fresh resolution; a second one is handed back.
TEST_F(ContentEditingTest, EveryOperationRetriesOnceOnADeadInterface) {
  HostItemIdList list({W("\\Music\\Mix.pla|\\Music\\b.mp3")});
  struct Case {
    const char* method;
    std::function<HRESULT(int)> run;
  };
  const Case cases[] = {
      {"Rename",
       [&](int round) {
         return plugin_.RenameItem(Internal().c_str(), round ? W("\\Music\\r.mp3") : W("\\Music\\a.mp3"),
                                   W("r.mp3"));
       }},
      {"Insert",
       [&](int round) {
         UniqueBstr out;
         return plugin_.CreateFolder(Internal().c_str(), W("\\"), round ? W("F2") : W("F1"), out.Put());
       }},
      {"Insert3",
       [&](int round) {
         UniqueBstr out;
         return plugin_.CreatePlaylist(Internal().c_str(), W("\\"), round ? W("P2.pla") : W("P1.pla"), out.Put());
       }},
      {"SetReferences", [&](int) { return plugin_.UpdatePlaylist(Internal().c_str(), W("\\Music\\Mix.pla"), &list); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    model_->Faults().ResetCalls();
    model_->Faults().Inject(ObjectKind::Storage, c.method, WMDM_E_INTERFACEDEAD, 1);
    EXPECT_EQ(c.run(0), S_OK);
    EXPECT_EQ(Calls(ObjectKind::Storage, c.method), 2);
    EXPECT_TRUE(LockIsFree());
    // The flag was cleared by the success: a dead answer twice in a row
    // gets one retry and then goes back to the host.
    model_->Faults().ResetCalls();
    model_->Faults().Inject(ObjectKind::Storage, c.method, WMDM_E_INTERFACEDEAD, 2);
    EXPECT_EQ(c.run(1), MapResult(WMDM_E_INTERFACEDEAD));
    EXPECT_EQ(Calls(ObjectKind::Storage, c.method), 2);
    model_->Faults().ClearFaults();
    EXPECT_TRUE(LockIsFree());
  }
}

}  // namespace
}  // namespace resolver_testing
