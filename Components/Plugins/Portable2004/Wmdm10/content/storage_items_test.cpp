#include "content/storage_items.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "content/locations.h"
#include "host_sdk/ipp_result_codes.h"
#include "standin_fixture.h"

namespace {

using wmdm_standin::FileDescription;
using wmdm_standin::ObjectKind;
using wmdm_standin::testing_support::SmallModel;

constexpr DWORD kPlainFile = WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_CANREAD;
const WCHAR kRun[] = W("\\Internal Memory\\Playlists\\Run.pla");
const WCHAR kThree[] = W("\\Internal Memory\\Music\\three.wav");

// Takes ownership of a string the item handed out.
std::string Text(BSTR text) {
  UniqueBstr owner;
  owner.Reset(text);
  return wide::ToUtf8(owner.ToString());
}

// "absent", "true" or "false".
std::string Flag(kcIPPItem& item, const WCHAR* name) {
  LONG bits = 0;
  bool value = false;
  if (!item.GetPropertyLong(name, &bits)) return "absent";
  item.GetPropertyBool(name, &value);
  return value ? "true" : "false";
}

// What the host sees of a built item, in one line; the album only when set.
std::string Describe(kcIPPItem& item) {
  BSTR album = item.GetAlbum();
  return "kind " + std::to_string(item.GetKind()) + " " + Text(item.GetLocation()) + " '" + Text(item.GetTitle()) +
         "'" + (album ? " album '" + Text(album) + "'" : "") + " size " + std::to_string(item.GetSize()) + " bitrate " +
         std::to_string(item.GetBitrate()) + " duration " + std::to_string(item.GetDuration()) + " deletable " +
         Flag(item, W("ItemDeletable")) + " renamable " + Flag(item, W("ItemRenamable"));
}

// The stand-in's small model (its fixture checks that every WMDM object is
// released) with a few more files under \Music of "Pocket 20":
// a system file, a file that is neither file nor folder, a file above 4 GB,
// and files whose wave formats give no bitrate or no byte rate.
class StorageItemsTest : public wmdm_standin::testing_support::StandInTest {
 protected:
  void SetUp() override {
    StandInTest::SetUp();
    AddFile(W("sys.dat"), 10, WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_SYSTEM | WMDM_FILE_ATTR_CANDELETE);
    AddFile(W("odd.bin"), 10, WMDM_FILE_ATTR_CANREAD);
    AddFile(W("big.wav"), 0x100000000ull + 176400, 0, SmallModel::Wave(0x1, 44100, 176400));
    AddFile(W("noformat.mp3"), 500, kPlainFile, _WAVEFORMATEX{});
    _WAVEFORMATEX noBits = SmallModel::Wave(0x55, 44100, 0);
    noBits.wBitsPerSample = 0;
    AddFile(W("nobits.mp3"), 500, kPlainFile, noBits);
    record_.settings = &settings_;
  }

  void AddFile(const WCHAR* name, ULONGLONG size, DWORD attributes,
               _WAVEFORMATEX format = SmallModel::Wave(0x55, 44100, 16000)) {
    FileDescription file;
    file.name = name;
    file.size = size;
    file.attributes = attributes;
    file.format = format;
    ASSERT_NE(Model().AddFile(players_.music, file), 0u);
  }

  // The storage at a path of "Pocket 20", medium first.
  ComPtr<IWMDMStorage> Storage(const WString& path) {
    ComPtr<IWMDMStorage4> storage = StorageAt(W("Pocket 20"), locations::PathComponents(path));
    EXPECT_TRUE(storage) << wide::ToUtf8(path);
    ComPtr<IWMDMStorage> plain;
    if (storage) {
      EXPECT_EQ(storage.As(&plain), S_OK);
    }
    return plain;
  }

  // Classifies and reports "rejected" or the kind's name.
  std::string Classified(const WString& path) {
    LONG kind = -1;
    if (!ClassifyStorage(record_, Storage(path), &kind)) return "rejected";
    switch (kind) {
      case KindFolder:
        return "folder";
      case KindFile:
        return "file";
      case KindPlaylist:
        return "playlist";
      default:
        return "kind " + std::to_string(kind);
    }
  }

  kcDeviceSettings settings_;
  DeviceRecord record_;
};

TEST_F(StorageItemsTest, ClassificationFollowsAttributesSettingsAndFormatCode) {
  const WCHAR* const sys = W("\\Internal Memory\\Music\\sys.dat");
  const struct {
    const WCHAR* path;
    LONG showSystemFiles, supportsPlaylists;
    bool reportsPlaylists;  // what the device said of itself
    const char* expected;
  } rows[] = {
      {W("\\Internal Memory\\Music"), -1, -1, false, "folder"},
      {kThree, -1, -1, true, "file"},
      {kRun, -1, -1, true, "playlist"},
      {kRun, -1, -1, false, "file"},
      {kRun, -1, 1, false, "playlist"},  // the manifest's word wins either way
      {kRun, -1, 0, true, "file"},
      {W("\\Internal Memory\\System"), 1, -1, false, "rejected"},  // hidden, whatever the settings
      {sys, -1, -1, false, "rejected"},
      {sys, 0, -1, false, "rejected"},
      {sys, 1, -1, false, "file"},
      {W("\\Internal Memory\\Music\\odd.bin"), 1, -1, false, "rejected"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << wide::ToUtf8(row.path) << " show system " << row.showSystemFiles << " playlists "
                                    << row.supportsPlaylists << "/" << row.reportsPlaylists);
    settings_.ShowSystemFiles = row.showSystemFiles;
    settings_.SupportsPlaylists = row.supportsPlaylists;
    record_.playlistFormatSupported = row.reportsPlaylists;
    EXPECT_EQ(Classified(row.path), row.expected);
  }
  // Without settings a device hides system files and plays by its own flag.
  record_.settings = nullptr;
  record_.playlistFormatSupported = true;
  EXPECT_EQ(Classified(sys), "rejected");
  EXPECT_EQ(Classified(kRun), "playlist");
}

TEST_F(StorageItemsTest, FormatCodeIsReadOnlyWhenAKindIsAsked) {
  record_.playlistFormatSupported = true;
  Model().Faults().ResetCalls();
  EXPECT_TRUE(ClassifyStorage(record_, Storage(kRun), nullptr));
  EXPECT_EQ(Model().Faults().Calls(ObjectKind::Storage, "GetMetadata"), 0);
  LONG kind = 0;
  EXPECT_TRUE(ClassifyStorage(record_, Storage(kRun), &kind));
  EXPECT_EQ(Model().Faults().Calls(ObjectKind::Storage, "GetMetadata"), 1);
  EXPECT_EQ(kind, KindPlaylist);
}

// Attributes unreadable: shown as a file, a hidden folder too. Format code unreadable: a file.
TEST_F(StorageItemsTest, ClassificationFailuresFallBackToFile) {
  record_.playlistFormatSupported = true;
  const struct {
    const WCHAR* path;
    ObjectKind kind;
    const char* method;
  } rows[] = {{kRun, ObjectKind::Storage, "GetAttributes"},
              {kRun, ObjectKind::Storage, "GetMetadata"},
              {kRun, ObjectKind::MetaData, "QueryByName"},
              {W("\\Internal Memory\\System"), ObjectKind::Storage, "GetAttributes"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(wide::ToUtf8(row.path) + " " + row.method);
    ComPtr<IWMDMStorage> storage = Storage(row.path);
    Model().Faults().Inject(row.kind, row.method, E_FAIL);
    LONG kind = 0;
    EXPECT_TRUE(ClassifyStorage(record_, storage, &kind));
    EXPECT_EQ(kind, KindFile);
    Model().Faults().ClearFaults();
  }
  LONG kind = 0;
  EXPECT_FALSE(ClassifyStorage(record_, nullptr, &kind));
}

// Bitrate: bits per sample times samples per second; play time: milliseconds
// at the byte rate, truncated, over a size of both halves. No samples per
// second: no bitrate; no bits per sample: a bitrate of 0 and no play time
// rather than a division by zero. Files are not renamable on a device that
// keeps playlists.
TEST_F(StorageItemsTest, ItemsCarryNamePathSizePlayTimeAndFlags) {
  const struct {
    const WCHAR *path, *parent;
    LONG kind;
    bool keepsPlaylists;
    const char* expected;
    const WCHAR* root = W("");
  } rows[] = {
      {W("\\Internal Memory\\Music\\Album\\one.mp3"), W("\\Music\\Album"), KindFile, false,
       "kind 4 \\Music\\Album\\one.mp3 'one.mp3' size 1000 bitrate 705600 duration 11 deletable true renamable true"},
      // Under a root prefix the location is the host path; the parent may end in "\".
      {W("\\Internal Memory\\Music\\Album\\one.mp3"), W("\\Music\\Album\\"), KindFile, false,
       "kind 4 \\Album\\one.mp3 'one.mp3' size 1000 bitrate 705600 duration 11 deletable true renamable true",
       W("\\Music")},
      {W("\\Internal Memory\\Music\\big.wav"), W("\\Music"), KindFile, false,
       "kind 4 \\Music\\big.wav 'big.wav' size 4295143696 bitrate 705600 duration 48697774 deletable true "
       "renamable true"},
      {W("\\Internal Memory\\Music\\noformat.mp3"), W("\\Music"), KindFile, false,
       "kind 4 \\Music\\noformat.mp3 'noformat.mp3' size 500 bitrate 0 duration 0 deletable false renamable false"},
      {W("\\Internal Memory\\Music\\nobits.mp3"), W("\\Music"), KindFile, false,
       "kind 4 \\Music\\nobits.mp3 'nobits.mp3' size 500 bitrate 0 duration 0 deletable false renamable false"},
      {kThree, W("\\"), KindFile, true,
       "kind 4 \\three.wav 'three.wav' size 3000 bitrate 705600 duration 34 deletable true renamable false"},
      {kRun, W("\\"), KindPlaylist, true,
       "kind 3 \\Run.pla 'Run.pla' size 0 bitrate 0 duration 0 deletable true renamable true"},
      {W("\\Internal Memory\\Music"), W("\\"), KindFolder, true,
       "kind 1 \\Music 'Music' size 0 bitrate 0 duration 0 deletable true renamable true"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expected);
    record_.playlistFormatSupported = row.keepsPlaylists;
    HeldItem item;
    ASSERT_EQ(BuildItem(row.root, &record_, Storage(row.path), row.parent, row.kind, &item), S_OK);
    EXPECT_EQ(Describe(*item), row.expected);
  }
}

TEST_F(StorageItemsTest, FailuresOfWmdmCalls) {
  const struct {
    const char* method;
    HRESULT injected, result;  // of BuildItem
    const char* expected;      // the item built
  } rows[] = {
      {"GetName", WMDM_E_INTERFACEDEAD, WMDM_E_INTERFACEDEAD},  // passed along as it came
      {"GetName", E_FAIL, E_FAIL},
      {"GetSize", WMDM_E_INTERFACEDEAD, IPP_E_NOTFOUND},  // the device went away
      {"GetSize", E_FAIL, S_OK,
       "kind 4 \\Music\\three.wav 'three.wav' size 0 bitrate 705600 duration 0 deletable true renamable false"},
      // Still no renaming on a playlist device.
      {"GetAttributes", E_FAIL, S_OK,
       "kind 4 \\Music\\three.wav 'three.wav' size 3000 bitrate 0 duration 0 deletable absent renamable false"},
  };
  record_.playlistFormatSupported = true;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.method) + " failing");
    ComPtr<IWMDMStorage> storage = Storage(kThree);
    Model().Faults().Inject(ObjectKind::Storage, row.method, row.injected);
    // A record held already, as a node's may be: nothing of it may survive.
    HeldItem item;
    kcIPPItem& stale = item.Emplace();
    stale.SetAlbum(W("stale"));
    stale.SetBitrate(1);
    stale.SetPropertyBool(W("ItemDeletable"), 1);
    EXPECT_EQ(BuildItem(W(""), &record_, storage, W("\\Music"), KindFile, &item), row.result);
    Model().Faults().ClearFaults();
    ASSERT_EQ(static_cast<bool>(item), row.result == S_OK) << "a failed build holds nothing";
    if (item) {
      EXPECT_EQ(Describe(*item), row.expected);
    }
  }
}

// GetName may succeed without writing anything: the name then reads as
// empty, never as what the buffer held from the child read before.
TEST_F(StorageItemsTest, ANameWrittenAsNothingIsEmpty) {
  ComPtr<IWMDMStorage> storage = Storage(kThree);
  StorageFacts facts;
  std::fill(std::begin(facts.nameText), std::end(facts.nameText), W('x'));
  Model().Faults().Inject(ObjectKind::Storage, "GetName", S_OK);
  ASSERT_EQ(ReadStorageName(storage.Get(), &facts), S_OK);
  EXPECT_TRUE(facts.named);
  EXPECT_EQ(wide::ToUtf8(WString(facts.name)), "");
}

TEST_F(StorageItemsTest, MissingArgumentsAreRefused) {
  HeldItem item;
  ComPtr<IWMDMStorage> storage = Storage(kThree);
  EXPECT_EQ(BuildItem(W(""), nullptr, storage, W("\\Music"), KindFile, &item), IPP_E_FAIL);
  EXPECT_EQ(BuildItem(W(""), &record_, nullptr, W("\\Music"), KindFile, &item), IPP_E_FAIL);
  EXPECT_EQ(BuildItem(W(""), &record_, storage, W("\\Music"), KindFile, nullptr), IPP_E_FAIL);
  EXPECT_FALSE(item);
}

}  // namespace
