// GetVolumeInformationW for a drive the test maps, and for one nobody mapped.
#include <gtest/gtest.h>

#include <test_drive.h>
#include <wide_text.h>

namespace {

TEST(VolumeInformation, AMappedDriveReportsItsLabel) {
  TestDrive drive(W('Q'), W("ACME PLAYER"));
  if (!drive.Mapped()) GTEST_SKIP() << "no way to map a drive here";
  WCHAR label[MAX_PATH + 1] = {};
  DWORD component = 0, flags = 0;
  ASSERT_TRUE(GetVolumeInformationW(W("Q:\\"), label, MAX_PATH + 1, nullptr, &component, &flags, nullptr, 0));
  EXPECT_EQ(WString(W("ACME PLAYER")), WString(label));
  EXPECT_TRUE(GetVolumeInformationW(W("q:\\"), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_FALSE(GetVolumeInformationW(W("Q:\\"), label, 4, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_LENGTH), GetLastError());
}

TEST(VolumeInformation, AnUnmappedLetterIsNotFound) {
  WCHAR label[MAX_PATH + 1] = {};
  EXPECT_FALSE(GetVolumeInformationW(W("Y:\\"), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

}  // namespace
