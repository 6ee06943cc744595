#include "host_support/track_tags.h"

#include <gtest/gtest.h>

#include <ipp_result_codes.h>
#include <unique_bstr.h>

#include "host_support/host_item.h"
#include "host_support/send_outcome.h"

namespace {

class TrackTagsTest : public ::testing::Test {
 protected:
  static WString Take(BSTR text) { return UniqueBstr::Adopt(text).ToString(); }

  // Every tag in one line: "title|artist|album|genre|track|rating|bitrate|duration", "-" for an absent one.
  static std::string Line(const TrackTags& tags) {
    std::string line;
    for (const auto* text : {&tags.title, &tags.artist, &tags.album, &tags.genre})
      line += (*text ? wide::ToUtf8(**text) : "-") + "|";
    for (const auto* number : {&tags.track, &tags.rating, &tags.bitrate, &tags.duration})
      line += (*number ? std::to_string(**number) : "-") + "|";
    line.pop_back();
    return line;
  }
};

TEST_F(TrackTagsTest, FileTagsReadWhereTheBuildHasAReader) {
  const std::string tracks = std::string(MD_FIXTURES_DIR) + "/tracks/";
  TrackTags tags;
  tags.title = W("stale");
  if (!CanReadFileTags()) {
    EXPECT_FALSE(ReadFileTags(tracks + "Harbour Bell.wav", &tags));
    EXPECT_FALSE(tags.title) << "a build without a reader reports no tags";
    return;
  }
  ASSERT_TRUE(ReadFileTags(tracks + "Harbour Bell.wav", &tags));
  // 64000 bits a second: 8 kHz, 8-bit mono.
  EXPECT_EQ(Line(tags), "Harbour Bell|Northern Lights|Quiet Water|Ambient|4|-|64000|2");
  ASSERT_TRUE(ReadFileTags(tracks + "untagged.wav", &tags));
  EXPECT_FALSE(tags.title || tags.track) << "an absent tag stays absent, not empty";
  EXPECT_FALSE(ReadFileTags(tracks + "README.md", &tags));
  EXPECT_FALSE(ReadFileTags(tracks + "missing.wav", &tags));
}

TEST_F(TrackTagsTest, OptionsWinOverTheFileTagByTag) {
  TrackTags options, file;
  options.title = W("Given");
  options.rating = 80;
  file.title = W("From File");
  file.artist = W("Artist");
  file.track = 4;
  file.rating = 20;
  EXPECT_EQ(Line(MergeTags(options, file)), "Given|Artist|-|-|4|80|-|-");
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
  LONG track = 0, ranking = 0;
  EXPECT_TRUE(item.GetPropertyLong(W("ItemTrackNumber"), &track));
  EXPECT_TRUE(item.GetPropertyLong(W("ItemTrackRanking"), &ranking));
  EXPECT_EQ(std::make_pair(track, ranking), (std::make_pair<LONG, LONG>(4, 60)));

  FillTrackItem(TrackTags(), &item);
  EXPECT_FALSE(item.GetPropertyLong(W("ItemTrackNumber"), &track));
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
  EXPECT_EQ(ResultText(IPP_E_ALREADYEXISTS), "a file or folder of that name is already there");
  EXPECT_EQ(ResultText(E_FAIL), "");
}

}  // namespace
