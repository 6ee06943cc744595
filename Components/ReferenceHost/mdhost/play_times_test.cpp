// The unit of a track's play time follows from the slot its record came
// from and what the host asked before, never from the value.
#include "mdhost/play_times.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayTimesTest, UnitFollowsTheSlotTheRecordCameFrom) {
  const WString track = W("\\Music\\a.wav");
  PlayTimes times;
  ItemReport listed;
  listed.durationFromTag = true;
  times.FromListing(track, &listed);
  EXPECT_FALSE(listed.durationFromTag) << "a listing before the tags were read holds milliseconds";

  // The duration tag's 10,000 (one second) equals the listed milliseconds;
  // the value must not decide.
  ItemReport information;
  information.duration = 10000;
  times.FromInformation(track, &information);
  EXPECT_TRUE(information.durationFromTag);
  ItemReport again;
  again.duration = 10000;
  times.FromListing(W("\\Music\\a.wav"), &again);
  EXPECT_TRUE(again.durationFromTag) << "a listing after the tags were read holds the tag's value";
  ItemReport other;
  times.FromListing(W("\\Music\\b.wav"), &other);
  EXPECT_FALSE(other.durationFromTag);
}

TEST(PlayTimesTest, EntryIdentifierStandsForItsTrack) {
  EXPECT_EQ(TrackOf(W("\\Playlists\\Run.pla|\\Music\\a.wav")), W("\\Music\\a.wav"));
  EXPECT_EQ(TrackOf(W("\\Music\\a.wav")), W("\\Music\\a.wav"));
}

}  // namespace
