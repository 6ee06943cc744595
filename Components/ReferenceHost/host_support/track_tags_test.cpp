#include "host_support/track_tags.h"

#include <gtest/gtest.h>

#include <com_support.h>
#include <ipp_result_codes.h>
#include <unique_bstr.h>

#include "host_support/host_item.h"
#include "host_support/send_outcome.h"

namespace {

class TrackTagsTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0); }

  static WString Take(BSTR text) {
    return UniqueBstr::Adopt(text).ToString();
  }
};

TEST_F(TrackTagsTest, FileTagsReadWhereTheBuildHasAReader) {
  const std::string tagged = std::string(MD_FIXTURES_DIR) + "/tracks/Harbour Bell.wav";
  TrackTags tags;
  tags.title = W("stale");
  if (!CanReadFileTags()) {
    EXPECT_FALSE(ReadFileTags(tagged, &tags));
    EXPECT_FALSE(tags.title) << "a build without a reader reports no tags";
    return;
  }
  ASSERT_TRUE(ReadFileTags(tagged, &tags));
  EXPECT_EQ(tags.title, WString(W("Harbour Bell")));
  EXPECT_EQ(tags.artist, WString(W("Northern Lights")));
  EXPECT_EQ(tags.album, WString(W("Quiet Water")));
  EXPECT_EQ(tags.genre, WString(W("Ambient")));
  EXPECT_EQ(tags.track, 4);
  EXPECT_EQ(tags.duration, 2);
  EXPECT_EQ(tags.bitrate, 64000) << "8 kHz, 8-bit mono";
  EXPECT_FALSE(tags.rating);

  ASSERT_TRUE(ReadFileTags(std::string(MD_FIXTURES_DIR) + "/tracks/untagged.wav", &tags));
  EXPECT_FALSE(tags.title) << "an absent tag stays absent, not empty";
  EXPECT_FALSE(tags.track);
  EXPECT_FALSE(ReadFileTags(std::string(MD_FIXTURES_DIR) + "/tracks/README.md", &tags));
  EXPECT_FALSE(ReadFileTags(std::string(MD_FIXTURES_DIR) + "/tracks/missing.wav", &tags));
}

TEST_F(TrackTagsTest, OptionsWinOverTheFileTagByTag) {
  TrackTags options;
  options.title = W("Given");
  options.rating = 80;
  TrackTags file;
  file.title = W("From File");
  file.artist = W("Artist");
  file.track = 4;
  file.rating = 20;
  const TrackTags merged = MergeTags(options, file);
  EXPECT_EQ(merged.title, WString(W("Given")));
  EXPECT_EQ(merged.artist, WString(W("Artist")));
  EXPECT_EQ(merged.track, 4);
  EXPECT_EQ(merged.rating, 80);
  EXPECT_FALSE(merged.genre);
}

// The record the plug-in reads: a file, its texts, and the two numbered
// tags under the names the plug-in asks for; what is absent stays absent.
TEST_F(TrackTagsTest, TrackItemCarriesWhatIsGiven) {
  TrackTags tags;
  tags.title = W("Harbour Bell");
  tags.genre = W("Ambient");
  tags.track = 4;
  tags.rating = 60;
  tags.bitrate = 128000;
  HostItem item;
  item.SetArtist(W("left over"));
  FillTrackItem(tags, &item);
  EXPECT_EQ(item.GetKind(), 4);
  EXPECT_EQ(Take(item.GetTitle()), W("Harbour Bell"));
  EXPECT_EQ(Take(item.GetGenre()), W("Ambient"));
  EXPECT_EQ(item.GetArtist(), nullptr) << "a record is filled from nothing";
  EXPECT_EQ(item.GetAlbum(), nullptr);
  EXPECT_EQ(item.GetBitrate(), 128000);
  LONG value = 0;
  EXPECT_TRUE(item.GetPropertyLong(W("ItemTrackNumber"), &value));
  EXPECT_EQ(value, 4);
  EXPECT_TRUE(item.GetPropertyLong(W("ItemTrackRanking"), &value));
  EXPECT_EQ(value, 60);

  FillTrackItem(TrackTags(), &item);
  EXPECT_FALSE(item.GetPropertyLong(W("ItemTrackNumber"), &value));
  EXPECT_EQ(item.GetTitle(), nullptr);
}

TEST_F(TrackTagsTest, SendOutcomeFromAnswerOutcomeAndEnd) {
  struct Case {
    HRESULT result;
    DWORD outcome;
    bool ended;
    SendOutcome expected;
  };
  const Case cases[] = {
      {S_OK, 4, true, SendOutcome::kSent},
      {S_OK, 4, false, SendOutcome::kKept},
      {S_OK, 1, true, SendOutcome::kReplaced},
      {IPP_E_ALREADYEXISTS, 4, false, SendOutcome::kFailed},
      {IPP_E_DISKFULL, 1, false, SendOutcome::kFailed},  // the old file went, the new one did not come
      {E_NOTIMPL, 4, false, SendOutcome::kFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.result << " " << c.outcome << " " << c.ended);
    EXPECT_EQ(ClassifySend(c.result, c.outcome, c.ended), c.expected);
  }
  EXPECT_STREQ(OutcomeWord(SendOutcome::kReplaced), "replaced");
  EXPECT_EQ(ResultText(IPP_E_DISKFULL), "no room left on the medium");
  EXPECT_EQ(ResultText(IPP_E_ALREADYEXISTS), "a file of that name is already there");
  EXPECT_EQ(ResultText(E_FAIL), "");
}

}  // namespace
