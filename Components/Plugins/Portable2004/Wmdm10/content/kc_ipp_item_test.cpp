#include "content/kc_ipp_item.h"

#include <gtest/gtest.h>

#include <memory>

#include "host_support/plugin_module.h"

namespace {

WString Text(const UniqueBstr& text) { return text.ToString(); }

// The five string fields through their slots, for walking them in one table.
struct StringField {
  const char* name;
  bool (kiIPPItem::*set)(const WCHAR*);
  BSTR (kiIPPItem::*get)();
};
const StringField kStringFields[] = {
    {"album", &kiIPPItem::SetAlbum, &kiIPPItem::GetAlbum},
    {"artist", &kiIPPItem::SetArtist, &kiIPPItem::GetArtist},
    {"title", &kiIPPItem::SetTitle, &kiIPPItem::GetTitle},
    {"genre", &kiIPPItem::SetGenre, &kiIPPItem::GetGenre},
    {"location", &kiIPPItem::SetLocation, &kiIPPItem::GetLocation},
};

UniqueBstr Get(kiIPPItem& item, const StringField& field) { return UniqueBstr((item.*field.get)()); }

// Fills every field and three properties with recognisable values.
void Fill(kiIPPItem& item, const WString& tag) {
  item.SetKind(4);
  item.SetBitrate(128000);
  item.SetDuration(215000);
  item.SetSize(0x123456789ULL);
  for (const StringField& field : kStringFields) {
    ASSERT_TRUE((item.*field.set)((tag + W(" ") + wide::FromUtf8(field.name)).c_str()));
  }
  ASSERT_TRUE(item.SetPropertyBool(W("ItemDeletable"), 1));
  ASSERT_TRUE(item.SetPropertyLong(W("ItemTrackNumber"), 7));
  ASSERT_TRUE(item.SetPropertyString(W("Comment"), (tag + W(" comment")).c_str()));
}

// Checks what Fill wrote, read back through the interface only.
void ExpectFilled(kiIPPItem& item, const WString& tag, int line) {
  SCOPED_TRACE(testing::Message() << "checked at line " << line);
  EXPECT_EQ(item.GetKind(), 4);
  EXPECT_EQ(item.GetBitrate(), 128000);
  EXPECT_EQ(item.GetDuration(), 215000);
  EXPECT_EQ(item.GetSize(), 0x123456789ULL);
  for (const StringField& field : kStringFields) {
    EXPECT_EQ(Text(Get(item, field)), tag + W(" ") + wide::FromUtf8(field.name)) << field.name;
  }
  bool deletable = false;
  LONG track = 0;
  UniqueBstr comment;
  EXPECT_TRUE(item.GetPropertyBool(W("ItemDeletable"), &deletable));
  EXPECT_TRUE(deletable);
  EXPECT_TRUE(item.GetPropertyLong(W("ItemTrackNumber"), &track));
  EXPECT_EQ(track, 7);
  EXPECT_TRUE(item.GetPropertyString(W("Comment"), comment.Put()));
  EXPECT_EQ(Text(comment), tag + W(" comment"));
}

TEST(kcIPPItemTest, NewRecordIsEmpty) {
  kcIPPItem item;
  EXPECT_EQ(item.GetKind(), 0);
  EXPECT_EQ(item.GetBitrate(), 0);
  EXPECT_EQ(item.GetDuration(), 0);
  EXPECT_EQ(item.GetSize(), 0u);
  for (const StringField& field : kStringFields) EXPECT_FALSE(Get(item, field)) << field.name;
  EXPECT_EQ(item.PropertyCount(), 0u);
}

TEST(kcIPPItemTest, StringSettersKeepACopyAndRefuseNull) {
  for (const StringField& field : kStringFields) {
    SCOPED_TRACE(field.name);
    kcIPPItem item;
    WString text = W("Low Tide");
    ASSERT_TRUE((item.*field.set)(text.c_str()));
    text[0] = W('X');  // the record holds its own copy
    UniqueBstr first = Get(item, field);
    UniqueBstr second = Get(item, field);
    EXPECT_EQ(Text(first), W("Low Tide"));
    EXPECT_NE(first.Get(), second.Get()) << "each getter call hands out a new string";

    EXPECT_FALSE((item.*field.set)(nullptr));
    EXPECT_EQ(Text(Get(item, field)), W("Low Tide")) << "a refused null leaves the old value";
    EXPECT_TRUE((item.*field.set)(W("")));
    UniqueBstr empty = Get(item, field);
    EXPECT_TRUE(empty) << "an empty string is a value, not an absence";
    EXPECT_EQ(empty.Length(), 0u);
  }
}

TEST(kcIPPItemTest, NumbersRoundTripAtFullWidth) {
  kcIPPItem item;
  item.SetKind(-1);
  item.SetBitrate(0x7FFFFFFF);
  item.SetDuration(-5);
  item.SetSize(0xFFFFFFFF00000001ULL);
  EXPECT_EQ(item.GetKind(), -1);
  EXPECT_EQ(item.GetBitrate(), 0x7FFFFFFF);
  EXPECT_EQ(item.GetDuration(), -5);
  EXPECT_EQ(item.GetSize(), 0xFFFFFFFF00000001ULL);
}

TEST(kcIPPItemTest, BoolPropertyIsTrueOnlyForOne) {
  struct Row {
    LONG stored;
    bool read;
  };
  const Row rows[] = {{1, true}, {0, false}, {2, false}, {-1, false}, {0xFFFF, false}};
  for (const Row& row : rows) {
    kcIPPItem item;
    ASSERT_TRUE(item.SetPropertyBool(W("ItemDeletable"), row.stored));
    bool value = !row.read;
    EXPECT_TRUE(item.GetPropertyBool(W("ItemDeletable"), &value));
    EXPECT_EQ(value, row.read) << "stored " << row.stored;
    LONG bits = -1;
    EXPECT_TRUE(item.GetPropertyLong(W("ItemDeletable"), &bits));
    EXPECT_EQ(bits, row.read ? 0xFFFF : 0) << "VARIANT_TRUE is 0xFFFF, the rest of the value zero";
  }
}

TEST(kcIPPItemTest, GettersReadTheValueWhateverItsType) {
  struct Row {
    LONG stored;
    bool asBool;
  };
  // A long read as a bool: true exactly when its low 16 bits are 0xFFFF.
  const Row rows[] = {{0xFFFF, true}, {0x1FFFF, true}, {-1, true}, {1, false}, {0xFFFE, false}};
  for (const Row& row : rows) {
    kcIPPItem item;
    ASSERT_TRUE(item.SetPropertyLong(W("ItemOrder"), row.stored));
    bool value = !row.asBool;
    EXPECT_TRUE(item.GetPropertyBool(W("ItemOrder"), &value));
    EXPECT_EQ(value, row.asBool) << "stored " << row.stored;
    LONG number = 0;
    EXPECT_TRUE(item.GetPropertyLong(W("ItemOrder"), &number));
    EXPECT_EQ(number, row.stored);
  }
}

TEST(kcIPPItemTest, AbsentPropertiesAndNullArguments) {
  kcIPPItem item;
  ASSERT_TRUE(item.SetPropertyString(W("Known"), W("x")));

  bool flag = true;
  EXPECT_FALSE(item.GetPropertyBool(W("Absent"), &flag));
  EXPECT_FALSE(flag) << "the bool getter clears its out value first";
  LONG number = 42;
  EXPECT_FALSE(item.GetPropertyLong(W("Absent"), &number));
  EXPECT_EQ(number, 0) << "the long getter clears its out value first";
  BSTR untouched = reinterpret_cast<BSTR>(&number);
  EXPECT_FALSE(item.GetPropertyString(W("Absent"), &untouched));
  EXPECT_EQ(untouched, reinterpret_cast<BSTR>(&number)) << "the string getter leaves its out value";
  EXPECT_FALSE(item.GetPropertyString(W("known"), &untouched)) << "names compare case-sensitively";

  flag = true;
  number = 42;
  EXPECT_FALSE(item.GetPropertyBool(nullptr, &flag));
  EXPECT_TRUE(flag) << "a null name is refused before the out value is touched";
  EXPECT_FALSE(item.GetPropertyLong(nullptr, &number));
  EXPECT_EQ(number, 42);
  EXPECT_FALSE(item.GetPropertyString(nullptr, &untouched));
  EXPECT_FALSE(item.GetPropertyBool(W("Known"), nullptr));
  EXPECT_FALSE(item.GetPropertyLong(W("Known"), nullptr));
  EXPECT_FALSE(item.GetPropertyString(W("Known"), nullptr));

  EXPECT_FALSE(item.SetPropertyBool(nullptr, 1));
  EXPECT_FALSE(item.SetPropertyLong(nullptr, 1));
  EXPECT_FALSE(item.SetPropertyString(nullptr, W("y")));
  EXPECT_EQ(item.PropertyCount(), 1u) << "refused setters add nothing";
}

TEST(kcIPPItemTest, StringPropertyIsHandedOutAsACopy) {
  kcIPPItem item;
  ASSERT_TRUE(item.SetPropertyString(W("Comment"), W("first")));
  ASSERT_TRUE(item.SetPropertyString(W("Comment"), W("second")));
  UniqueBstr one;
  UniqueBstr two;
  ASSERT_TRUE(item.GetPropertyString(W("Comment"), one.Put()));
  ASSERT_TRUE(item.GetPropertyString(W("Comment"), two.Put()));
  EXPECT_EQ(Text(one), W("second")) << "a second set replaces the value";
  EXPECT_NE(one.Get(), two.Get());
  EXPECT_EQ(item.PropertyCount(), 1u);

  ASSERT_TRUE(item.SetPropertyString(W("Empty"), nullptr));
  UniqueBstr empty;
  EXPECT_TRUE(item.GetPropertyString(W("Empty"), empty.Put()));
  EXPECT_EQ(empty.Length(), 0u);
}

TEST(kcIPPItemTest, ANameTakesTheTypeOfItsLastSetter) {
  kcIPPItem item;
  ASSERT_TRUE(item.SetPropertyString(W("ItemOrder"), W("three")));
  ASSERT_TRUE(item.SetPropertyLong(W("ItemOrder"), 3));
  LONG number = 0;
  EXPECT_TRUE(item.GetPropertyLong(W("ItemOrder"), &number));
  EXPECT_EQ(number, 3);
  BSTR text = nullptr;
  EXPECT_FALSE(item.GetPropertyString(W("ItemOrder"), &text)) << "a number has no string to give";
  EXPECT_EQ(text, nullptr);

  ASSERT_TRUE(item.SetPropertyBool(W("ItemOrder"), 1));
  EXPECT_TRUE(item.GetPropertyLong(W("ItemOrder"), &number));
  EXPECT_EQ(number, 0xFFFF) << "the bool replaced the whole value, not its low half";
  EXPECT_EQ(item.PropertyCount(), 1u);
}

TEST(kcIPPItemTest, ClearEmptiesTheRecordForReuse) {
  kcIPPItem item;
  Fill(item, W("old"));
  item.Clear();
  EXPECT_EQ(item.GetKind(), 0);
  EXPECT_EQ(item.GetBitrate(), 0);
  EXPECT_EQ(item.GetDuration(), 0);
  EXPECT_EQ(item.GetSize(), 0u);
  for (const StringField& field : kStringFields) EXPECT_FALSE(Get(item, field)) << field.name;
  EXPECT_EQ(item.PropertyCount(), 0u);
  Fill(item, W("new"));
  ExpectFilled(item, W("new"), __LINE__);
}

TEST(kcIPPItemTest, CopyToReplacesEverythingInTheTarget) {
  kcIPPItem source;
  Fill(source, W("src"));
  kcIPPItem target;
  target.SetPropertyLong(W("OnlyInTarget"), 1);
  target.SetPropertyBool(W("AlsoOnlyInTarget"), 1);
  target.SetPropertyString(W("Comment"), W("target comment"));
  source.CopyTo(&target);
  ExpectFilled(target, W("src"), __LINE__);
  EXPECT_EQ(target.PropertyCount(), 3u) << "exactly the source's properties";
  LONG number = 0;
  EXPECT_FALSE(target.GetPropertyLong(W("OnlyInTarget"), &number));
  ExpectFilled(source, W("src"), __LINE__);

  // Strings the source lacks are lacking in the target afterwards too.
  kcIPPItem sparse;
  sparse.SetTitle(W("only a title"));
  sparse.CopyTo(&target);
  EXPECT_EQ(Text(UniqueBstr(target.GetTitle())), W("only a title"));
  EXPECT_FALSE(UniqueBstr(target.GetAlbum()));
  EXPECT_FALSE(UniqueBstr(target.GetLocation()));
  EXPECT_EQ(target.GetSize(), 0u);
  EXPECT_EQ(target.PropertyCount(), 0u);
}

TEST(kcIPPItemTest, CopyToItselfOrToNothingChangesNothing) {
  kcIPPItem item;
  Fill(item, W("self"));
  item.CopyTo(&item);
  ExpectFilled(item, W("self"), __LINE__);
  item.CopyTo(nullptr);
  ExpectFilled(item, W("self"), __LINE__);
}

// An item of another class: any call into it fails the test.
class ForeignItem : public kiIPPItem {
 public:
  LONG GetKind() override { return Unexpected(), 0; }
  void SetKind(LONG) override { Unexpected(); }
  LONG GetBitrate() override { return Unexpected(), 0; }
  void SetBitrate(LONG) override { Unexpected(); }
  LONG GetDuration() override { return Unexpected(), 0; }
  void SetDuration(LONG) override { Unexpected(); }
  ULONGLONG GetSize() override { return Unexpected(), 0; }
  void SetSize(ULONGLONG) override { Unexpected(); }
  BSTR GetAlbum() override { return Unexpected(), nullptr; }
  bool SetAlbum(const WCHAR*) override { return Unexpected(), false; }
  BSTR GetArtist() override { return Unexpected(), nullptr; }
  bool SetArtist(const WCHAR*) override { return Unexpected(), false; }
  BSTR GetTitle() override { return Unexpected(), nullptr; }
  bool SetTitle(const WCHAR*) override { return Unexpected(), false; }
  BSTR GetGenre() override { return Unexpected(), nullptr; }
  bool SetGenre(const WCHAR*) override { return Unexpected(), false; }
  BSTR GetLocation() override { return Unexpected(), nullptr; }
  bool SetLocation(const WCHAR*) override { return Unexpected(), false; }
  bool GetPropertyBool(const WCHAR*, bool*) override { return Unexpected(), false; }
  bool GetPropertyLong(const WCHAR*, LONG*) override { return Unexpected(), false; }
  bool GetPropertyString(const WCHAR*, BSTR*) override { return Unexpected(), false; }
  bool SetPropertyBool(const WCHAR*, LONG) override { return Unexpected(), false; }
  bool SetPropertyLong(const WCHAR*, LONG) override { return Unexpected(), false; }
  bool SetPropertyString(const WCHAR*, const WCHAR*) override { return Unexpected(), false; }
  void Clear() override { Unexpected(); }
  void CopyTo(kiIPPItem*) override { Unexpected(); }

 private:
  static void Unexpected() { ADD_FAILURE() << "a record of another class was called"; }
};

TEST(kcIPPItemTest, CopyToAnotherClassLeavesItAlone) {
  kcIPPItem item;
  Fill(item, W("mine"));
  ForeignItem foreign;
  item.CopyTo(&foreign);
  ExpectFilled(item, W("mine"), __LINE__);
}

// Records made by another module, as the host makes its own: the module is
// built from the same source with the plug-in's flags.
class ItemRecordModuleTest : public testing::Test {
 protected:
  using MakeFn = kiIPPItem* (*)();
  using DeleteFn = void (*)(kiIPPItem*);
  using IsRecordFn = bool (*)(kiIPPItem*);

  void SetUp() override {
    module_ = LoadLibraryW((ProgramDirectory() + W("ItemRecordModule.dll")).c_str());
    ASSERT_NE(module_, nullptr) << "error " << GetLastError();
    make_ = Resolve<MakeFn>("MakeItemRecord");
    delete_ = Resolve<DeleteFn>("DeleteItemRecord");
    isRecord_ = Resolve<IsRecordFn>("IsItemRecord");
    ASSERT_TRUE(make_ && delete_ && isRecord_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }

  template <typename Fn>
  Fn Resolve(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  // A record of the other module, deleted by it.
  struct Deleter {
    DeleteFn fn;
    void operator()(kiIPPItem* item) const { fn(item); }
  };
  std::unique_ptr<kiIPPItem, Deleter> MakeForeign() { return {make_(), Deleter{delete_}}; }

  HMODULE module_ = nullptr;
  MakeFn make_ = nullptr;
  DeleteFn delete_ = nullptr;
  IsRecordFn isRecord_ = nullptr;
};

TEST_F(ItemRecordModuleTest, BothModulesTakeTheOthersRecordForTheirOwnClass) {
  auto foreign = MakeForeign();
  ASSERT_TRUE(foreign);
  kcIPPItem mine;
  EXPECT_NE(dynamic_cast<kcIPPItem*>(foreign.get()), nullptr) << "this program's check of the module's record";
  EXPECT_TRUE(isRecord_(&mine)) << "the module's check of this program's record";
  ForeignItem other;
  EXPECT_FALSE(isRecord_(&other));
}

TEST_F(ItemRecordModuleTest, CopyToCrossesTheModuleBoundaryBothWays) {
  auto foreign = MakeForeign();
  ASSERT_TRUE(foreign);
  foreign->SetPropertyLong(W("Stale"), 1);

  // This program's record into the module's: the copy is made here and the
  // module frees it.
  kcIPPItem mine;
  Fill(mine, W("host"));
  mine.CopyTo(foreign.get());
  ExpectFilled(*foreign, W("host"), __LINE__);
  LONG stale = 0;
  EXPECT_FALSE(foreign->GetPropertyLong(W("Stale"), &stale));

  // And back: the module's code writes this program's record.
  foreign->SetTitle(W("module title"));
  foreign->SetPropertyLong(W("ItemOrder"), 2);
  kcIPPItem back;
  back.SetGenre(W("stale genre"));
  foreign->CopyTo(&back);
  EXPECT_EQ(Text(UniqueBstr(back.GetTitle())), W("module title"));
  EXPECT_EQ(Text(UniqueBstr(back.GetGenre())), W("host genre"));
  LONG order = 0;
  EXPECT_TRUE(back.GetPropertyLong(W("ItemOrder"), &order));
  EXPECT_EQ(order, 2);
  EXPECT_EQ(back.PropertyCount(), 4u);
}

}  // namespace
