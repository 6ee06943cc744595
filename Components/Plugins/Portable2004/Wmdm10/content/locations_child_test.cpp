// A listed child's key and path built in one string, and when a path may
// stand for its folder's path joined with its name.
#include "content/locations.h"

#include <gtest/gtest.h>

namespace {

using namespace locations;

std::string U8(const WString& text) { return wide::ToUtf8(text); }

TEST(LocationsChildTest, ChildKeyIsTheKeyOfTheJoinedPath) {
  const WString location = W("WMDM10usb___internal memory");
  // One string for every key, as a listing keeps it, holding a longer key
  // to begin with.
  WString key = location + W("\\Music\\Live\\Longer name.mp3");
  for (const WCHAR* parent : {W(""), W("\\"), W("\\Music"), W("\\Music\\"), W("Music"), W("\\Music\\\\Live")}) {
    SCOPED_TRACE(U8(parent));
    size_t pathStart = 0;
    ChildKey(location, parent, W("a.mp3"), &key, &pathStart);
    const WString path = JoinPath(parent, W("a.mp3"));
    EXPECT_EQ(U8(StorageKey(location, path)), U8(key));
    EXPECT_EQ(U8(path), U8(key.substr(pathStart)));
  }
}

TEST(LocationsChildTest, IsChildPathOnlyWhereSplittingAndJoiningGiveThePathBack) {
  struct Row {
    const WCHAR* path;
    const WCHAR* name;
    bool expected;
  };
  const Row rows[] = {
      {W("\\Music\\a.mp3"), W("a.mp3"), true},
      {W("\\a.mp3"), W("a.mp3"), true},
      {W("\\Music\\\\a.mp3"), W("a.mp3"), false},  // an empty component
      {W("\\\\a.mp3"), W("a.mp3"), false},
      {W("Music\\a.mp3"), W("a.mp3"), false},  // relative
      {W("\\Music\\a.mp3"), W("b.mp3"), false},
      {W("\\Music\\xa.mp3"), W("a.mp3"), false},  // a longer last name
      {W("\\Music\\x\\y"), W("x\\y"), false},      // a name holding "\"
      {W("\\Music\\"), W(""), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(U8(row.path));
    EXPECT_EQ(row.expected, IsChildPath(row.path, row.name));
    // What it promises: splitting and joining again gives the same path.
    if (row.expected) {
      EXPECT_EQ(U8(row.path), U8(JoinPath(ParentPath(row.path), row.name)));
    }
  }
}

// A listing decides once for its folder what IsChildPath would say of each
// child: the two must agree for every folder path and name.
TEST(LocationsChildTest, AJoinableFolderMakesChildPathsOfPlainNames) {
  const WCHAR* const folders[] = {W(""),      W("\\"),     W("\\Music"),         W("\\Music\\"),
                                  W("Music"), W("\\\\"), W("\\Music\\\\Live"), W("\\Music\\\\")};
  const WCHAR* const names[] = {W("a.mp3"), W("x\\y"), W("")};
  for (const WCHAR* folder : folders) {
    for (const WCHAR* name : names) {
      SCOPED_TRACE(U8(folder) + " + " + U8(name));
      const std::basic_string_view<WCHAR> plainName(name);
      const bool plain = !plainName.empty() && plainName.find(W('\\')) == plainName.npos;
      EXPECT_EQ(IsJoinableFolderPath(folder) && plain, IsChildPath(JoinPath(folder, name), name));
    }
  }
}

}  // namespace
