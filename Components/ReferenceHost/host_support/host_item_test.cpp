#include "host_support/host_item.h"

#include <gtest/gtest.h>

#include <unique_bstr.h>

namespace {

class HostItemTest : public ::testing::Test {
 protected:
  static WString Take(BSTR text) {
    return UniqueBstr::Adopt(text).ToString();
  }

  // Every field of a record and the named properties asked for, each as the
  // getter of its kind reads it ("-" none answers), in one line.
  static std::string Describe(HostItem& item, const std::vector<const WCHAR*>& names) {
    std::string text = std::to_string(item.GetKind()) + " " + std::to_string(item.GetBitrate()) + " " +
                       std::to_string(item.GetDuration()) + " " + std::to_string(item.GetSize()) + " ";
    for (BSTR field : {item.GetTitle(), item.GetArtist(), item.GetAlbum(), item.GetGenre(), item.GetLocation()})
      text += wide::ToUtf8(Take(field)) + "|";
    text.pop_back();
    for (size_t i = 0; i < names.size(); ++i) {
      LONG number = 0;
      bool flag = false;
      BSTR value = nullptr;
      text += i ? ", " : " ";
      if (item.GetPropertyLong(names[i], &number))
        text += "long " + std::to_string(number);
      else if (item.GetPropertyBool(names[i], &flag))
        text += std::string("bool ") + (flag ? "1" : "0");
      else if (item.GetPropertyString(names[i], &value))
        text += "text " + wide::ToUtf8(Take(value));
      else
        text += "-";
    }
    return text;
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
// again replaces value and kind; a missing or null name answers false. Only
// 1 is a true flag, as the plug-in's own record reads it.
TEST_F(HostItemTest, NamedPropertiesAnswerTheirOwnKind) {
  HostItem item;
  ASSERT_TRUE(item.SetPropertyLong(W("ItemTrackNumber"), 7));
  ASSERT_TRUE(item.SetPropertyBool(W("ItemIsProtected"), 1));
  ASSERT_TRUE(item.SetPropertyString(W("ItemComposer"), W("Ana")));
  EXPECT_EQ(Describe(item, {W("ItemTrackNumber"), W("ItemIsProtected"), W("ItemComposer"), W("ItemTrackRanking"),
                            W("itemtracknumber")}),
            "0 0 0 0 |||| long 7, bool 1, text Ana, -, -");
  LONG number = -1;
  bool flag = true;
  BSTR text = nullptr;
  EXPECT_FALSE(item.GetPropertyLong(nullptr, &number));
  EXPECT_FALSE(item.GetPropertyBool(nullptr, &flag));
  EXPECT_FALSE(item.GetPropertyString(nullptr, &text));
  EXPECT_FALSE(item.GetPropertyString(W("ItemTrackNumber"), &text));

  ASSERT_TRUE(item.SetPropertyString(W("ItemTrackNumber"), W("seven")));
  EXPECT_FALSE(item.GetPropertyLong(W("ItemTrackNumber"), &number));
  EXPECT_EQ(number, 0) << "a refused getter still clears its out value";
  EXPECT_FALSE(item.SetPropertyLong(nullptr, 1));
  EXPECT_FALSE(item.GetPropertyLong(W("ItemComposer"), nullptr));
  EXPECT_EQ(item.PropertyCount(), 3u);

  for (const auto& [given, expected] : {std::pair<LONG, bool>{0, false}, {-1, false}, {2, false}}) {
    item.SetPropertyBool(W("ItemIsProtected"), given);
    ASSERT_TRUE(item.GetPropertyBool(W("ItemIsProtected"), &flag));
    EXPECT_EQ(flag, expected) << given;
  }
}

TEST_F(HostItemTest, CopyToWritesEveryFieldAndClearsTheRest) {
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
  const std::vector<const WCHAR*> names = {W("ItemTrackNumber"), W("ItemIsProtected"), W("ItemComposer"),
                                           W("Stale")};
  const std::string copied = "4 128000 245 4294967298 Low Tide|Northern Lights|Aurora Borealis|Ambient|"
                             "\\Music\\01 Low Tide.wma long 1, bool 1, text Ana, -";

  HostItem target;
  target.SetPropertyLong(W("Stale"), 9);
  target.SetGenre(W("Old"));
  source.CopyTo(&target);
  EXPECT_EQ(Describe(target, names), copied) << "the target was cleared first";
  EXPECT_EQ(target.PropertyCount(), 3u);

  source.CopyTo(&source);  // onto itself: nothing to do, nothing lost
  EXPECT_EQ(Describe(source, names), copied);
  source.CopyTo(nullptr);

  source.Clear();
  EXPECT_EQ(Describe(source, names), "0 0 0 0 |||| -, -, -, -");
  EXPECT_EQ(source.GetTitle(), nullptr);
  EXPECT_EQ(source.PropertyCount(), 0u);
}

}  // namespace
