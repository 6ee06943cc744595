#include "sync/sync_plan.h"

#include <gtest/gtest.h>

namespace {

constexpr char kPlays[] = ".mp3;.wma;.wav";

struct Case {
  const char* what;
  std::vector<const char*> source;  // relative paths, all of 1,000 bytes at time 7
  std::vector<std::pair<const char*, ULONGLONG>> player;  // files with their sizes
  std::vector<std::pair<const char*, long long>> record;  // sent by a sync: the source's time then
  const char* formats;
  bool convert, remove;
  const char* plan;
};

std::string Describe(const SyncPlan& plan) {
  std::string text;
  for (const SourceTrack* track : plan.sends) text += "send " + track->relative + " as " + plan.PlayerName(*track) + "; ";
  for (const SourceTrack* track : plan.replaces)
    text += "replace " + track->relative + " as " + plan.PlayerName(*track) + "; ";
  for (const SourceTrack* track : plan.unplayable) text += "skip " + track->relative + "; ";
  for (const auto& [track, other] : plan.clashes) text += "clash " + track->relative + " with " + other + "; ";
  for (const std::string& gone : plan.deletes) text += "delete " + gone + "; ";
  return text + std::to_string(plan.unchanged) + " unchanged";
}

TEST(PlanSync, TracksThePlayerDoesNotPlayGoAsMp3UnderTheirMp3sName) {
  const Case cases[] = {
      {"converted under its MP3's name", {"A/x.flac", "A/y.mp3"}, {}, {}, kPlays, true, false,
       "send A/x.flac as A/x.mp3; send A/y.mp3 as A/y.mp3; 0 unchanged"},
      {"without conversion skipped", {"x.flac"}, {}, {}, kPlays, false, false, "skip x.flac; 0 unchanged"},
      {"a player without MP3 gets none", {"x.flac"}, {}, {}, ".wma;.wav", true, false, "skip x.flac; 0 unchanged"},
      {"no audio format is converted blindly", {"x.aiff"}, {}, {}, kPlays, true, false, "skip x.aiff; 0 unchanged"},
      {"a played track keeps its name; the first conversion wins, case aside",
       {"a.flac", "a.mp3", "b.flac", "B.ogg"}, {}, {}, kPlays, true, false,
       "send a.mp3 as a.mp3; send b.flac as b.mp3; clash a.flac with a.mp3; clash B.ogg with b.flac; 0 unchanged"},
      {"sent by an earlier sync and unchanged", {"x.flac"}, {{"x.mp3", 500}}, {{"x.mp3", 7}}, kPlays, true, false,
       "1 unchanged"},
      {"its source changed since", {"x.flac"}, {{"x.mp3", 500}}, {{"x.mp3", 6}}, kPlays, true, false,
       "replace x.flac as x.mp3; 0 unchanged"},
      {"an MP3 of that name no sync sent", {"x.flac"}, {{"x.mp3", 1000}}, {}, kPlays, true, false,
       "replace x.flac as x.mp3; 0 unchanged"},
      {"--delete keeps a conversion while its source is there, converted this time or not",
       {"x.flac", "z.ogg"}, {{"x.mp3", 500}, {"y.mp3", 500}, {"z.mp3", 500}}, {{"x.mp3", 7}}, kPlays, false, true,
       "skip x.flac; skip z.ogg; delete y.mp3; 0 unchanged"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.what);
    SourceTree source;
    for (const char* relative : row.source) source.tracks.push_back({relative, {}, 1000, 7});
    PlayerTree player;
    player.exists = true;
    for (const auto& [relative, size] : row.player) player.items[relative] = {4, size, {}};
    SyncRecord record(W("location"), W("\\Music"));
    for (const auto& [relative, time] : row.record) record.entries[relative] = {1000, time, 500};
    SyncOptions options;
    options.convert = row.convert;
    options.remove = row.remove;
    EXPECT_EQ(Describe(PlanSync(source, player, record, row.formats, options)), row.plan);
  }
}

}  // namespace
