// Progress on a terminal is one line redrawn in place and taken away before
// other text; elsewhere it is a line per file.
#include "mdhost/transfer_progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(TransferProgressTest, LiveLineIsRedrawnInPlaceAndClearedBeforeOtherText) {
  std::ostringstream out;
  {
    TransferProgress progress(out, true, 2, 3000000);
    progress.Starting(1, 1000000, "a.mp3");
    progress.Finished();
    progress.Clear();
    EXPECT_EQ(out.str().find('\n'), std::string::npos) << "a live line never moves down";
    EXPECT_EQ(out.str().rfind("\r\x1b[K"), out.str().size() - 4) << "cleared last";
    progress.Starting(2, 2000000, "b.mp3");
    EXPECT_NE(out.str().find("\r\x1b[K[2/2] 1.0 MB of 3.0 MB"), std::string::npos) << out.str();
  }
  EXPECT_EQ(out.str().back(), '\n') << "the line drawn last is ended";
}

TEST(TransferProgressTest, WithoutTerminalEachFileHasItsLine) {
  std::ostringstream out;
  {
    TransferProgress progress(out, false, 2, 30);
    progress.Starting(1, 10, "a.mp3 to \\Music");
    progress.Finished();
    progress.Clear();
    progress.Starting(2, 20, "b.mp3 to \\Music");
    progress.Finished();
  }
  EXPECT_EQ(out.str(), "[1/2] sending a.mp3 to \\Music ...\n[2/2] sending b.mp3 to \\Music ...\n");
}

}  // namespace
