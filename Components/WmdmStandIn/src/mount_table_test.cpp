#include "mount_table.h"

#include <gtest/gtest.h>

namespace wmdm_standin {
namespace {

const std::vector<std::string> kPlaces = DesktopMountPlaces("ann");

std::string Line(const std::string& mountPoint, const std::string& type = "vfat") {
  return "41 29 8:17 / " + mountPoint + " rw,nosuid,nodev,relatime shared:210 - " + type +
         " /dev/sdb1 rw,fmask=0022\n";
}

const std::string kBase = "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n" + Line("/media", "tmpfs") +
                          Line("/media/ann", "tmpfs") + Line("/home/ann/media/ann/USB");

TEST(MountTableTest, DesktopPlacesAreTheTwoUdisksFolders) {
  EXPECT_EQ(kPlaces, (std::vector<std::string>{"/media/ann", "/run/media/ann"}));
  EXPECT_TRUE(DesktopMountPlaces("").empty());
  EXPECT_TRUE(DesktopMountPlaces("../etc").empty());
}

TEST(MountTableTest, MountPointsBelowThePlaces) {
  struct Case { const char* what; std::string text; std::set<std::string> expected; } cases[] = {
      {"nothing below", kBase, {}},
      {"a stick", kBase + Line("/media/ann/PLAYER"), {"/media/ann/PLAYER"}},
      {"escaped space", kBase + Line("/run/media/ann/SD\\040CARD"), {"/run/media/ann/SD CARD"}},
      {"escaped backslash and tab", Line("/media/ann/a\\134b\\011c"), {"/media/ann/a\\b\tc"}},
      {"another user", Line("/media/bob/PLAYER") + Line("/media/annie/X"), {}},
      {"nested below a stick", Line("/media/ann/P") + Line("/media/ann/P/inner"), {"/media/ann/P", "/media/ann/P/inner"}},
      {"trailing slash", Line("/media/ann/P/"), {"/media/ann/P"}},
      {"torn line and junk", "41 29 8:17 / /media/ann/TORN\nnot a mount line\n\n" + Line("/media/ann/OK"),
       {"/media/ann/OK"}},
      {"no newline at the end", "41 29 8:17 / /media/ann/LAST rw - vfat /dev/sdc1 rw", {"/media/ann/LAST"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MountPointsBelow(c.text, kPlaces), c.expected);
  }
}

TEST(MountTableTest, DiffNamesWhatCameAndWent) {
  struct Case { const char* what; std::string before, after; std::vector<std::string> appeared, vanished; } cases[] = {
      {"first reading", "", kBase + Line("/media/ann/A"), {"/media/ann/A"}, {}},
      {"plugged in", kBase, kBase + Line("/media/ann/B") + Line("/media/ann/A"), {"/media/ann/A", "/media/ann/B"}, {}},
      {"pulled out", kBase + Line("/media/ann/A"), kBase, {}, {"/media/ann/A"}},
      {"swapped", kBase + Line("/media/ann/A"), kBase + Line("/run/media/ann/C"), {"/run/media/ann/C"}, {"/media/ann/A"}},
      {"unrelated mount", kBase, kBase + Line("/mnt/backup"), {}, {}},
      {"same mount twice (overmounted)", Line("/media/ann/A"), Line("/media/ann/A") + Line("/media/ann/A"), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const MountChanges changes = DiffMounts(c.before, c.after, kPlaces);
    EXPECT_EQ(changes.appeared, c.appeared);
    EXPECT_EQ(changes.vanished, c.vanished);
  }
}

}  // namespace
}  // namespace wmdm_standin
