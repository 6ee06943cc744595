// The folder player on the file systems players and memory cards carry.
// Every test here runs on the folder the test program is given (TMPDIR): a
// plain folder in the usual run, an exFAT volume mounted through FUSE in
// the run CTest names folder_player_tests_exfat, where names compare with
// case aside, there are no hard links and no no-replace rename. That run
// also gives MD_EXFAT_VOLUME, the volume's directory for
// tools/lib/exfat_volume.sh, so a test can pull the card out, mount it
// read-only and check it.
#include <dirent.h>
#include <sys/mount.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "errno_result.h"
#include "folder_test_support.h"
#include "no_replace_rename.h"
#include "temporary_files.h"

namespace wmdm_standin {
namespace {

using testing_support::FolderEdits;
using testing_support::OnSmallTmpfs;
using testing_support::TemporaryFolder;

const HRESULT kExists = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
const HRESULT kFileExists = HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
const HRESULT kTooLong = HRESULT_FROM_WIN32(206);
const HRESULT kDiskFull = HRESULT_FROM_WIN32(ERROR_DISK_FULL);

// Whether the folder's file system finds a name by another case.
bool IgnoresCase(const std::string& folder) {
  const std::string probe = folder + "/case-probe";
  std::ofstream(probe) << "x";
  struct stat info = {};
  const bool blind = stat((folder + "/CASE-PROBE").c_str(), &info) == 0;
  unlink(probe.c_str());
  return blind;
}

bool OnFuse(const std::string& folder) {
  struct statfs info = {};
  return statfs(folder.c_str(), &info) == 0 && info.f_type == 0x65735546;
}

// The exFAT volume of this run, when there is one.
class CardVolume {
 public:
  static const char* Directory() { return getenv("MD_EXFAT_VOLUME"); }
  // exfat_volume.sh `command` on this volume, then `extra` ("ro").
  static int Run(const std::string& command, const std::string& extra = "") {
    const std::string line =
        std::string(MD_EXFAT_SCRIPT) + " " + command + " " + Directory() + " " + extra + " >/dev/null 2>&1";
    const int status = system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

// Puts the volume back as every other test expects it (mounted, writable),
// however a test that remounted or pulled it ends.
struct RemountWritableAtEnd {
  ~RemountWritableAtEnd() { EXPECT_EQ(CardVolume::Run("remount"), 0); }
};

struct CheckedRenameOnly {
  explicit CheckedRenameOnly(bool on) { UseCheckedRenameForTesting(on); }
  ~CheckedRenameOnly() { UseCheckedRenameForTesting(false); }
};

// Names a player's medium never lists: what a send leaves while it runs.
std::vector<std::string> Temporaries(const TemporaryFolder& player) {
  std::vector<std::string> found;
  for (const std::string& name : player.Everything())
    if (IsTemporaryName(name.substr(name.find_last_of('/') + 1))) found.push_back(name);
  return found;
}

// A new file never takes the place of another, whether the player's model
// knew of it or another program wrote it after the player read the folder,
// under the same name or (on a card) another case of it. Each case runs on
// the path the file system offers and on the checked path FUSE mounts take.
TEST(FolderCardTest, ANewFileNeverTakesAnothersPlace) {
  for (const bool checked : {false, true}) {
    SCOPED_TRACE(checked ? "checked rename" : "the file system's own");
    CheckedRenameOnly mode(checked);
    TemporaryFolder player;
    player.Write("Music/known.mp3", "known");
    FolderEdits edits(player.Path());
    ASSERT_TRUE(edits.Open());
    const bool blind = IgnoresCase(player.Path());
    player.Write("Music/late.mp3", "written by another program");
    struct Case {
      const char* name;
      bool overwrite;
      HRESULT result;
      const char* onDisk;  // the file that must hold `content` afterwards
      const char* content;
    };
    const std::vector<Case> cases = {
        {"new.mp3", false, S_OK, "Music/new.mp3", "sent"},
        {"known.mp3", false, kFileExists, "Music/known.mp3", "known"},
        {"late.mp3", false, kFileExists, "Music/late.mp3", "written by another program"},
        {"KNOWN.MP3", false, kFileExists, "Music/known.mp3", "known"},
        {"known.mp3", true, S_OK, "Music/known.mp3", "sent"},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(edits.Send("Music", wide::FromUtf8(c.name), "sent", c.overwrite), c.result);
      EXPECT_EQ(player.Read(c.onDisk), c.content);
    }
    if (blind) {
      // The card holds one spelling; another case written since is that file.
      player.Write("Music/OTHER.mp3", "another program's");
      EXPECT_EQ(edits.Send("Music", W("other.mp3"), "sent"), kFileExists);
      EXPECT_EQ(player.Read("Music/OTHER.mp3"), "another program's");
    }
    EXPECT_EQ(edits.MakeFolder("", "Band"), S_OK);
    EXPECT_EQ(edits.MakeFolder("", "Band"), kExists);
    EXPECT_EQ(edits.Send("Band", W("one.mp3"), "one"), S_OK);
    EXPECT_EQ(player.Read("Band/one.mp3"), "one");
    EXPECT_TRUE(Temporaries(player).empty());
  }
}

// A process ended at any point of naming a finished file (a crash, a kill)
// leaves the whole file under its name or nothing but its temporary, which
// the next read of the folder removes; a file already there is never touched.
TEST(FolderCardTest, ACrashWhileNamingLeavesTheWholeFileOrNothing) {
  struct Case {
    const char* crashAt;  // the step the process ends at; "" runs through
    bool nameTaken;       // another file holds the name already
    const char* expected; // the final name's content afterwards; "" none
  };
  const Case cases[] = {
      {"checked", false, ""},
      {"named", false, "the whole track"},
      {"", true, "someone's own"},
      {"", false, "the whole track"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.crashAt) + (c.nameTaken ? " name taken" : ""));
    TemporaryFolder player;
    player.MakeFolder("Music");
    if (c.nameTaken) player.Write("Music/Track.mp3", "someone's own");
    const std::string folder = player.Path() + "/Music";
    static std::string crashAt;
    crashAt = c.crashAt;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      UseCheckedRenameForTesting(true);
      SetRenameStepHookForTesting([](const char* step) {
        if (crashAt == step) _exit(3);
      });
      const std::string temporary = TemporaryPathIn(folder);
      std::ofstream(temporary) << "the whole track";
      const HRESULT named = RenameWithoutReplacing(temporary, folder + "/Track.mp3");
      if (FAILED(named)) unlink(temporary.c_str());
      _exit(named == S_OK ? 0 : named == kExists ? 1 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), *c.crashAt ? 3 : c.nameTaken ? 1 : 0);

    FolderEdits edits(player.Path());  // the next read, by a process of its own
    ASSERT_TRUE(edits.Open());
    EXPECT_EQ(player.Exists("Music/Track.mp3") ? player.Read("Music/Track.mp3") : "", c.expected);
    EXPECT_TRUE(Temporaries(player).empty()) << "left behind: " << testing::PrintToString(Temporaries(player));
  }
}

// A file system that refuses the no-replace rename (a FUSE mount) is asked
// once per player, not at every send and rename; later ones go straight to
// the checked rename and keep its promise.
TEST(FolderCardTest, ARefusedNoReplaceRenameIsAskedOnce) {
  TemporaryFolder player;
  player.Write("Music/kept.mp3", "kept");
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  static std::atomic<int> refusals;
  refusals = 0;
  SetRenameStepHookForTesting([](const char* step) {
    if (std::string(step) == "refused") ++refusals;
  });
  EXPECT_EQ(edits.Send("Music", W("one.mp3"), "one"), S_OK);
  EXPECT_EQ(edits.Send("Music", W("two.mp3"), "two"), S_OK);
  EXPECT_EQ(edits.Rename("Music/two.mp3", "three.mp3"), S_OK);
  EXPECT_EQ(edits.Send("Music", W("kept.mp3"), "sent"), kFileExists);
  EXPECT_EQ(edits.Rename("Music/one.mp3", "kept.mp3"), kExists);
  SetRenameStepHookForTesting(nullptr);
  EXPECT_EQ(refusals, OnFuse(player.Path()) ? 1 : 0);
  EXPECT_EQ(player.Read("Music/kept.mp3"), "kept");
  EXPECT_EQ(player.Everything(),
            (std::vector<std::string>{"Music", "Music/kept.mp3", "Music/one.mp3", "Music/three.mp3"}));
}

// A change of case only is the item's own rename, a file's or a folder's
// (with what is inside); a rename onto another item, known to the player or
// written since by another program, is refused and changes nothing.
TEST(FolderCardTest, ACaseOnlyRenameIsTheItemsOwn) {
  for (const bool checked : {false, true}) {
    SCOPED_TRACE(checked ? "checked rename" : "the file system's own");
    CheckedRenameOnly mode(checked);
    TemporaryFolder player;
    player.Write("Music/song.mp3", "song");
    player.Write("band/one.mp3", "one");
    player.Write("Music/a.mp3", "a");
    player.Write("Music/b.mp3", "b");
    player.Write("Music/élan.mp3", "élan");
    player.Write("über/x.mp3", "x");
    FolderEdits edits(player.Path());
    ASSERT_TRUE(edits.Open());
    player.Write("Music/c.mp3", "written by another program");

    EXPECT_EQ(edits.Rename("Music/b.mp3", "b.mp3"), S_OK) << "its own name";
    EXPECT_EQ(edits.Rename("Music/song.mp3", "Song.mp3"), S_OK);
    EXPECT_EQ(edits.Rename("band", "BAND"), S_OK);
    // Beyond ASCII, as the card's own up-case table folds names.
    EXPECT_EQ(edits.Rename("Music/élan.mp3", "Élan.mp3"), S_OK);
    EXPECT_EQ(edits.Rename("über", "ÜBER"), S_OK);
    EXPECT_EQ(edits.Rename("Music/a.mp3", "B.mp3"), kExists);
    EXPECT_EQ(edits.Rename("Music/a.mp3", "c.mp3"), kExists);
    EXPECT_EQ(edits.Rename("Music/a.mp3", "éLAN.MP3"), kExists);
    EXPECT_EQ(player.Everything(),
              (std::vector<std::string>{"BAND", "BAND/one.mp3", "Music", "Music/Song.mp3", "Music/a.mp3", "Music/b.mp3",
                                        "Music/c.mp3", "Music/Élan.mp3", "ÜBER", "ÜBER/x.mp3"}));
    EXPECT_EQ(player.Read("Music/Élan.mp3"), "élan");
    EXPECT_EQ(player.Read("Music/Song.mp3"), "song");
    EXPECT_EQ(player.Read("Music/b.mp3"), "b");
    EXPECT_EQ(player.Read("Music/c.mp3"), "written by another program");
    EXPECT_EQ(edits.Children("BAND"), std::vector<WString>{W("one.mp3")});
  }
}

// Playlists on a card: an entry names its track in any case, a playlist is
// found by another case of its name (not made twice), and a new one is
// named so that players find it, the client told the name it got.
TEST(FolderCardTest, PlaylistsOnACard) {
  TemporaryFolder player;
  player.Write("Band/one.mp3", "one");
  player.Write("MIX.m3u8", "#EXTM3U\nband/ONE.MP3\n");
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  const StorageHandle mix = edits.At("MIX.m3u8");
  ASSERT_TRUE(mix.object);
  ASSERT_EQ(mix.object->references.size(), 1u);
  EXPECT_EQ(mix.object->references[0].lock(), edits.At("Band/one.mp3").object);
  EXPECT_EQ(edits.At("mix.m3u8").object, mix.object);

  const struct {
    const char* given;
    const char* made;
  } names[] = {{"Road", "Road.m3u8"}, {"Run.pla", "Run.m3u8"}, {"Old.m3u", "Old.m3u"}, {"New.M3U8", "New.M3U8"}};
  for (const auto& name : names) {
    SCOPED_TRACE(name.given);
    WString made;
    EXPECT_EQ(edits.NewPlaylist("", name.given, &made), S_OK);
    EXPECT_EQ(made, wide::FromUtf8(name.made));
    EXPECT_EQ(player.Read(name.made), "#EXTM3U\n");
    EXPECT_TRUE(edits.At(name.made).object);
  }
  EXPECT_EQ(edits.NewPlaylist("", "Road"), kFileExists) << "Road.m3u8 is there";
  EXPECT_EQ(edits.NewPlaylist("", "mix.m3u8"), kFileExists);
  EXPECT_EQ(player.Read("MIX.m3u8"), "#EXTM3U\nband/ONE.MP3\n");
}

// A name is at most 255 UTF-16 units on FAT and exFAT, whatever its UTF-8
// bytes; a folder on ext4 or tmpfs takes 255 bytes, so there the bytes rule.
TEST(FolderCardTest, LongNamesCountAsTheirFileSystemCounts) {
  TemporaryFolder player;
  player.MakeFolder("Music");
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  const bool units = OnFuse(player.Path());
  const WString cjk(1, 0x66F2);  // three bytes in UTF-8
  struct Case {
    size_t characters;
    HRESULT onCard;
    HRESULT inBytes;
  };
  const Case cases[] = {{81, S_OK, S_OK}, {91, S_OK, kTooLong}, {251, S_OK, kTooLong}, {252, kTooLong, kTooLong}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.characters);
    WString name;
    for (size_t i = 0; i < c.characters; ++i) name += cjk;
    name += W(".mp3");  // 4 more units
    const HRESULT expected = units ? c.onCard : c.inBytes;
    EXPECT_EQ(edits.Send("Music", name, "long"), expected);
    struct stat info = {};
    EXPECT_EQ(lstat((player.Path() + "/Music/" + wide::ToUtf8(name)).c_str(), &info) == 0, expected == S_OK);
  }
  EXPECT_TRUE(Temporaries(player).empty());
}

// Everything a read-only medium refuses is refused as read-only, the medium
// says it is, and nothing changes on it.
std::string ReadOnlyComplaints(const std::string& folder) {
  std::string complaints;
  FolderEdits edits(folder);
  if (!edits.Open()) return "no player";
  const auto expect = [&](const char* what, HRESULT got, HRESULT wanted) {
    if (got != wanted) complaints += std::string(what) + " answered " + std::to_string(got) + "\n";
  };
  const StorageHandle root = edits.At("");
  if (!(root.object->attributes & WMDM_FILE_ATTR_READONLY)) complaints += "the medium is not marked read-only\n";
  expect("a send", edits.Send("Music", W("new.mp3"), "new"), kMediumReadOnly);
  expect("a new folder", edits.MakeFolder("", "New"), kMediumReadOnly);
  expect("a rename", edits.Rename("Music/a.mp3", "b.mp3"), kMediumReadOnly);
  if (SUCCEEDED(edits.Delete("Music/a.mp3"))) complaints += "a delete succeeded\n";
  if (edits.Children("Music") != std::vector<WString>{W("a.mp3")}) complaints += "the model changed\n";
  return complaints;
}

TEST(FolderCardTest, AReadOnlyMediumSaysSo) {
  TemporaryFolder player;
  player.Write("Music/a.mp3", "a");
  if (CardVolume::Directory() && OnFuse(player.Path())) {
    RemountWritableAtEnd writable;
    ASSERT_EQ(CardVolume::Run("remount"), 0);  // the card's own state, written out
    ASSERT_EQ(CardVolume::Run("remount", "ro"), 0);
    EXPECT_EQ(ReadOnlyComplaints(player.Path()), "");
    EXPECT_EQ(player.Read("Music/a.mp3"), "a");
    return;
  }
  const int held = OnSmallTmpfs(player.Path(), "1m", [&] {
    std::filesystem::create_directories(player.Path() + "/Music");
    std::ofstream(player.Path() + "/Music/a.mp3") << "a";
    if (mount(nullptr, player.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) return false;
    const std::string complaints = ReadOnlyComplaints(player.Path());
    if (!complaints.empty()) fprintf(stderr, "%s", complaints.c_str());
    return complaints.empty();
  });
  if (held == 77) GTEST_SKIP() << "no mount namespace here";
  EXPECT_EQ(held, 0);
}

// A full card refuses the send as full and keeps no part of it.
TEST(FolderCardTest, AFullCardKeepsNoPartOfASend) {
  TemporaryFolder player;
  player.MakeFolder("Music");
  if (!CardVolume::Directory() || !OnFuse(player.Path())) GTEST_SKIP() << "a full folder: FolderPlayerDiskTest";
  // Everything but a little room goes to one file written beside the player.
  struct statvfs volume = {};
  ASSERT_EQ(statvfs(player.Path().c_str(), &volume), 0);
  const unsigned long long free = static_cast<unsigned long long>(volume.f_bavail) * volume.f_frsize;
  const std::string filler = player.Path() + "/filler";
  {
    std::ofstream out(filler, std::ios::binary);
    const std::string block(1 << 20, 'f');
    for (unsigned long long written = 0; written + 2 * block.size() < free; written += block.size()) out << block;
  }
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  // Larger than the room left, though the model's own count is passed.
  const std::string track(3 << 20, 't');
  EXPECT_EQ(edits.Send("Music", W("big.mp3"), track), kDiskFull);
  EXPECT_EQ(player.Everything(), (std::vector<std::string>{"Music", "filler"}));
  unlink(filler.c_str());
}

// A card pulled out, whatever the send was doing, is reported as gone, not
// as full, by every edit after it; once it is back, every file the player
// named is whole and nothing half-written has a final name.
TEST(FolderCardTest, ACardPulledOutIsGoneNotFull) {
  TemporaryFolder player;
  player.Write("Music/kept.mp3", "kept");
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  ASSERT_EQ(edits.Send("Music", W("sent.mp3"), "sent before"), S_OK);
  if (!CardVolume::Directory() || !OnFuse(player.Path())) {
    // A folder player whose folder went: its mount point is gone.
    std::filesystem::remove_all(player.Path());
    EXPECT_EQ(edits.Send("Music", W("after.mp3"), "after"), kMediumGone);
    EXPECT_EQ(edits.MakeFolder("", "New"), kMediumGone);
    EXPECT_EQ(edits.Rename("Music/kept.mp3", "other.mp3"), kMediumGone);
    EXPECT_EQ(edits.Delete("Music/kept.mp3"), kMediumGone);
    return;
  }
  ASSERT_EQ(FlushFolderPlayers(), S_OK);
  RemountWritableAtEnd writable;
  // A send long enough to be caught in the middle: the card goes as soon
  // as its temporary file is there.
  std::atomic<HRESULT> midway{S_FALSE};
  std::thread send([&] { midway = edits.Send("Music", W("midway.mp3"), std::string(100 << 20, 'm')); });
  while (midway == S_FALSE && Temporaries(player).empty()) std::this_thread::yield();
  ASSERT_EQ(CardVolume::Run("pull"), 0);
  send.join();
  if (midway == S_OK) ADD_FAILURE() << "the send ended before the card was pulled; nothing was tested mid-way";
  EXPECT_EQ(midway, kMediumGone);
  EXPECT_EQ(edits.Send("Music", W("after.mp3"), "after"), kMediumGone);
  EXPECT_EQ(edits.MakeFolder("", "New"), kMediumGone);
  EXPECT_EQ(edits.Rename("Music/kept.mp3", "other.mp3"), kMediumGone);

  EXPECT_EQ(CardVolume::Run("fsck"), 0) << "fsck.exfat found the card damaged";
  ASSERT_EQ(CardVolume::Run("remount"), 0);
  EXPECT_EQ(player.Read("Music/kept.mp3"), "kept");
  EXPECT_EQ(player.Read("Music/sent.mp3"), "sent before");
  EXPECT_FALSE(player.Exists("Music/midway.mp3")) << "a half-written file under its final name";
  EXPECT_FALSE(player.Exists("Music/after.mp3"));
}

// The kernel answers a stat of a FUSE mount's root from the attributes it
// keeps for a while, also after the FUSE process died: the first edit after
// the pull, with the root looked at just before, already answers gone (a
// look that passed would go on to find no room and answer full).
TEST(FolderCardTest, TheFirstEditAfterAPullAnswersGone) {
  TemporaryFolder player;
  if (!CardVolume::Directory() || !OnFuse(player.Path())) GTEST_SKIP() << "needs the exFAT run's card to pull";
  player.Write("Music/kept.mp3", "kept");
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  RemountWritableAtEnd writable;
  struct stat root = {};
  ASSERT_EQ(stat(player.Path().c_str(), &root), 0);
  ASSERT_EQ(CardVolume::Run("pull"), 0);
  EXPECT_EQ(edits.Send("Music", W("after.mp3"), "after"), kMediumGone);
  EXPECT_EQ(edits.MakeFolder("", "New"), kMediumGone);
}

}  // namespace
}  // namespace wmdm_standin
