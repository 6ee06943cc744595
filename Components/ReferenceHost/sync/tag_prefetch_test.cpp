#include "sync/tag_prefetch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

#ifdef MD_AUDIO_CORPUS
const std::string kCorpus = MD_AUDIO_CORPUS;
#else
const std::string kCorpus;
#endif

std::vector<std::string> Files() {
  return {kCorpus + "/lame.mp3", "", kCorpus + "/silence-44-s.flac", "/nonexistent/track.mp3",
          kCorpus + "/has-tags.m4a", kCorpus + "/no-tags.mp3"};
}

TrackTags ReadNow(const std::string& file) {
  TrackTags tags;
  ReadFileTags(file, &tags);
  return tags;
}

void ExpectSame(const std::optional<TrackTags>& taken, const std::string& file) {
  ASSERT_TRUE(taken.has_value()) << file;
  const TrackTags now = ReadNow(file);
  EXPECT_EQ(taken->title, now.title) << file;
  EXPECT_EQ(taken->artist, now.artist) << file;
  EXPECT_EQ(taken->album, now.album) << file;
  EXPECT_EQ(taken->track, now.track) << file;
  EXPECT_EQ(taken->duration, now.duration) << file;
}

// Whether the thread got there first or the send read the file itself, each
// file's own tags come back, in whatever order the sends skip files.
TEST(TagPrefetchTest, EachTakeIsThatFilesOwnTags) {
  if (!CanReadFileTags()) GTEST_SKIP() << "this build reads no tags";
  ASSERT_TRUE(ReadNow(kCorpus + "/silence-44-s.flac").title.has_value()) << "the corpus is missing at " << kCorpus;
  const std::vector<std::vector<size_t>> orders = {{0, 1, 2, 3, 4, 5}, {2, 5}, {5}, {0, 4}};
  for (const auto& order : orders) for (bool readAheadFirst : {false, true}) {
    SCOPED_TRACE(readAheadFirst ? "the thread first" : "the sends first");
    TagPrefetch prefetch(Files());
    // Time for the thread to read every file ahead, so that the tags taken
    // are the thread's and not the send's own read.
    if (readAheadFirst) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (size_t index : order) {
      SCOPED_TRACE(index);
      if (Files()[index].empty()) EXPECT_FALSE(prefetch.Take(index).has_value());
      else ExpectSame(prefetch.Take(index), Files()[index]);
    }
  }
}

TEST(TagPrefetchTest, AnIndexIsTakenOnceAndOutOfRangeIsNone) {
  TagPrefetch prefetch(Files());
  EXPECT_TRUE(prefetch.Take(0).has_value());
  EXPECT_FALSE(prefetch.Take(0).has_value());
  EXPECT_FALSE(prefetch.Take(Files().size()).has_value());
}

// Ends promptly with most files unread, and with none asked for at all.
TEST(TagPrefetchTest, EndsWithFilesUnread) {
  std::vector<std::string> many(2000, kCorpus + "/lame.mp3");
  {
    TagPrefetch prefetch(many);
    EXPECT_TRUE(prefetch.Take(3).has_value());
  }
  TagPrefetch untouched(many);
}

}  // namespace
