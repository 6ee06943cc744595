// The words a refused send or edit is given, and when a send's lines come.
#include "mdhost/refusal_words.h"

#include <gtest/gtest.h>

#include <sstream>

#include "mdhost/durable_report.h"

namespace {

TEST(RefusalWordsTest, ANameIsRefusedWithTheRuleItBreaks) {
  const WString longest(255, W('n'));
  const struct {
    WString name;
    const char* words;  // empty: taken
  } cases[] = {
      {W("Song.mp3"), ""},
      {longest, ""},
      {longest + W("n"), "the name is 256 characters long"},
      {W("a:b"), "the name holds \":\""},
      {W("a\\b.mp3"), "the name holds \"\\\""},
      {W("tab\there"), "a control character (U+0009)"},
      {W("dot."), "ends with a dot"},
      {W("space "), "ends with a space"},
      {W("half") + WString(1, 0xD800), "half of a character"},
      {W(""), "the name is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(c.name));
    const std::string words = NameProblem(c.name);
    if (*c.words == 0)
      EXPECT_EQ(words, "");
    else
      EXPECT_NE(words.find(c.words), std::string::npos) << words;
  }
  EXPECT_EQ(SourceNameProblem("/music/ok.mp3"), "");
  EXPECT_NE(SourceNameProblem("/music/bad\xFF.mp3").find("bad\\xFF.mp3"), std::string::npos);
}

TEST(RefusalWordsTest, ASendsLinesWaitForTheFlush) {
  std::ostringstream out, errors;
  DurableReport lines(out, std::chrono::hours(1));
  lines.Add("sent a.mp3");
  lines.Add("sent b.mp3");
  EXPECT_TRUE(lines.FlushIfDue(errors));
  EXPECT_EQ(out.str(), "") << "nothing is reported before the flush is due";
  EXPECT_TRUE(lines.Flush(errors));
  EXPECT_EQ(out.str(), "sent a.mp3\nsent b.mp3\n");
  EXPECT_EQ(errors.str(), "");
}

}  // namespace
