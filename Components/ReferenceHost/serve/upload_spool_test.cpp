// The spool of a server that was killed holds what it was receiving; the
// next server removes it, and nothing of a server still running.
#include "serve/upload_spool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class UploadSpoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string made;
    ASSERT_TRUE(MakeTemporaryFolder(std::string(), "spool-test-", &made));
    base_ = fs::u8path(made);
  }
  void TearDown() override { fs::remove_all(base_); }

  fs::path Folder(const std::string& name, bool marked) {
    const fs::path folder = base_ / name;
    fs::create_directories(folder / "1");
    std::ofstream(folder / "1" / "Partial.mp3") << "half a track";
    if (marked) std::ofstream(folder / "in-use") << "";
    return folder;
  }

  fs::path base_;
};

TEST_F(UploadSpoolTest, SweepTakesOnlyTheSpoolsOfEndedServers) {
  const fs::path live = Folder("mdhost-serve-live", true);
  HeldFile holder;
  ASSERT_TRUE(holder.Hold((live / "in-use").u8string()));
  const fs::path dead = Folder("mdhost-serve-dead", true);
  const fs::path starting = Folder("mdhost-serve-starting", false);
  const fs::path stale = Folder("mdhost-serve-stale", false);
  // Where a folder's time cannot be set (mingw's library under Wine), the
  // stale folder is as fresh as the starting one, and is kept as it is.
  std::error_code aged;
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::minutes(5), aged);
  const bool staleGoes = !aged;
  const fs::path other = Folder("other-dead", true);

  const std::vector<std::string> removed = SweepDeadSpools(base_.u8string());

  const struct {
    const fs::path& folder;
    bool kept;
  } expected[] = {{live, true}, {dead, false}, {starting, true}, {stale, !staleGoes}, {other, true}};
  for (const auto& e : expected) EXPECT_EQ(fs::exists(e.folder), e.kept) << e.folder;
  EXPECT_EQ(removed.size(), staleGoes ? 2u : 1u);
}

TEST_F(UploadSpoolTest, AHeldMarkIsSeenUntilItsHolderGoes) {
  const fs::path mark = Folder("mdhost-serve-x", true) / "in-use";
  EXPECT_FALSE(IsFileHeld(mark.u8string()));
  {
    HeldFile holder;
    ASSERT_TRUE(holder.Hold(mark.u8string()));
    EXPECT_TRUE(IsFileHeld(mark.u8string()));
  }
  EXPECT_FALSE(IsFileHeld(mark.u8string()));
  EXPECT_FALSE(IsFileHeld((base_ / "missing").u8string()));
}

}  // namespace
