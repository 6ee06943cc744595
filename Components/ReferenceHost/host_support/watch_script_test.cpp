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
      {"soon connect Clip\n", "line 1: the time must be a whole number of milliseconds from 0 to 86400000"},
      {"-1 connect Clip\n", "line 1: the time must be a whole number of milliseconds from 0 to 86400000"},
      {"86400001 connect Clip\n", "line 1: the time must be a whole number of milliseconds from 0 to 86400000"},
      {"4000 remove Clip\n1500 connect Clip\n", "line 2: the steps must be in order of time (1500 comes after 4000)"},
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

TEST(WatchScriptTest, SecondsArePositiveAndUpToADay) {
  const struct {
    const char* text;
    unsigned long ms;  // 0: refused
  } rows[] = {
      {"30", 30000}, {"1.5", 1500}, {"0.001", 1}, {"86400", 86400000},
      {"abc", 0},    {"-1", 0},     {"0", 0},     {"1.", 0},
      {"1.2345", 0}, {"86401", 0},  {"", 0},      {"4294967296", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    unsigned long ms = 7;
    std::string error;
    EXPECT_EQ(row.ms != 0, ParseWatchSeconds(row.text, &ms, &error));
    EXPECT_EQ(row.ms ? row.ms : 7, ms);
    if (!row.ms) {
      EXPECT_NE(std::string::npos, error.find("positive number of seconds")) << error;
    }
  }
}

}  // namespace
