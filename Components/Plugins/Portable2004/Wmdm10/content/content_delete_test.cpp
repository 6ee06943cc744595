#include "testing/content_changes_test.h"
#include "testing/resolver_test_player.h"
#include "testing/stale_answers.h"
#include "core/map_result.h"
#include "host_sdk/ipp_result_codes.h"

namespace resolver_testing {
namespace {

using wmdm_standin::ObjectKind;
using EventLines = std::vector<std::string>;

class ContentDeleteTest : public ResolverPlayerTest {
 protected:
  bool Gone(ObjectId object) { return !model_->Inspect(object) || model_->Inspect(object)->deleted; }
  HRESULT Delete(const WCHAR* path) { return plugin_.DeleteItem(Internal().c_str(), path); }
};

TEST_F(ContentDeleteTest, ATrackLeavesItsPlaylistsBeforeItGoes) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {a_, b_, a_, a_});
  ASSERT_EQ(Delete(W("\\Music\\a.mp3")), S_OK);
  EXPECT_TRUE(Gone(a_));
  EXPECT_FALSE(Gone(b_));
  // Each playlist is rewritten once, with every entry naming the track taken
  // out, and reported before the file goes.
  EXPECT_EQ(Lines(Changes()),
            (EventLines{"= \\Music:1 \\Music\\Mix.pla:3 @\\Music\\Mix.pla",
                        "= \\Music:1 \\Music\\Pop:1 \\Music\\Pop\\Other.pla:3 @\\Music\\Pop\\Other.pla "
                        "[\\Music\\Pop\\Other.pla|\\Music\\b.mp3]",
                        "- \\Music:1 \\Music\\a.mp3:4"}));
  EXPECT_TRUE(References(mix_).empty());
  EXPECT_EQ(References(other), (std::vector<ObjectId>{b_}));
}

TEST_F(ContentDeleteTest, AFolderTakesEveryTrackBelowItOutOfThePlaylists) {
  const ObjectId x = Find(W("\\Music\\Pop\\x.mp3"));
  const ObjectId deep = AddFile(model_->AddFolder(pop_, W("Deep")), W("d.mp3"), 10);
  // Same names outside the folder stay.
  const ObjectId outside = AddFile(music_, W("x.mp3"), 10);
  const ObjectId popular = AddFile(music_, W("Pop.mp3"), 10);
  model_->SetPlaylistEntries(mix_, {x, outside, deep, popular, x});
  ASSERT_EQ(Delete(W("\\Music\\Pop")), S_OK);
  EXPECT_TRUE(Gone(pop_));
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{outside, popular}));
}

TEST_F(ContentDeleteTest, ARefusedDeletePutsEveryEntryBackAtItsPlace) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_, zero_, a_});
  model_->SetPlaylistEntries(mix_, {a_, b_});
  model_->Faults().Inject(ObjectKind::Storage, "Delete", E_ACCESSDENIED, wmdm_standin::kEveryCall, a_);
  EXPECT_EQ(Delete(W("\\Music\\a.mp3")), MapResult(E_ACCESSDENIED));
  model_->Faults().ClearFaults();
  EXPECT_FALSE(Gone(a_));
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, b_}));
  EXPECT_EQ(References(other), (std::vector<ObjectId>{b_, a_, zero_, a_}));
  // Taken out of both, then the host hears both put back.
  EXPECT_EQ(Signs(Changes()), "====");

  // A folder emptied one by one until an item refuses: what went stays out,
  // what stayed gets its place back.
  const ObjectId x = Find(W("\\Music\\Pop\\x.mp3"));
  const ObjectId y = AddFile(pop_, W("y.mp3"), 10);
  model_->SetPlaylistEntries(mix_, {x, y, b_});
  model_->Faults().Inject(ObjectKind::Storage, "Delete", E_ACCESSDENIED, wmdm_standin::kEveryCall, pop_);
  model_->Faults().Inject(ObjectKind::Storage, "Delete", E_ACCESSDENIED, wmdm_standin::kEveryCall, y);
  EXPECT_EQ(Delete(W("\\Music\\Pop")), MapResult(E_ACCESSDENIED));
  model_->Faults().ClearFaults();
  EXPECT_TRUE(Gone(x));
  EXPECT_FALSE(Gone(y));
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{y, b_}));
}

TEST_F(ContentDeleteTest, AnEntryIdentifierEditsOnlyThePlaylist) {
  ASSERT_EQ(Delete(W("\\Music\\Mix.pla|\\Music\\a.mp3")), S_OK);
  EXPECT_FALSE(Gone(a_));
  EXPECT_TRUE(References(mix_).empty());
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 0);
  EXPECT_EQ(Delete(W("\\Music\\Mix.pla|\\Music\\gone.mp3")), IPP_E_NOTFOUND);
}

TEST_F(ContentDeleteTest, AFolderHoldingWhatTheHostNeverSawIsNotDeleted) {
  FileDescription hidden;
  hidden.name = W("cover.jpg");
  hidden.attributes = wmdm_standin::DefaultFileAttributes(hidden.name) | WMDM_FILE_ATTR_HIDDEN;
  model_->AddFile(pop_, hidden);
  EXPECT_EQ(Delete(W("\\Music\\Pop")), IPP_E_STALE);
  EXPECT_FALSE(Gone(pop_));
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 0);
  EXPECT_TRUE(Changes().empty());
}

// A listing that did not end with "no more items" (said twice) stops the
// walk: the folder's hidden file is never seen, so the folder would go whole
// with it. A failed walk leaves the folder to be listed again.
TEST_F(ContentDeleteTest, AWalkGoesOnOnlyPastACompleteListing) {
  FileDescription hidden;
  hidden.name = W("cover.jpg");
  hidden.attributes = wmdm_standin::DefaultFileAttributes(hidden.name) | WMDM_FILE_ATTR_HIDDEN;
  model_->AddFile(pop_, hidden);
  const struct {
    const char* name;
    HRESULT answer;  // of the folder's enumerator's Next, without handing anything out
    int times;
    HRESULT result;
  } rows[] = {
      {"an early end", S_FALSE, 1, IPP_E_STALE},
      {"another success", WMDM_S_NOT_ALL_PROPERTIES_RETRIEVED, 1, IPP_E_STALE},
      {"busy for a moment", WMDM_E_BUSY, 1, IPP_E_STALE},
      {"busy for good", WMDM_E_BUSY, wmdm_standin::kEveryCall, IPP_S_BUSY},
      {"the user's cancel", WMDM_E_USER_CANCELLED, 1, IPP_E_FAIL},
      // Mapped once on its way to the host.
      {"a dead enumerator, found again and dead", WMDM_E_INTERFACEDEAD, 2, IPP_E_CANCELLED},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    model_->Faults().Inject(ObjectKind::StorageEnumerator, "Next", row.answer, row.times, pop_);
    EXPECT_EQ(Delete(W("\\Music\\Pop")), row.result);
    model_->Faults().ClearFaults();
    EXPECT_EQ(Delete(W("\\Music\\Pop")), IPP_E_STALE);
    EXPECT_FALSE(Gone(pop_));
    EXPECT_EQ(model_->Inspect(pop_)->children.size(), 2u);
  }
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 0);
}

TEST_F(ContentDeleteTest, ARefusedFolderDeleteFallsBackToOneByOne) {
  // Both recursive attempts are refused; the folder is emptied item by item, then deleted.
  model_->Faults().Inject(ObjectKind::Storage, "Delete", E_ACCESSDENIED, 2);
  ASSERT_EQ(Delete(W("\\Music\\Pop")), S_OK);
  EXPECT_TRUE(Gone(pop_));
  EXPECT_EQ(Lines(Changes()),
            (EventLines{"- \\Music:1 \\Music\\Pop:1 \\Music\\Pop\\x.mp3:4", "- \\Music:1 \\Music\\Pop:1"}));
  // A refusal of every delete leaves the folder and its content as they were.
  model_->Faults().Inject(ObjectKind::Storage, "Delete", E_ACCESSDENIED, wmdm_standin::kEveryCall);
  EXPECT_EQ(Delete(W("\\Music")), MapResult(E_ACCESSDENIED));
  EXPECT_FALSE(Gone(music_));
  EXPECT_FALSE(Gone(b_));
  model_->Faults().ClearFaults();
}

TEST_F(ContentDeleteTest, AFolderReachingOntoAnotherFileSystemIsNotTakenApart) {
  // ERROR_NOT_SAME_DEVICE: the folder holds a mount point.
  model_->Faults().Inject(ObjectKind::Storage, "Delete", HRESULT_FROM_WIN32(17), 1, pop_);
  EXPECT_EQ(Delete(W("\\Music\\Pop")), MapResult(HRESULT_FROM_WIN32(17)));
  EXPECT_FALSE(Gone(pop_));
  EXPECT_EQ(model_->Inspect(pop_)->children.size(), 1u);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 1);
  model_->Faults().ClearFaults();
}

TEST_F(ContentDeleteTest, AStaleAnswerIsRetriedOnce) {
  for (const StaleAnswer& stale : kStaleAnswers) {
    ASSERT_TRUE(stale.SetOn(*model_, player_));
    const ObjectId fresh = AddFile(music_, W("s.mp3"), 10);
    const struct {
      const WCHAR* path;
      ObjectId track;
      int staleAnswers;
      HRESULT result;
    } rounds[] = {{W("\\Music\\s.mp3"), fresh, 1, S_OK}, {W("\\Music\\zero.mp3"), zero_, 2, MapResult(stale.file)}};
    for (const auto& round : rounds) {
      SCOPED_TRACE(wide::ToUtf8(round.path) + ", " + stale.name);
      model_->Faults().ResetCalls();
      model_->Faults().InjectStale(ObjectKind::Storage, "Delete", round.staleAnswers);
      EXPECT_EQ(Delete(round.path), round.result);
      EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 2);
      EXPECT_EQ(Gone(round.track), round.result == S_OK);
    }
  }
}

// One recursive call takes a folder with everything in it; the host hears
// of the folder, or of a playlist, once and with its kind.
TEST_F(ContentDeleteTest, AFolderOrPlaylistGoesInOneCallAndIsReportedWithItsKind) {
  const struct {
    const WCHAR* path;
    ObjectId object;
    const char* removed;
  } cases[] = {
      {W("\\Music\\Pop"), pop_, "- \\Music:1 \\Music\\Pop:1"},
      {W("\\Music\\Mix.pla"), mix_, "- \\Music:1 \\Music\\Mix.pla:3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.removed);
    model_->Faults().ResetCalls();
    ASSERT_EQ(Delete(c.path), S_OK);
    EXPECT_TRUE(Gone(c.object));
    EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 1);
    EXPECT_EQ(Lines(Changes()), EventLines{c.removed});
  }
}

// The dead answer came from the delete: only the delete is tried again, so
// each playlist is written once and the host hears of it once.
TEST_F(ContentDeleteTest, ARetriedDeleteEditsEachPlaylistOnce) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_});
  const ObjectId tracks[] = {a_, b_};
  for (const StaleAnswer& stale : kStaleAnswers) {
    SCOPED_TRACE(stale.name);
    ASSERT_TRUE(stale.SetOn(*model_, player_));
    const ObjectId track = tracks[&stale - kStaleAnswers];
    const WString path = W("\\Music\\") + model_->Inspect(track)->name;
    model_->SetPlaylistEntries(mix_, {track});
    model_->Faults().ResetCalls();
    callback_.ClearEvents();
    model_->Faults().InjectStale(ObjectKind::Storage, "Delete", 1, track);
    ASSERT_EQ(Delete(path.c_str()), S_OK);
    EXPECT_TRUE(Gone(track));
    EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 2);
    EXPECT_EQ(Calls(ObjectKind::Storage, "SetReferences"), 2);
    EXPECT_EQ(Signs(Changes()), "==-");
  }
  EXPECT_TRUE(References(other).empty());
}

// A playlist the device will not rewrite keeps its entry; the playlists
// after it still lose theirs, and the track goes.
TEST_F(ContentDeleteTest, APlaylistThatCannotBeEditedDoesNotStopTheDelete) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_});
  model_->Faults().Inject(ObjectKind::Storage, "SetReferences", E_ACCESSDENIED, wmdm_standin::kEveryCall, mix_);
  ASSERT_EQ(Delete(W("\\Music\\a.mp3")), S_OK);
  model_->Faults().ClearFaults();
  EXPECT_TRUE(Gone(a_));
  EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
  EXPECT_EQ(References(other), std::vector<ObjectId>{b_});
  EXPECT_EQ(Signs(Changes()), "=-");
}

}  // namespace
}  // namespace resolver_testing
