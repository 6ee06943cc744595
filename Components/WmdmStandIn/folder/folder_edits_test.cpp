// What the folder player's edits keep safe, checked on real files and real
// mounts: a delete never leaves the player's mount, a name differing in case
// only is never taken for another, a name that is not UTF-8 reaches its file,
// and what the player reads from the medium cannot hang or swallow it.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>

#include "folder_player.h"
#include "folder_test_support.h"
#include "name_rules.h"
#include "safe_remove.h"
#include "test_tracks.h"

namespace wmdm_standin {
namespace {

using testing_support::FolderEdits;
using testing_support::TemporaryFolder;

const HRESULT kExists = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
const HRESULT kInvalidName = HRESULT_FROM_WIN32(123);
const HRESULT kTooLong = HRESULT_FROM_WIN32(206);

// Runs `body` in a child process with mounts of its own (as root, or in a
// user namespace where the kernel allows it), so that what it mounts never
// reaches the machine. The child's complaints, one a line, come back; a
// child that could not mount comes back as "skip".
std::string WithOwnMounts(const std::function<std::string()>& body) {
  int report[2];
  if (pipe(report) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    bool alone = uid == 0 && unshare(CLONE_NEWNS) == 0;
    if (!alone && unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
      std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
      alone = true;
    }
    // Nothing mounted here may reach the parent's namespace.
    if (!alone || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(77);
    const std::string complaints = body();
    if (write(report[1], complaints.data(), complaints.size()) < 0) _exit(2);
    _exit(0);
  }
  close(report[1]);
  std::string complaints;
  char buffer[4096];
  for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) complaints.append(buffer, got);
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return "skip";
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child failed: " + std::to_string(status);
  return complaints;
}

void Fill(const TemporaryFolder& player, const std::vector<std::pair<std::string, std::string>>& files) {
  for (const auto& [path, bytes] : files) player.Write(path, bytes);
}

#define COMPLAIN_UNLESS(condition) \
  if (!(condition)) complaints += std::string(#condition) + " (line " + std::to_string(__LINE__) + ")\n"

// A card or a bind mount inside the player is another file system: a delete
// or an erase that meets one refuses before it deletes anything, and the
// files of both stay.
TEST(FolderEditsTest, DeletesNeverLeaveThePlayersMount) {
  TemporaryFolder player, elsewhere;
  player.Write("Music/a.mp3", test_tracks::Mp3(1));
  player.Write("Music/Zed/z.mp3", test_tracks::Mp3(1));
  player.MakeFolder("Music/Card");
  player.MakeFolder("Memory");
  player.Write("Other/o.mp3", test_tracks::Mp3(1));
  player.Write(kPlayerFactsFile, "{}");
  // Made last, so that whichever order the folder is read in, something
  // deletable comes before a mount point.
  player.Write("Music/later.mp3", test_tracks::Mp3(1));
  player.Write("later.mp3", test_tracks::Mp3(1));
  elsewhere.Write("keep.mp3", test_tracks::Mp3(1));
  const std::string complaints = WithOwnMounts([&] {
    std::string complaints;
    if (mount(elsewhere.Path().c_str(), (player.Path() + "/Music/Card").c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount("none", (player.Path() + "/Memory").c_str(), "tmpfs", 0, "size=1m") != 0)
      _exit(77);
    std::ofstream(player.Path() + "/Memory/m.mp3") << "m";
    const auto before = player.Everything();
    FolderEdits edits(player.Path());
    COMPLAIN_UNLESS(edits.Open());
    COMPLAIN_UNLESS(edits.Delete("Music") == MountPointRefusal());
    COMPLAIN_UNLESS(edits.Delete("Memory") == MountPointRefusal());
    COMPLAIN_UNLESS(edits.Model().EraseMedium(edits.At("")) == MountPointRefusal());
    COMPLAIN_UNLESS(player.Everything() == before);
    COMPLAIN_UNLESS(elsewhere.Exists("keep.mp3"));
    COMPLAIN_UNLESS(edits.Children("Music").size() == 4);
    // Once the card is out, the folder goes as asked.
    umount((player.Path() + "/Music/Card").c_str());
    umount((player.Path() + "/Memory").c_str());
    COMPLAIN_UNLESS(edits.Delete("Music") == S_OK);
    COMPLAIN_UNLESS(edits.Model().EraseMedium(edits.At("")) == S_OK);
    COMPLAIN_UNLESS(player.Everything() == std::vector<std::string>{kPlayerFactsFile});
    return complaints;
  });
  if (complaints == "skip") GTEST_SKIP() << "no mount namespace here";
  EXPECT_EQ(complaints, "");
}

// On a file system that tells case apart, "a.mp3" and "A.mp3" are two files:
// each is found by its exact name, a name matching both only case aside is
// refused, and no rename lands on the other. A change of case of one file
// with no other of that name still works.
TEST(FolderEditsTest, NamesDifferingInCaseAreNeverTakenForEachOther) {
  TemporaryFolder player;
  Fill(player, {{"Music/A.mp3", "upper"}, {"Music/a.mp3", "lower"}, {"music/kept.mp3", "folder"}, {"Music/b.mp3", "b"}});
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  EXPECT_EQ(edits.Children("music"), std::vector<WString>{W("kept.mp3")});
  EXPECT_FALSE(edits.At("Music/A.MP3").object) << "two names match case aside";
  EXPECT_EQ(edits.Rename("Music/A.mp3", "a.mp3"), kExists);
  EXPECT_EQ(edits.Delete("Music/a.mp3"), S_OK);
  EXPECT_EQ(player.Read("Music/A.mp3"), "upper");
  EXPECT_FALSE(player.Exists("Music/a.mp3"));
  EXPECT_EQ(edits.Rename("Music/b.mp3", "B.mp3"), S_OK);
  EXPECT_EQ(player.Read("Music/B.mp3"), "b");

  // Nor is a file of the new name written beside the player after it was read.
  player.Write("Music/b.mp3", "written later");
  EXPECT_EQ(edits.Rename("Music/B.mp3", "b.mp3"), kExists);
  EXPECT_EQ(player.Read("Music/b.mp3"), "written later");
  EXPECT_EQ(player.Read("Music/B.mp3"), "b");
}

// A Linux name may hold a "\" (the separator of the paths clients use) or
// bytes that are not UTF-8. Such names are shown escaped, and an edit of one
// reaches the real file.
TEST(FolderEditsTest, NamesThatAreNoWindowsNamesAreShownEscapedAndEditedForReal) {
  TemporaryFolder player;
  Fill(player, {{"Music/bad\xFF.mp3", "not utf-8"}, {"Music/back\\slash.mp3", "backslash"}, {"Music/ok.mp3", "ok"},
                {"Old\xE9/x.mp3", "x"}});
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  const WString bad = W("bad") + WString(1, 0x29F5) + W("xFF.mp3");
  const WString back = W("back") + WString(1, 0x29F5) + W("slash.mp3");
  EXPECT_EQ(edits.Children("Music"), (std::vector<WString>{back, bad, W("ok.mp3")}));
  EXPECT_EQ(edits.Delete("Music/" + wide::ToUtf8(bad)), S_OK);
  EXPECT_FALSE(player.Exists("Music/bad\xFF.mp3"));
  EXPECT_EQ(edits.Rename("Music/" + wide::ToUtf8(back), "fixed.mp3"), S_OK);
  EXPECT_EQ(player.Read("Music/fixed.mp3"), "backslash");
  EXPECT_EQ(edits.Rename("Old" + wide::ToUtf8(WString(1, 0x29F5)) + "xE9", "Old"), S_OK);
  EXPECT_EQ(edits.Send("Old", W("y.mp3"), "y"), S_OK) << "below a renamed folder, by its new name";
  EXPECT_EQ(player.Everything(), (std::vector<std::string>{"Music", "Music/fixed.mp3", "Music/ok.mp3", "Old",
                                                           "Old/x.mp3", "Old/y.mp3"}));
}

// One rule for every new name; the longest legal name fits although the
// file is written under a temporary name first.
TEST(FolderEditsTest, OneNamingRuleAtEveryDoor) {
  const WString longest(255, W('n'));
  const struct {
    WString name;
    HRESULT expected;
  } cases[] = {
      {W("../x"), kInvalidName}, {W("a/b"), kInvalidName},  {W("a\\b"), kInvalidName},
      {W(".."), kInvalidName},   {W("."), kInvalidName},    {W(""), kInvalidName},
      {W("x."), kInvalidName},   {W("x "), kInvalidName},   {W("a:b"), kInvalidName},
      {W("a\x1F"), kInvalidName}, {W("a") + WString(1, 0xD800), kInvalidName},
      {longest, S_OK},           {longest + W("n"), kTooLong}, {W(".hidden"), S_OK},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(wide::ToUtf8(test.name));
    EXPECT_EQ(CheckPlayerName(test.name), test.expected);
  }

  TemporaryFolder player;
  player.MakeFolder("Music");
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  const WString name = WString(251, W('n')) + W(".mp3");
  EXPECT_EQ(edits.Send("Music", name, "bytes"), S_OK);
  EXPECT_EQ(player.Read("Music/" + wide::ToUtf8(name)), "bytes");
}

// A FIFO or a huge file named player.json neither hangs the player nor is
// read whole: it is no description, and the folder's own facts stand.
TEST(FolderEditsTest, ThePlayersFileIsReadOnlyWhenItIsASmallPlainFile) {
  TemporaryFolder fifo, huge;
  ASSERT_EQ(mkfifo((fifo.Path() + "/" + kPlayerFactsFile).c_str(), 0644), 0);
  // Valid JSON all through, only too long.
  {
    std::ofstream file(huge.Path() + "/" + kPlayerFactsFile, std::ios::binary);
    file << R"({ "name": "Huge", "media": [ { "name": "Memory" } ] })";
    const std::string spaces(1 << 20, ' ');
    for (int i = 0; i < 64; ++i) file << spaces;
  }
  for (const TemporaryFolder* folder : {&fifo, &huge}) {
    SCOPED_TRACE(folder->Path());
    auto model = PlayerModel::Create();
    auto added = std::async(std::launch::async, [&] { return AddFolderPlayer(*model, folder->Path()); });
    if (added.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      // Let a reader stuck on the FIFO go before failing.
      close(open((fifo.Path() + "/" + kPlayerFactsFile).c_str(), O_WRONLY | O_NONBLOCK));
      ADD_FAILURE() << "adding the player hung";
    }
    EXPECT_NE(added.get(), 0u);
    EXPECT_EQ(model->FindDevice(W("Huge")), 0u);
  }
}

// A send killed part way leaves its temporary file: the next time the player
// is read it goes, unless the process that wrote it still runs. An erase
// leaves nothing but the player's facts.
TEST(FolderEditsTest, TemporaryFilesOfDeadSendsAreRemoved) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  TemporaryFolder player;
  const std::string dead = std::string(".mdsend-") + std::to_string(gone) + "-1";
  const std::string alive = std::string(".mdsend-") + std::to_string(getppid()) + "-1";
  player.Write("Music/" + dead, "half a track");
  player.Write("Music/" + alive, "being written");
  player.Write("Music/a.mp3", "a");
  player.Write(kPlayerFactsFile, "{}");
  FolderEdits edits(player.Path());
  ASSERT_TRUE(edits.Open());
  EXPECT_EQ(edits.Children("Music"), std::vector<WString>{W("a.mp3")});
  EXPECT_FALSE(player.Exists("Music/" + dead));
  EXPECT_TRUE(player.Exists("Music/" + alive));
  player.Write(".mdsend-" + std::to_string(getppid()) + "-2", "at the root");
  EXPECT_EQ(edits.Model().EraseMedium(edits.At("")), S_OK);
  EXPECT_EQ(player.Everything(), std::vector<std::string>{kPlayerFactsFile});
}

}  // namespace
}  // namespace wmdm_standin
