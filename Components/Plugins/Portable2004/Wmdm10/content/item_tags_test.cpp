#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/resolver_test_player.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

using resolver_testing::ObjectId;
using resolver_testing::ObjectKind;
using wmdm_standin::ModelTag;

class ResolvedItemTest : public resolver_testing::ResolverPlayerTest {
 protected:
  // What the host would see of an item, in one line.
  static std::string Describe(kcIPPItem& item) {
    auto text = [](BSTR owned) { return wide::ToUtf8(UniqueBstr::Adopt(owned).ToString()); };
    LONG track = 0;
    const bool hasTrack = item.GetPropertyLong(W("ItemTrackNumber"), &track);
    bool deletable = false, renamable = false;
    item.GetPropertyBool(W("ItemDeletable"), &deletable);
    item.GetPropertyBool(W("ItemRenamable"), &renamable);
    return "kind " + std::to_string(item.GetKind()) + " " + text(item.GetLocation()) + " '" + text(item.GetTitle()) +
           "' album '" + text(item.GetAlbum()) + "' artist '" + text(item.GetArtist()) + "' genre '" +
           text(item.GetGenre()) + "' track " + (hasTrack ? std::to_string(track) : std::string("-")) + " size " +
           std::to_string(item.GetSize()) + " bitrate " + std::to_string(item.GetBitrate()) + " duration " +
           std::to_string(item.GetDuration()) + (deletable ? " deletable" : "") + (renamable ? " renamable" : "");
  }
};

TEST_F(ResolvedItemTest, ItemsAreClassifiedAndBuiltOnRequestOnce) {
  // 4000 bytes at 16 bits x 44100 per second: 705600 bits/s, 45 ms. The
  // player keeps playlists, so its plain files are not renamable.
  const struct Row {
    const WCHAR* path;
    LONG kind;  // asked for; 0 classifies
    const char* expected;
  } rows[] = {
      {W("\\Music"), KindClassify,
       "kind 1 \\Music 'Music' album '' artist '' genre '' track - size 0 bitrate 0 duration 0 deletable renamable"},
      {W("\\Music\\a.mp3"), KindClassify,
       "kind 4 \\Music\\a.mp3 'a.mp3' album '' artist '' genre '' track - size 4000 bitrate 705600 duration 45 "
       "deletable"},
      {W("\\Music\\Mix.pla"), KindClassify,
       "kind 3 \\Music\\Mix.pla 'Mix.pla' album '' artist '' genre '' track - size 0 bitrate 0 duration 0 "
       "deletable renamable"},
      {W("\\Music\\Pop\\\\x.mp3"), KindFolder,  // the caller's kind is taken as it is
       "kind 1 \\Music\\Pop\\x.mp3 'x.mp3' album '' artist '' genre '' track - size 100 bitrate 705600 duration 1 "
       "deletable renamable"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(wide::ToUtf8(row.path));
    NodeRef node =
        plugin_.Resolver().ResolveStorage(Location(W("Internal Memory")), row.path, RESOLVE_ITEM, nullptr, nullptr, row.kind);
    ASSERT_TRUE(node && node->item);
    EXPECT_EQ(Describe(*node->item), row.expected);
    const kcIPPItem* built = node->item.get();
    model_->Faults().ResetCalls();
    EXPECT_EQ(plugin_.Resolver().ResolveStorage(Location(W("Internal Memory")), row.path, RESOLVE_ITEM)->item.get(), built);
    EXPECT_EQ(WmdmCalls(), 0) << "an item is built once";
  }
  EXPECT_FALSE(Resolve(W("\\Music\\b.mp3"))->item) << "nor without being asked";
}

TEST_F(ResolvedItemTest, TagsFillTheItemOnceSkippingPlaceholders) {
  const struct Row {
    const char* what;
    std::vector<ModelTag> tags;
    const char* expected;  // from the title on
  } rows[] = {
      {"every tag read",
       {ModelTag::String(g_wszWMDMTitle, W("Song")), ModelTag::String(g_wszWMDMAlbumTitle, W("Album")),
        ModelTag::String(g_wszWMDMAlbumArtist, W("Artist")), ModelTag::String(g_wszWMDMGenre, W("Rock")),
        ModelTag::String(g_wszWMDMTrack, W("7")), ModelTag::Dword(g_wszWMDMBitrate, 128000),
        ModelTag::Qword(g_wszWMDMDuration, 2400000000ull)},
       "'Song' album 'Album' artist 'Artist' genre 'Rock' track 7 size 4000 bitrate 128000 duration 2400000 deletable"},
      {"placeholders in any case",
       {ModelTag::String(g_wszWMDMTitle, W("No Track Found")), ModelTag::String(g_wszWMDMAlbumTitle, W("NO ALBUM FOUND")),
        ModelTag::String(g_wszWMDMAuthor, W("no artist found")), ModelTag::String(g_wszWMDMGenre, W("No Genre Found")),
        ModelTag::String(g_wszWMDMTrack, W("0"))},
       "'t.mp3' album '' artist '' genre '' track - size 4000 bitrate 705600 duration 45 deletable"},
      {"later tags override earlier ones",
       {ModelTag::String(g_wszWMDMAuthor, W("First")), ModelTag::String(g_wszWMDMAlbumArtist, W("Second")),
        ModelTag::String(g_wszWMDMTitle, W("A")), ModelTag::String(g_wszWMDMTitle, W("B")),
        ModelTag::Dword(g_wszWMDMTrack, 3), ModelTag::String(g_wszWMDMTrack, W("9/12"))},
       "'B' album '' artist 'Second' genre '' track 9 size 4000 bitrate 705600 duration 45 deletable"},
      {"values of the wrong type or length, and empty texts",
       {ModelTag::String(g_wszWMDMBitrate, W("64000")), ModelTag::Dword(g_wszWMDMDuration, 5000),
        ModelTag::Qword(g_wszWMDMBitrate, 64000), ModelTag::String(g_wszWMDMTitle, W("")),
        ModelTag::Word(g_wszWMDMTrack, 4)},
       "'t.mp3' album '' artist '' genre '' track - size 4000 bitrate 705600 duration 45 deletable"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const ObjectId file = AddFile(music_, W("t.mp3"), 4000, row.tags);
    NodeRef node = Resolve(W("\\Music\\t.mp3"), RESOLVE_ITEM | RESOLVE_TAGS);
    ASSERT_TRUE(node && node->item);
    const std::string described = Describe(*node->item);
    EXPECT_EQ(described.substr(described.find('\'')), row.expected);
    EXPECT_FALSE(node->metadataPending);
    model_->Faults().ResetCalls();
    Resolve(W("\\Music\\t.mp3"), RESOLVE_ITEM | RESOLVE_TAGS);
    EXPECT_EQ(Calls(ObjectKind::Storage, "GetMetadata"), 0) << "tags are read once";
    plugin_.Resolver().DropNode(node);
    model_->DeleteObject(model_->HandleById(file), false);
  }
}

TEST_F(ResolvedItemTest, TagsAreReadOnlyForFiles) {
  model_->Faults().ResetCalls();
  NodeRef music = Resolve(W("\\Music"), RESOLVE_ITEM | RESOLVE_TAGS);
  ASSERT_TRUE(music);
  EXPECT_FALSE(music->metadataPending);
  EXPECT_EQ(Calls(ObjectKind::Storage, "GetMetadata"), 0);
  EXPECT_EQ(ReadTags(nullptr), IPP_E_FAIL);
  NodeRef bare = Resolve(W("\\Music\\b.mp3"), RESOLVE_TAGS);
  ASSERT_TRUE(bare);
  EXPECT_TRUE(bare->metadataPending) << "no item, nothing to fill";
  EXPECT_EQ(ReadTags(bare.get()), IPP_E_FAIL);

  // A metadata object that cannot be had leaves the item as built.
  model_->Faults().Inject(ObjectKind::Storage, "GetMetadata", E_FAIL, 1, b_);
  NodeRef b = Resolve(W("\\Music\\b.mp3"), RESOLVE_ITEM | RESOLVE_TAGS);
  ASSERT_TRUE(b && b->item);
  EXPECT_FALSE(b->metadataPending);
}

}  // namespace
