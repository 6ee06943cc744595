#include "content/locations.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/escape_name.h"
#include "host_sdk/ipp_result_codes.h"

namespace {

using namespace locations;

std::string U8(const WString& text) { return wide::ToUtf8(text); }

TEST(LocationsTest, MediaLocationSplitsAtTheFirstSeparator) {
  struct Row {
    const WCHAR* location;
    bool valid;
    const WCHAR* devicePart;
    size_t separator;
    const WCHAR* mediumName;
  } rows[] = {
      {W("WMDM10my|0020player___storage|0020card"), true, W("my|0020player"), 19, W("storage card")},
      {W("WMDM10dev___"), true, W("dev"), 9, W("")},
      {W("WMDM10___x"), true, W(""), 6, W("x")},
      {W("WMDM10dev____x"), true, W("dev"), 9, W("_x")},  // the first "___" ends the device part
      {W("WMDM10dev___A|0020B"), true, W("dev"), 9, W("a b")},
      {W("wmdm10dev___x"), false},  // the prefix is case-sensitive
      {W("WMDM1dev___x"), false},
      {W("XMDM10dev___x"), false},  // every unit of the prefix counts
      {W("WMDM10dev__x"), false},
      {W("WMDM10"), false},
      {W(""), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(U8(row.location));
    MediaLocationParts parts;
    ASSERT_EQ(ParseMediaLocation(row.location, &parts), row.valid);
    EXPECT_EQ(ParseMediaLocation(row.location, nullptr), row.valid);
    EXPECT_EQ(HasMediaPrefix(row.location), WString(row.location).rfind(W("WMDM10"), 0) == 0);
    if (row.valid) {
      EXPECT_EQ(std::make_tuple(parts.devicePart, parts.mediumName, parts.separatorIndex),
                std::make_tuple(WString(row.devicePart), WString(row.mediumName), row.separator));
    }
  }
  const WString identity = W("\\\\?\\USB#Vid_0781&Pid_5150#Player_1");
  MediaLocationParts parts;
  ASSERT_TRUE(ParseMediaLocation(ComposeMediaLocation(identity, W("Storage Card")), &parts));
  EXPECT_EQ(parts.devicePart, EscapeName(identity));
  EXPECT_EQ(parts.mediumName, W("storage card"));
}

std::unique_ptr<DeviceRecord> Record(const WCHAR* identity, bool gone = false) {
  auto record = std::make_unique<DeviceRecord>();
  record->identity = identity;
  record->gone = gone;
  return record;
}

TEST(LocationsTest, FindDeviceByLocationTakesTheFirstPresentMatch) {
  std::vector<std::unique_ptr<DeviceRecord>> list;
  list.push_back(Record(W("Player A"), /*gone=*/true));
  list.push_back(Record(W("")));  // identity unreadable
  list.push_back(Record(W("Player B")));
  list.push_back(Record(W("PLAYER A")));  // escapes to the same text as "Player A"
  list.push_back(Record(W("Player A")));
  size_t separator = 99;
  EXPECT_EQ(FindDeviceByLocation(ComposeMediaLocation(W("Player A"), W("Card")), list, &separator), 4);
  EXPECT_EQ(separator, 6 + EscapeName(W("Player A")).size());
  EXPECT_EQ(FindDeviceByLocation(ComposeMediaLocation(W("Player B"), W("Card")), list), 3);
  // No such device, no separator, and an unreadable identity that is not the empty device part.
  for (const WCHAR* miss : {W("WMDM10player|0020c___card"), W("WMDM10player|0020b"), W("WMDM10___card")}) {
    separator = 99;
    EXPECT_EQ(FindDeviceByLocation(miss, list, &separator), 0) << U8(miss);
    EXPECT_EQ(separator, 99u) << "untouched without a match";
  }
}

TEST(LocationsTest, StorageKeyHasOneBackslashBeforeThePath) {
  const WString loc = W("WMDM10dev___card");
  for (const WCHAR* path : {W(""), W("\\")}) EXPECT_EQ(StorageKey(loc, path), loc + W("\\"));
  for (const WCHAR* path : {W("\\Music"), W("Music")}) EXPECT_EQ(StorageKey(loc, path), loc + W("\\Music"));
  EXPECT_NE(StorageKey(loc, W("\\music")), StorageKey(loc, W("\\Music"))) << "keys compare exactly";
}

TEST(LocationsTest, SplitJoinAndComponentsOfAPath) {
  struct Row {
    const WCHAR *path, *parent, *name;
  } splits[] = {
      {W("\\Music\\Pop\\a.wma"), W("\\Music\\Pop"), W("a.wma")},
      {W("\\Music\\a.wma"), W("\\Music"), W("a.wma")},
      {W("\\a.wma"), W("\\"), W("a.wma")},
      {W("a.wma"), W("\\"), W("a.wma")},
      {W("\\"), W("\\"), W("")},
      {W(""), W("\\"), W("")},
      {W("\\Music\\"), W("\\Music"), W("")},
      {W("Music\\a"), W("Music"), W("a")},
  };
  for (const Row& row : splits) {
    SCOPED_TRACE(U8(row.path));
    WString name = W("unset");
    EXPECT_EQ(SplitPath(row.path, &name), WString(row.parent));
    EXPECT_EQ(name, WString(row.name));
    EXPECT_EQ(SplitPath(row.path), WString(row.parent));
  }
  EXPECT_EQ(JoinPath(W(""), W("a.wma")), W("\\a.wma"));
  EXPECT_EQ(JoinPath(W("\\Music\\"), W("a.wma")), W("\\Music\\a.wma"));
  for (const WCHAR* path : {W("\\Music\\a.wma"), W("\\a.wma")}) {
    WString name;
    const WString parent = SplitPath(path, &name);
    EXPECT_EQ(JoinPath(parent, name), WString(path)) << "a split joins back";
  }

  // The parent is the components but the last, whatever the backslashes.
  struct Components {
    const WCHAR* path;
    std::vector<WString> names;
    const WCHAR* parent;
  } components[] = {
      {W("\\Music\\\\Pop"), {W("Music"), W("Pop")}, W("\\Music")},
      {W("\\a\\b\\"), {W("a"), W("b")}, W("\\a")},
      {W("\\\\a\\\\b\\c.mp3"), {W("a"), W("b"), W("c.mp3")}, W("\\a\\b")},
      {W("Music\\a.mp3"), {W("Music"), W("a.mp3")}, W("\\Music")},
      {W("Music"), {W("Music")}, W("\\")},
      {W("\\"), {}, W("\\")},
      {W(""), {}, W("\\")},
  };
  for (const Components& row : components) {
    EXPECT_EQ(PathComponents(row.path), row.names) << U8(row.path);
    EXPECT_EQ(ParentPath(row.path), WString(row.parent)) << U8(row.path);
  }
}

TEST(LocationsTest, HostAndDevicePathsWithAndWithoutARoot) {
  struct Row {
    const WCHAR *root, *hostPath, *devicePath;
  } roundTrips[] = {
      {W("\\Music"), W("\\Pop\\a.wma"), W("\\Music\\Pop\\a.wma")},
      {W("\\Music"), W(""), W("\\Music")},
      {W("\\Music\\Lib"), W("\\x"), W("\\Music\\Lib\\x")},
      {W(""), W("\\Pop\\a.wma"), W("\\Pop\\a.wma")},
      {W(""), W(""), W("")},
      {W(""), W("\\"), W("\\")},
  };
  for (const Row& row : roundTrips) {
    SCOPED_TRACE(U8(row.root) + " | " + U8(row.hostPath));
    EXPECT_EQ(ToDevicePath(row.root, row.hostPath), WString(row.devicePath));
    EXPECT_EQ(ToHostPath(row.root, row.devicePath), WString(row.hostPath));
  }
  EXPECT_EQ(ToDevicePath(W("\\Music"), W("Pop")), W("\\Music\\Pop")) << "a missing backslash is supplied";
  EXPECT_EQ(ToDevicePath(W(""), W("Pop")), W("\\Pop"));
  // Device paths not under the root come back unchanged.
  for (const WCHAR* path : {W("\\Other\\x"),
                            W("\\music\\x"),     // the prefix matches case-sensitively
                            W("\\Mus"),           // shorter than the prefix
                            W("\\MusicBox\\x"),  // a longer name, not under the root
                            W("")})
    EXPECT_EQ(ToHostPath(W("\\Music"), path), WString(path)) << U8(path);
}

TEST(LocationsTest, EntryIdentifiersSplitAtTheFirstBar) {
  struct Row {
    const WCHAR *root, *id, *playlist, *track;
  } rows[] = {
      {W(""), W("\\Lists\\Run.pla|\\a.wma"), W("\\Lists\\Run.pla"), W("\\a.wma")},
      {W("\\Music"), W("\\Lists\\Run.pla|\\a.wma"), W("\\Music\\Lists\\Run.pla"), W("\\Music\\a.wma")},
      {W(""), W("\\Run.pla|\\Pop\\b|c.wma"), W("\\Run.pla"), W("\\Pop\\b|c.wma")},
      {W(""), W("\\Run.pla|a.wma"), W("\\Run.pla"), W("\\a.wma")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(U8(row.id));
    WString playlist, track;
    ASSERT_TRUE(SplitEntryId(row.root, row.id, &playlist, &track));
    EXPECT_EQ(playlist, WString(row.playlist));
    EXPECT_EQ(track, WString(row.track));
  }
  WString playlist = W("untouched");
  EXPECT_FALSE(SplitEntryId(W(""), W("\\Lists\\Run.pla"), &playlist, nullptr));
  EXPECT_EQ(playlist, W("untouched"));
  EXPECT_EQ(MakeEntryId(W(""), W("\\Run.pla"), nullptr), IPP_E_FAIL);
}

}  // namespace
