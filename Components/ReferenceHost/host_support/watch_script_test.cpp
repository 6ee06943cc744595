#include "host_support/watch_script.h"

#include <gtest/gtest.h>

namespace {

TEST(WatchScriptTest, ReadsTimedStepsAndSkipsComments) {
  std::vector<WatchStep> steps;
  std::string error;
  ASSERT_TRUE(ParseWatchScript("# demo\n\n1500 connect Clip\r\n  4000 remove Generic Player  \n", &steps, &error))
      << error;
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].atMs, 1500u);
  EXPECT_TRUE(steps[0].connect);
  EXPECT_EQ(steps[0].player, "Clip");
  EXPECT_FALSE(steps[1].connect);
  EXPECT_EQ(steps[1].player, "Generic Player");
}

TEST(WatchScriptTest, NamesTheLineItCannotRead) {
  const struct {
    const char* text;
    const char* error;
  } rows[] = {
      {"soon connect Clip\n", "line 1: expected MILLISECONDS connect|remove PLAYER NAME"},
      {"# ok\n10 unplug Clip\n", "line 2: expected MILLISECONDS connect|remove PLAYER NAME"},
      {"10 remove\n", "line 1: no player named"},
  };
  for (const auto& row : rows) {
    std::vector<WatchStep> steps;
    std::string error;
    EXPECT_FALSE(ParseWatchScript(row.text, &steps, &error));
    EXPECT_EQ(error, row.error);
  }
}

}  // namespace
