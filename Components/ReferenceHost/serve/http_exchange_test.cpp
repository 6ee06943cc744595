// A request's target as the routes read it: the one place where mdhost
// serve decodes text from the wire itself.
#include "serve/http_exchange.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitTargetTest, DecodesPathAndQueryAsBrowsersWriteThem) {
  using Fields = std::map<std::string, std::string>;
  const struct {
    int line;
    const char* target;
    const char* path;
    Fields params;
  } cases[] = {
      {__LINE__, "/", "/", {}},
      {__LINE__, "/api/list?location=a%20b&path=%5CMusic", "/api/list", {{"location", "a b"}, {"path", "\\Music"}}},
      // "+" is a space in a query only; an escaped one stays a plus.
      {__LINE__, "/a+b?name=c+d&sum=1%2B2", "/a+b", {{"name", "c d"}, {"sum", "1+2"}}},
      // The first of a name counts: a second token cannot replace the first.
      {__LINE__, "/?token=first&token=second", "/", {{"token", "first"}}},
      {__LINE__, "/?flag&&x=&=y", "/", {{"flag", ""}, {"x", ""}, {"", "y"}}},
      {__LINE__, "/?path=%C3%A9%ff", "/", {{"path", "\xC3\xA9\xFF"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::string path;
    Fields params;
    ASSERT_TRUE(SplitTarget(c.target, &path, &params));
    EXPECT_EQ(path, c.path);
    EXPECT_EQ(params, c.params);
  }
}

TEST(SplitTargetTest, RefusesBrokenEscapesAndOtherForms) {
  for (const char* target : {"", "*", "http://attacker.example/api/players", "/%zz", "/?x=%4", "/?x=%", "/?%G1=y"}) {
    SCOPED_TRACE(target);
    std::string path;
    std::map<std::string, std::string> params;
    EXPECT_FALSE(SplitTarget(target, &path, &params));
  }
}

}  // namespace
