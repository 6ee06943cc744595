// CopyTo into a record that already holds texts: a listing copies item after
// item into the same host record, whose strings are rewritten in place or
// resized rather than made again.
#include "content/kc_ipp_item.h"

#include <gtest/gtest.h>

namespace {

WString Text(BSTR text) { return UniqueBstr::Adopt(text).ToString(); }

TEST(kcIPPItemCopyTest, EachCopyLeavesExactlyTheSourcesTextsWhateverTheTargetHeld) {
  struct Row {
    const WCHAR* title;     // null: no title
    const WCHAR* location;
  };
  // Same lengths as the text before, then longer, shorter and none.
  const Row rows[] = {
      {W("a.mp3"), W("\\Music\\a.mp3")},       {W("b.mp3"), W("\\Music\\b.mp3")},
      {W("longer.mp3"), W("\\Music\\longer.mp3")}, {W("c"), W("\\c")},
      {nullptr, W("\\Music\\d.mp3")},
  };
  kcIPPItem host;
  host.SetAlbum(W("left over"));
  for (const Row& row : rows) {
    kcIPPItem source;
    if (row.title) source.SetTitle(row.title);
    source.SetLocation(row.location);
    source.SetKnownBool(kcIPPItem::kItemDeletable, 1);
    source.CopyTo(&host);
    SCOPED_TRACE(wide::ToUtf8(row.location, wide::Length(row.location)));
    UniqueBstr title = UniqueBstr::Adopt(host.GetTitle());
    EXPECT_EQ(row.title == nullptr, title.Get() == nullptr);
    EXPECT_EQ(row.title ? WString(row.title) : WString(), title.ToString());
    EXPECT_EQ(WString(row.location), Text(host.GetLocation()));
    EXPECT_EQ(nullptr, host.GetAlbum()) << "the source has none";
    bool deletable = false;
    EXPECT_TRUE(host.GetPropertyBool(W("ItemDeletable"), &deletable));
    EXPECT_TRUE(deletable);
    EXPECT_EQ(1u, host.PropertyCount());
  }
}

}  // namespace
