#include "host_support/host_item.h"

#include <gtest/gtest.h>

#include <com_support.h>
#include <unique_bstr.h>

namespace {

class HostItemTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0); }

  static WString Take(BSTR text) {
    return UniqueBstr::Adopt(text).ToString();
  }
};

// Each text field: unset reads as no string, set reads back a fresh copy
// the caller owns, null is refused and keeps what was there.
TEST_F(HostItemTest, TextFieldsHandOutFreshCopies) {
  struct Field {
    const char* name;
    bool (HostItem::*set)(const WCHAR*);
    BSTR (HostItem::*get)();
  };
  const Field fields[] = {{"album", &HostItem::SetAlbum, &HostItem::GetAlbum},
                          {"artist", &HostItem::SetArtist, &HostItem::GetArtist},
                          {"title", &HostItem::SetTitle, &HostItem::GetTitle},
                          {"genre", &HostItem::SetGenre, &HostItem::GetGenre},
                          {"location", &HostItem::SetLocation, &HostItem::GetLocation}};
  for (const Field& field : fields) {
    SCOPED_TRACE(field.name);
    HostItem item;
    EXPECT_EQ((item.*field.get)(), nullptr);
    EXPECT_TRUE((item.*field.set)(W("Solar Wind")));
    BSTR first = (item.*field.get)();
    BSTR second = (item.*field.get)();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second) << "each call hands out its own string";
    EXPECT_EQ(SysStringLen(first), 10u);
    EXPECT_EQ(Take(first), W("Solar Wind"));
    EXPECT_EQ(Take(second), W("Solar Wind"));
    EXPECT_FALSE((item.*field.set)(nullptr));
    EXPECT_EQ(Take((item.*field.get)()), W("Solar Wind"));
    EXPECT_TRUE((item.*field.set)(W("")));
    BSTR empty = (item.*field.get)();
    EXPECT_NE(empty, nullptr) << "an empty text is a text";
    EXPECT_EQ(Take(empty), W(""));
  }
}

// A named property answers only the getter of its own kind; setting it
// again replaces value and kind; a missing or null name answers false.
TEST_F(HostItemTest, NamedPropertiesAnswerTheirOwnKind) {
  HostItem item;
  ASSERT_TRUE(item.SetPropertyLong(W("ItemTrackNumber"), 7));
  ASSERT_TRUE(item.SetPropertyBool(W("ItemIsProtected"), 1));
  ASSERT_TRUE(item.SetPropertyString(W("ItemComposer"), W("Ana")));

  LONG number = -1;
  bool flag = true;
  BSTR text = nullptr;
  struct Case {
    const WCHAR* name;
    bool asLong, asBool, asString;
  };
  const Case cases[] = {{W("ItemTrackNumber"), true, false, false},
                        {W("ItemIsProtected"), false, true, false},
                        {W("ItemComposer"), false, false, true},
                        {W("ItemTrackRanking"), false, false, false},
                        {W("itemtracknumber"), false, false, false},
                        {nullptr, false, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? wide::ToUtf8(c.name) : "null");
    EXPECT_EQ(item.GetPropertyLong(c.name, &number), c.asLong);
    EXPECT_EQ(item.GetPropertyBool(c.name, &flag), c.asBool);
    text = nullptr;
    EXPECT_EQ(item.GetPropertyString(c.name, &text), c.asString);
    if (text) {
      EXPECT_EQ(Take(text), W("Ana"));
    }
  }
  item.GetPropertyLong(W("ItemTrackNumber"), &number);
  EXPECT_EQ(number, 7);
  item.GetPropertyBool(W("ItemIsProtected"), &flag);
  EXPECT_TRUE(flag);

  ASSERT_TRUE(item.SetPropertyString(W("ItemTrackNumber"), W("seven")));
  EXPECT_FALSE(item.GetPropertyLong(W("ItemTrackNumber"), &number));
  EXPECT_EQ(number, 0) << "a refused getter still clears its out value";
  EXPECT_FALSE(item.SetPropertyLong(nullptr, 1));
  EXPECT_FALSE(item.GetPropertyLong(W("ItemComposer"), nullptr));
  EXPECT_EQ(item.PropertyCount(), 3u);
}

// Only 1 is true, as the plug-in's own record reads it.
TEST_F(HostItemTest, BoolPropertyIsTrueOnlyForOne) {
  const std::pair<LONG, bool> cases[] = {{1, true}, {0, false}, {-1, false}, {2, false}};
  for (const auto& [given, expected] : cases) {
    HostItem item;
    item.SetPropertyBool(W("ItemIsProtected"), given);
    bool value = !expected;
    ASSERT_TRUE(item.GetPropertyBool(W("ItemIsProtected"), &value));
    EXPECT_EQ(value, expected) << given;
  }
}

TEST_F(HostItemTest, CopyToWritesEveryFieldAndClearTheRest) {
  HostItem source;
  source.SetKind(4);
  source.SetBitrate(128000);
  source.SetDuration(245);
  source.SetSize(0x100000002ull);
  source.SetTitle(W("Low Tide"));
  source.SetArtist(W("Northern Lights"));
  source.SetAlbum(W("Aurora Borealis"));
  source.SetGenre(W("Ambient"));
  source.SetLocation(W("\\Music\\01 Low Tide.wma"));
  source.SetPropertyLong(W("ItemTrackNumber"), 1);
  source.SetPropertyBool(W("ItemIsProtected"), 1);
  source.SetPropertyString(W("ItemComposer"), W("Ana"));

  HostItem target;
  target.SetPropertyLong(W("Stale"), 9);
  target.SetGenre(W("Old"));
  source.CopyTo(&target);
  EXPECT_EQ(target.GetKind(), 4);
  EXPECT_EQ(target.GetBitrate(), 128000);
  EXPECT_EQ(target.GetDuration(), 245);
  EXPECT_EQ(target.GetSize(), 0x100000002ull);
  EXPECT_EQ(Take(target.GetTitle()), W("Low Tide"));
  EXPECT_EQ(Take(target.GetArtist()), W("Northern Lights"));
  EXPECT_EQ(Take(target.GetAlbum()), W("Aurora Borealis"));
  EXPECT_EQ(Take(target.GetGenre()), W("Ambient"));
  EXPECT_EQ(Take(target.GetLocation()), W("\\Music\\01 Low Tide.wma"));
  LONG number = 0;
  bool flag = false;
  BSTR text = nullptr;
  EXPECT_TRUE(target.GetPropertyLong(W("ItemTrackNumber"), &number));
  EXPECT_EQ(number, 1);
  EXPECT_TRUE(target.GetPropertyBool(W("ItemIsProtected"), &flag));
  EXPECT_TRUE(flag);
  ASSERT_TRUE(target.GetPropertyString(W("ItemComposer"), &text));
  EXPECT_EQ(Take(text), W("Ana"));
  EXPECT_FALSE(target.GetPropertyLong(W("Stale"), &number)) << "the target was cleared first";
  EXPECT_EQ(target.PropertyCount(), 3u);

  source.CopyTo(&source);  // onto itself: nothing to do, nothing lost
  EXPECT_EQ(Take(source.GetTitle()), W("Low Tide"));
  source.CopyTo(nullptr);

  source.Clear();
  EXPECT_EQ(source.GetKind(), 0);
  EXPECT_EQ(source.GetSize(), 0u);
  EXPECT_EQ(source.GetTitle(), nullptr);
  EXPECT_EQ(source.PropertyCount(), 0u);
}

}  // namespace
