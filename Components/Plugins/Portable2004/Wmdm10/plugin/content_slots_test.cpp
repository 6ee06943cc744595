// The content slots' doors: a missing argument is refused before anything
// reaches a noun, with no log line, no platform call and nothing changed on
// the player. Without the check the call would end in an exception, which
// the door logs: that line is how a lost check shows.
#include "host_sdk/ipp_result_codes.h"
#include "host_support/host_item_id_list.h"
#include "testing/resolver_test_player.h"

namespace resolver_testing {
namespace {

using ContentSlotsTest = ResolverPlayerTest;

TEST_F(ContentSlotsTest, MissingArgumentsAreRefusedAtTheDoor) {
  const WString at = Internal();
  const WCHAR* loc = at.c_str();
  HostItemIdList list({W("\\Music\\b.mp3")});
  callback_.ClearEvents();
  const struct {
    const char* slot;
    std::function<HRESULT()> call;
  } cases[] = {
      {"DeleteItem location", [&] { return plugin_.DeleteItem(nullptr, W("\\Music\\a.mp3")); }},
      {"DeleteItem path", [&] { return plugin_.DeleteItem(loc, nullptr); }},
      {"RenameItem location", [&] { return plugin_.RenameItem(nullptr, W("\\Music\\a.mp3"), W("c.mp3")); }},
      {"RenameItem path", [&] { return plugin_.RenameItem(loc, nullptr, W("c.mp3")); }},
      {"RenameItem name", [&] { return plugin_.RenameItem(loc, W("\\Music\\a.mp3"), nullptr); }},
      {"UpdatePlaylist location", [&] { return plugin_.UpdatePlaylist(nullptr, W("\\Music\\Mix.pla"), &list); }},
      {"UpdatePlaylist path", [&] { return plugin_.UpdatePlaylist(loc, nullptr, &list); }},
      {"UpdatePlaylist entries", [&] { return plugin_.UpdatePlaylist(loc, W("\\Music\\Mix.pla"), nullptr); }},
  };
  model_->Faults().ResetCalls();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slot);
    EXPECT_EQ(c.call(), IPP_E_FAIL);
    EXPECT_TRUE(callback_.Events().empty()) << wide::ToUtf8(callback_.Events().front().text);
    EXPECT_TRUE(model_->Faults().CallSequence().empty());
    callback_.ClearEvents();
  }
  EXPECT_NE(Find(W("\\Music\\a.mp3")), 0u);
}

}  // namespace
}  // namespace resolver_testing
