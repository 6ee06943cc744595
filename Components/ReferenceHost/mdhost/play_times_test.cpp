// The unit of a track's play time follows from what the host has seen of
// the track in its session, whichever record it comes in.
#include "mdhost/play_times.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayTimesTest, UnitFollowsWhetherTheTagsWereReadAndChangedThePlayTime) {
  struct Case {
    const char* what;
    bool listed;         // a listing showed the track before its tags were read
    bool tagsRead;
    LONG recordDuration;  // in the record being printed
    bool fromTag;
  } cases[] = {
      {"listed, tags not read", true, false, 2000, false},
      {"tags read, play time replaced by the duration tag", true, true, 10000, true},
      {"tags read, no duration tag", true, true, 2000, false},
      {"tags read before any listing", false, true, 10000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlayTimes times;
    if (c.listed) times.Listed(W("\\Music\\a.wav"), 2000);
    if (c.tagsRead) times.TagsRead(W("\\Music\\a.wav"));
    // A listing after the tags were read hands out the changed play time;
    // it must not pass for the milliseconds.
    times.Listed(W("\\Music\\a.wav"), c.recordDuration);
    ItemReport item;
    item.duration = c.recordDuration;
    times.SetUnit(W("\\Music\\a.wav"), &item);
    EXPECT_EQ(item.durationFromTag, c.fromTag);
  }
}

TEST(PlayTimesTest, EntryIdentifierStandsForItsTrack) {
  EXPECT_EQ(TrackOf(W("\\Playlists\\Run.pla|\\Music\\a.wav")), W("\\Music\\a.wav"));
  EXPECT_EQ(TrackOf(W("\\Music\\a.wav")), W("\\Music\\a.wav"));
}

}  // namespace
