// The sync's plan where names differ in case only: the player's file system
// takes them for one item, so the plan must neither send the library's
// spelling beside the player's nor delete the player's as gone.
#include "sync/sync_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "sync/sync_names.h"

namespace {

constexpr LONG kFolder = 1;
constexpr LONG kFile = 4;

struct Held {
  std::string name;
  ULONGLONG size;
};

struct Recorded {
  std::string name;
  ULONGLONG sourceSize, playerSize;
};

struct Case {
  const char* what;
  std::vector<Held> library;   // tracks of the computer's folder
  std::vector<Held> player;    // files below TARGET; their folders are added
  std::vector<Recorded> record;
  // What the plan must say.
  std::vector<std::string> sends, replaces, deletes, folders;
  std::map<std::string, std::string> twins;  // held back -> kept in its place
  size_t unchanged;
};

std::vector<std::string> Names(const std::vector<const SourceTrack*>& tracks) {
  std::vector<std::string> names;
  for (const SourceTrack* track : tracks) names.push_back(track->relative);
  return names;
}

SyncPlan Plan(const Case& c, SourceTree* source) {
  for (const Held& held : c.library) {
    SourceTrack track;
    track.relative = held.name;
    track.size = held.size;
    track.modified = 7;
    source->tracks.push_back(track);
  }
  std::sort(source->tracks.begin(), source->tracks.end(),
            [](const SourceTrack& a, const SourceTrack& b) { return a.relative < b.relative; });
  PlayerTree player;
  player.exists = true;
  for (const Held& held : c.player) {
    for (size_t slash = held.name.find('/'); slash != std::string::npos; slash = held.name.find('/', slash + 1))
      player.items[held.name.substr(0, slash)].kind = kFolder;
    player.items[held.name] = {kFile, held.size, {}};
  }
  SyncRecord record(W("medium"), W("\\Music"));
  for (const Recorded& sent : c.record) record.entries[sent.name] = {sent.sourceSize, 7, sent.playerSize};
  return PlanSync(*source, player, record, ".mp3;.wav", {/*remove=*/true, /*playlists=*/false});
}

TEST(SyncPlanTest, NamesDifferingInCaseAreOneItemOnThePlayer) {
  const std::vector<Case> cases = {
      {"the library renamed a track in case only", {{"Song.mp3", 10}}, {{"song.mp3", 10}}, {}, {}, {}, {}, {}, {}, 1},
      {"and a folder", {{"Band/One.mp3", 10}}, {{"BAND/one.mp3", 10}}, {}, {}, {}, {}, {}, {}, 1},
      {"a letter beyond ASCII", {{"Été/Ça.mp3", 10}}, {{"ÉTÉ/ça.mp3", 10}}, {}, {}, {}, {}, {}, {}, 1},
      {"Cyrillic and Greek", {{"Песня Ω.mp3", 10}}, {{"пЕСНЯ ω.mp3", 10}}, {}, {}, {}, {}, {}, {}, 1},
      {"a changed track is replaced, not sent beside its old copy", {{"Song.mp3", 11}}, {{"song.mp3", 10}},
       {}, {}, {"Song.mp3"}, {}, {}, {}, 0},
      {"the record follows a name whose case changed", {{"Song.mp3", 10}}, {{"song.mp3", 14}},
       {{"song.mp3", 10, 14}}, {}, {}, {}, {}, {}, 1},
      {"twins in the library: the first in order goes", {{"Song.mp3", 10}, {"song.mp3", 10}}, {}, {},
       {"Song.mp3"}, {}, {}, {}, {{"song.mp3", "Song.mp3"}}, 0},
      {"twins: the one the player holds as spelt stays, so no sync flips them",
       {{"Song.mp3", 10}, {"song.mp3", 10}}, {{"song.mp3", 10}}, {}, {}, {}, {}, {}, {{"Song.mp3", "song.mp3"}}, 1},
      {"twin folders: one goes, the other is held back with its files",
       {{"Album/a.mp3", 10}, {"album/b.mp3", 10}, {"album/c.mp3", 10}}, {}, {}, {"Album/a.mp3"}, {}, {},
       {"Album"}, {{"album", "Album"}}, 0},
      {"a file only the player has is deleted; its twins of the library's are not",
       {{"Song.mp3", 10}}, {{"SONG.MP3", 10}, {"Old.mp3", 10}}, {}, {}, {}, {"Old.mp3"}, {}, {}, 1},
      {"a player that tells case apart may hold both: neither goes",
       {{"Song.mp3", 10}}, {{"Song.mp3", 10}, {"song.mp3", 10}}, {}, {}, {}, {}, {}, {}, 1},
      {"names that differ in more than case stay apart", {{"Song.mp3", 10}}, {{"Song 2.mp3", 10}}, {},
       {"Song.mp3"}, {}, {"Song 2.mp3"}, {}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SourceTree source;
    const SyncPlan plan = Plan(c, &source);
    EXPECT_EQ(Names(plan.sends), c.sends);
    EXPECT_EQ(Names(plan.replaces), c.replaces);
    EXPECT_EQ(plan.deletes, c.deletes);
    EXPECT_EQ(plan.folders, c.folders);
    EXPECT_EQ(plan.unchanged, c.unchanged);
    std::map<std::string, std::string> twins;
    for (const CaseTwin& twin : plan.twins) twins[twin.relative] = twin.kept;
    EXPECT_EQ(twins, c.twins);
  }
}

TEST(SyncPlanTest, SendsGoIntoTheFolderAsThePlayerSpellsIt) {
  SourceTree source;
  const SyncPlan plan = Plan({"", {{"band/live/New.mp3", 10}}, {{"BAND/Live/Old.mp3", 10}}, {}, {}, {}, {}, {}, {}, 0},
                             &source);
  ASSERT_EQ(Names(plan.sends), std::vector<std::string>{"band/live/New.mp3"});
  EXPECT_TRUE(plan.folders.empty());
  EXPECT_EQ(PlayerSpelling(plan, "band/live"), "BAND/Live");
  EXPECT_EQ(PlayerSpelling(plan, "band"), "BAND");
  // A folder made inside one the player spells its own way.
  SourceTree other;
  const SyncPlan deeper =
      Plan({"", {{"band/new/A.mp3", 10}}, {{"BAND/x.mp3", 10}}, {}, {}, {}, {}, {}, {}, 0}, &other);
  EXPECT_EQ(deeper.folders, std::vector<std::string>{"band/new"});
  EXPECT_EQ(PlayerSpelling(deeper, "band"), "BAND");
}

TEST(SyncPlanTest, FoldCaseFoldsLettersOnly) {
  const struct {
    const char *a, *b;
    bool same;
  } pairs[] = {
      {"a/B.mp3", "A/b.MP3", true},   {"ÿ", "Ÿ", true},          {"ł", "Ł", true},   {"ň", "Ň", true},
      {"ž", "Ž", true},               {"ς", "Σ", true},          {"ё", "Ё", true},   {"ａ", "Ａ", true},
      {"ß", "SS", false},             {"÷", "×", false},         {"1", "1", true},   {"a b", "a_b", false},
      {"İ", "i", false},              {"ı", "I", true},
  };
  for (const auto& pair : pairs) {
    SCOPED_TRACE(std::string(pair.a) + " / " + pair.b);
    EXPECT_EQ(FoldCase(pair.a) == FoldCase(pair.b), pair.same);
  }
}

}  // namespace
