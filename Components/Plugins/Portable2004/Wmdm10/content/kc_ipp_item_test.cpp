#include "host_sdk/kc_ipp_item.h"

#include <gtest/gtest.h>

#include <memory>

#include "com_support.h"
#include "host_sdk/recording_item_test.h"
#include "host_support/plugin_module.h"

namespace {

// The five string fields through their slots, to walk them in one loop.
struct StringField {
  const char* name;
  bool (kiIPPItem::*set)(const WCHAR*);
  BSTR (kiIPPItem::*get)();
};
const StringField kStringFields[] = {
    {"album", &kiIPPItem::SetAlbum, &kiIPPItem::GetAlbum},    {"artist", &kiIPPItem::SetArtist, &kiIPPItem::GetArtist},
    {"title", &kiIPPItem::SetTitle, &kiIPPItem::GetTitle},    {"genre", &kiIPPItem::SetGenre, &kiIPPItem::GetGenre},
    {"location", &kiIPPItem::SetLocation, &kiIPPItem::GetLocation},
};

UniqueBstr Get(kiIPPItem& item, const StringField& field) { return UniqueBstr::Adopt((item.*field.get)()); }
WString Text(BSTR text) { return UniqueBstr::Adopt(text).ToString(); }

void ExpectEmpty(kcIPPItem& item, int line) {
  SCOPED_TRACE(testing::Message() << "checked at line " << line);
  EXPECT_EQ(item.GetKind(), 0);
  EXPECT_EQ(item.GetBitrate(), 0);
  EXPECT_EQ(item.GetDuration(), 0);
  EXPECT_EQ(item.GetSize(), 0u);
  for (const StringField& field : kStringFields) EXPECT_FALSE(Get(item, field)) << field.name;
  EXPECT_EQ(item.PropertyCount(), 0u);
}

// Fills every field and three properties with values marked by `tag`.
void Fill(kiIPPItem& item, const WString& tag) {
  item.SetKind(4);
  item.SetBitrate(128000);
  item.SetDuration(215000);
  item.SetSize(0x123456789ULL);
  for (const StringField& field : kStringFields)
    ASSERT_TRUE((item.*field.set)((tag + wide::FromUtf8(field.name)).c_str()));
  ASSERT_TRUE(item.SetPropertyBool(W("ItemDeletable"), 1));
  ASSERT_TRUE(item.SetPropertyLong(W("ItemTrackNumber"), 7));
  ASSERT_TRUE(item.SetPropertyString(W("Comment"), (tag + W("comment")).c_str()));
}

// Checks what Fill wrote, through the interface only.
void ExpectFilled(kiIPPItem& item, const WString& tag, int line) {
  SCOPED_TRACE(testing::Message() << "checked at line " << line);
  EXPECT_EQ(item.GetKind(), 4);
  EXPECT_EQ(item.GetBitrate(), 128000);
  EXPECT_EQ(item.GetDuration(), 215000);
  EXPECT_EQ(item.GetSize(), 0x123456789ULL);
  for (const StringField& field : kStringFields)
    EXPECT_EQ(Get(item, field).ToString(), tag + wide::FromUtf8(field.name)) << field.name;
  bool deletable = false;
  LONG track = 0;
  UniqueBstr comment;
  EXPECT_TRUE(item.GetPropertyBool(W("ItemDeletable"), &deletable) && deletable);
  EXPECT_TRUE(item.GetPropertyLong(W("ItemTrackNumber"), &track));
  EXPECT_EQ(track, 7);
  EXPECT_TRUE(item.GetPropertyString(W("Comment"), comment.Put()));
  EXPECT_EQ(comment.ToString(), tag + W("comment"));
}

TEST(kcIPPItemTest, StringFieldsHoldCopiesAndRefuseNull) {
  kcIPPItem item;
  ExpectEmpty(item, __LINE__);
  for (const StringField& field : kStringFields) {
    SCOPED_TRACE(field.name);
    WString text = W("Low Tide");
    ASSERT_TRUE((item.*field.set)(text.c_str()));
    text[0] = W('X');
    UniqueBstr first = Get(item, field);
    EXPECT_EQ(first.ToString(), W("Low Tide"));
    EXPECT_NE(first.Get(), Get(item, field).Get()) << "each call hands out a new string";
    EXPECT_FALSE((item.*field.set)(nullptr));
    EXPECT_EQ(Get(item, field).ToString(), W("Low Tide")) << "a refused null leaves the old value";
  }
  item.Clear();
  ExpectEmpty(item, __LINE__);
}

TEST(kcIPPItemTest, BoolAndLongReadTheValueWhateverItsType) {
  struct Row {
    bool setAsBool;
    LONG stored;
    bool asBool;
    LONG asLong;
  };
  const Row rows[] = {
      {true, 1, true, 0xFFFF},  // VARIANT_TRUE, the rest of the value zero
      {true, 0, false, 0},       {true, 2, false, 0},  {true, -1, false, 0},
      {false, 0xFFFF, true, 0xFFFF},  // a long is true when its low half is 0xFFFF
      {false, -1, true, -1},     {false, 1, false, 1}, {false, 0xFFFE, false, 0xFFFE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.setAsBool ? "bool " : "long ") << row.stored);
    kcIPPItem item;
    ASSERT_TRUE(row.setAsBool ? item.SetPropertyBool(W("P"), row.stored) : item.SetPropertyLong(W("P"), row.stored));
    bool flag = !row.asBool;
    LONG number = row.asLong + 1;
    EXPECT_TRUE(item.GetPropertyBool(W("P"), &flag));
    EXPECT_TRUE(item.GetPropertyLong(W("P"), &number));
    EXPECT_EQ(flag, row.asBool);
    EXPECT_EQ(number, row.asLong);
  }
}

TEST(kcIPPItemTest, AbsentPropertiesAndNullArguments) {
  kcIPPItem item;
  ASSERT_TRUE(item.SetPropertyString(W("Known"), W("x")));
  bool flag = true;
  LONG number = 42;
  BSTR sentinel = reinterpret_cast<BSTR>(&number);
  BSTR text = sentinel;
  EXPECT_FALSE(item.GetPropertyBool(W("Absent"), &flag));
  EXPECT_FALSE(item.GetPropertyLong(W("Absent"), &number));
  EXPECT_FALSE(item.GetPropertyString(W("known"), &text)) << "names compare case-sensitively";
  EXPECT_FALSE(flag) << "cleared first";
  EXPECT_EQ(number, 0) << "cleared first";
  EXPECT_EQ(text, sentinel) << "left as it was";

  flag = true;
  number = 42;
  EXPECT_FALSE(item.GetPropertyBool(nullptr, &flag));
  EXPECT_FALSE(item.GetPropertyLong(nullptr, &number));
  EXPECT_FALSE(item.GetPropertyString(nullptr, &text));
  EXPECT_TRUE(flag && number == 42 && text == sentinel) << "a null name is refused before anything is touched";
  EXPECT_FALSE(item.GetPropertyBool(W("Known"), nullptr));
  EXPECT_FALSE(item.GetPropertyLong(W("Known"), nullptr));
  EXPECT_FALSE(item.GetPropertyString(W("Known"), nullptr));
  EXPECT_FALSE(item.SetPropertyBool(nullptr, 1));
  EXPECT_FALSE(item.SetPropertyLong(nullptr, 1));
  EXPECT_FALSE(item.SetPropertyString(nullptr, W("y")));
  EXPECT_EQ(item.PropertyCount(), 1u);
}

TEST(kcIPPItemTest, ANameHoldsTheValueOfItsLastSetter) {
  // A name of the host's own, and one the system writes (kept in a place of its own).
  for (const WCHAR* name : {W("P"), W("ItemOrder")}) {
    SCOPED_TRACE(wide::ToUtf8(WString(name)));
    kcIPPItem item;
    ASSERT_TRUE(item.SetPropertyString(name, W("first")));
    ASSERT_TRUE(item.SetPropertyString(name, W("second")));
    UniqueBstr one;
    UniqueBstr two;
    ASSERT_TRUE(item.GetPropertyString(name, one.Put()));
    ASSERT_TRUE(item.GetPropertyString(name, two.Put()));
    EXPECT_EQ(one.ToString(), W("second"));
    EXPECT_NE(one.Get(), two.Get()) << "each call hands out a new string";

    // High bits, so that a bool written over the number must clear them.
    ASSERT_TRUE(item.SetPropertyLong(name, 0x30003));
    LONG number = 0;
    EXPECT_TRUE(item.GetPropertyLong(name, &number));
    EXPECT_EQ(number, 0x30003);
    BSTR text = nullptr;
    EXPECT_FALSE(item.GetPropertyString(name, &text)) << "a number has no string to give";
    ASSERT_TRUE(item.SetPropertyBool(name, 1));
    EXPECT_TRUE(item.GetPropertyLong(name, &number));
    EXPECT_EQ(number, 0xFFFF) << "the bool replaced the whole value";
    EXPECT_EQ(item.PropertyCount(), 1u);
  }
  kcIPPItem item;
  UniqueBstr empty;
  ASSERT_TRUE(item.SetPropertyString(W("Empty"), nullptr));
  EXPECT_TRUE(item.GetPropertyString(W("Empty"), empty.Put()));
  EXPECT_EQ(empty.Length(), 0u);
}

TEST(kcIPPItemTest, CopyToReplacesEverythingInTheTarget) {
  kcIPPItem source;
  Fill(source, W("src "));
  kcIPPItem target;
  target.SetPropertyLong(W("OnlyInTarget"), 1);
  target.SetPropertyString(W("Comment"), W("target comment"));
  source.CopyTo(&target);
  ExpectFilled(target, W("src "), __LINE__);
  EXPECT_EQ(target.PropertyCount(), 3u) << "exactly the source's properties";
  ExpectFilled(source, W("src "), __LINE__);

  kcIPPItem empty;
  empty.CopyTo(&target);
  ExpectEmpty(target, __LINE__);

  source.CopyTo(&source);
  source.CopyTo(nullptr);
  RecordingItem other;
  source.CopyTo(&other);
  EXPECT_EQ(other.last, "") << "a record of another class is not called";
  ExpectFilled(source, W("src "), __LINE__);
}

// Flags alone are copied into the target's own block, anything else aside
// first: the target ends up with exactly the source's properties either way.
TEST(kcIPPItemTest, CopyToGivesTheSourcesPropertiesWhateverTheirKind) {
  struct Row {
    const char* what;
    bool withText;
    bool withHostName;
  };
  const Row rows[] = {{"flags only", false, false}, {"a text too", true, false}, {"a name of the host's", false, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    kcIPPItem source;
    source.SetPropertyBool(W("ItemDeletable"), 1);
    source.SetPropertyLong(W("ItemOrder"), 5);
    if (row.withText) source.SetPropertyString(W("ItemTrackNumber"), W("9"));
    if (row.withHostName) source.SetPropertyLong(W("Rating"), 3);
    kcIPPItem target;
    target.SetPropertyString(W("Comment"), W("old"));
    target.SetPropertyLong(W("ItemOrder"), 1);
    target.SetPropertyBool(W("Zeta"), 1);
    source.CopyTo(&target);
    EXPECT_EQ(target.PropertyCount(), source.PropertyCount());
    bool deletable = false;
    LONG order = 0;
    LONG rating = 0;
    UniqueBstr text;
    EXPECT_TRUE(target.GetPropertyBool(W("ItemDeletable"), &deletable) && deletable);
    EXPECT_TRUE(target.GetPropertyLong(W("ItemOrder"), &order));
    EXPECT_EQ(order, 5);
    EXPECT_FALSE(target.GetPropertyString(W("Comment"), text.Put()));
    EXPECT_EQ(target.GetPropertyString(W("ItemTrackNumber"), text.Put()), row.withText);
    EXPECT_EQ(target.GetPropertyLong(W("Rating"), &rating), row.withHostName);
    EXPECT_EQ(rating, row.withHostName ? 3 : 0);
  }
}

// A listing copies item after item into the same host record, whose strings
// are rewritten in place or resized rather than made again.
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

// Records made by another module, as the host makes its own. The module is
// built from the same source with the plug-in's flags.
class ItemRecordModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW((ProgramDirectory() + W("ItemRecordModule.dll")).c_str());
    ASSERT_NE(module_, nullptr) << "error " << GetLastError();
    make_ = Resolve<kiIPPItem* (*)()>("MakeItemRecord");
    delete_ = Resolve<void (*)(kiIPPItem*)>("DeleteItemRecord");
    isRecord_ = Resolve<bool (*)(kiIPPItem*)>("IsItemRecord");
    ASSERT_TRUE(make_ && delete_ && isRecord_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    EXPECT_EQ(wmdm_standin::LiveComObjects(), 0);
  }
  template <typename Fn>
  Fn Resolve(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  HMODULE module_ = nullptr;
  kiIPPItem* (*make_)() = nullptr;
  void (*delete_)(kiIPPItem*) = nullptr;
  bool (*isRecord_)(kiIPPItem*) = nullptr;
};

TEST_F(ItemRecordModuleTest, CopyToCrossesTheModuleBoundaryBothWays) {
  std::unique_ptr<kiIPPItem, void (*)(kiIPPItem*)> foreign(make_(), delete_);
  ASSERT_TRUE(foreign);
  kcIPPItem mine;
  RecordingItem other;
  EXPECT_NE(dynamic_cast<kcIPPItem*>(foreign.get()), nullptr) << "this program's check of the module's record";
  EXPECT_TRUE(isRecord_(&mine)) << "the module's check of this program's record";
  EXPECT_FALSE(isRecord_(&other));

  // Into the module's record: the copies are made here, the module frees them.
  foreign->SetPropertyLong(W("Stale"), 1);
  Fill(mine, W("host "));
  mine.CopyTo(foreign.get());
  ExpectFilled(*foreign, W("host "), __LINE__);
  LONG stale = 0;
  EXPECT_FALSE(foreign->GetPropertyLong(W("Stale"), &stale));

  // And back: the module's code writes this program's record.
  foreign->SetTitle(W("module title"));
  foreign->SetPropertyLong(W("ItemOrder"), 2);
  kcIPPItem back;
  back.SetPropertyBool(W("Stale"), 1);
  foreign->CopyTo(&back);
  EXPECT_EQ(Text(back.GetTitle()), W("module title"));
  EXPECT_EQ(Text(back.GetGenre()), W("host genre"));
  LONG order = 0;
  EXPECT_TRUE(back.GetPropertyLong(W("ItemOrder"), &order));
  EXPECT_EQ(order, 2);
  EXPECT_EQ(back.PropertyCount(), 4u);
}

}  // namespace
