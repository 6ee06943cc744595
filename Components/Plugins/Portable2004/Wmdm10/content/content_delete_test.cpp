#include "content/resolver_test_player.h"
#include "core/map_result.h"
#include "host_sdk/ipp_result_codes.h"

namespace resolver_testing {
namespace {

using wmdm_standin::ObjectKind;

class ContentDeleteTest : public ResolverPlayerTest {
 protected:
  bool Gone(ObjectId object) { return !model_->Inspect(object) || model_->Inspect(object)->deleted; }
};

TEST_F(ContentDeleteTest, ATrackLeavesItsPlaylistsBeforeItGoes) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_, a_});
  ASSERT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\a.mp3")), S_OK);
  EXPECT_TRUE(Gone(a_));
  EXPECT_FALSE(Gone(b_));
  const std::vector<HostEvent> changes = Changes();
  ASSERT_EQ(changes.size(), 3u);
  // Each playlist is rewritten (and reported) before the file is deleted.
  EXPECT_EQ(changes[0].kind, HostEvent::kPlaylistChanged);
  EXPECT_EQ(changes[1].kind, HostEvent::kPlaylistChanged);
  EXPECT_EQ(changes[2].kind, HostEvent::kContentRemoved);
  EXPECT_EQ(changes[2].paths, (std::vector<WString>{W("\\Music"), W("\\Music\\a.mp3")}));
  EXPECT_EQ(changes[2].kinds, (std::vector<LONG>{KindFolder, KindFile}));
  EXPECT_TRUE(model_->Inspect(mix_)->references.empty());
  // Only the first reference to the track is taken out of each playlist.
  EXPECT_EQ(model_->Inspect(other)->references.size(), 2u);
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentDeleteTest, AnEntryIdentifierEditsOnlyThePlaylist) {
  ASSERT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\Mix.pla|\\Music\\a.mp3")), S_OK);
  EXPECT_FALSE(Gone(a_));
  EXPECT_TRUE(model_->Inspect(mix_)->references.empty());
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 0);
  EXPECT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\Mix.pla|\\Music\\gone.mp3")), IPP_E_NOTFOUND);
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentDeleteTest, AFolderHoldingWhatTheHostNeverSawIsNotDeleted) {
  FileDescription hidden;
  hidden.name = W("cover.jpg");
  hidden.attributes = wmdm_standin::DefaultFileAttributes(hidden.name) | WMDM_FILE_ATTR_HIDDEN;
  model_->AddFile(pop_, hidden);
  EXPECT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\Pop")), IPP_E_STALE);
  EXPECT_FALSE(Gone(pop_));
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 0);
  EXPECT_TRUE(Changes().empty());
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentDeleteTest, ARefusedFolderDeleteFallsBackToOneByOne) {
  // Both recursive attempts on the folder are refused; then it is emptied
  // item by item and deleted itself.
  model_->Faults().Inject(ObjectKind::Storage, "Delete", E_ACCESSDENIED, 2);
  ASSERT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\Pop")), S_OK);
  EXPECT_TRUE(Gone(pop_));
  const std::vector<HostEvent> changes = Changes();
  ASSERT_EQ(changes.size(), 2u);  // the file, then its folder
  EXPECT_EQ(changes[0].paths.back(), W("\\Music\\Pop\\x.mp3"));
  EXPECT_EQ(changes[1].paths, (std::vector<WString>{W("\\Music"), W("\\Music\\Pop")}));
  // A refusal of every delete leaves the folder and its content as they were.
  model_->Faults().Inject(ObjectKind::Storage, "Delete", E_ACCESSDENIED, wmdm_standin::kEveryCall);
  EXPECT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music")), MapResult(E_ACCESSDENIED));
  EXPECT_FALSE(Gone(music_));
  EXPECT_FALSE(Gone(b_));
  model_->Faults().ClearFaults();
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentDeleteTest, ADeadInterfaceIsRetriedOnce) {
  model_->Faults().Inject(ObjectKind::Storage, "Delete", WMDM_E_INTERFACEDEAD, 1);
  EXPECT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\b.mp3")), S_OK);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 2);
  model_->Faults().ResetCalls();
  model_->Faults().Inject(ObjectKind::Storage, "Delete", WMDM_E_INTERFACEDEAD, 2);
  EXPECT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\zero.mp3")), MapResult(WMDM_E_INTERFACEDEAD));
  EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 2);
  EXPECT_FALSE(Gone(zero_));
  EXPECT_TRUE(LockIsFree());
}

}  // namespace
}  // namespace resolver_testing
