#include "content/storage_items.h"

#include <gtest/gtest.h>

#include "content/locations.h"
#include "host_sdk/ipp_result_codes.h"
#include "standin_fixture.h"

namespace {

using wmdm_standin::FileDescription;
using wmdm_standin::ObjectKind;
using wmdm_standin::testing_support::SmallModel;

constexpr DWORD kPlainFile = WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_CANREAD;

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
    std::vector<WString> names = locations::PathComponents(path);
    ComPtr<IWMDMStorage4> storage = StorageAt(W("Pocket 20"), names);
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
      case KindFolder: return "folder";
      case KindFile: return "file";
      case KindPlaylist: return "playlist";
      default: return "kind " + std::to_string(kind);
    }
  }

  kcDeviceSettings settings_;
  DeviceRecord record_;
};

TEST_F(StorageItemsTest, ClassificationFollowsAttributesSettingsAndFormatCode) {
  struct Row {
    const WCHAR* path;
    LONG showSystemFiles;
    LONG supportsPlaylists;
    bool reportsPlaylists;  // what the device said of itself
    const char* expected;
  };
  const WCHAR* const run = W("\\Internal Memory\\Playlists\\Run.pla");
  const WCHAR* const sys = W("\\Internal Memory\\Music\\sys.dat");
  const Row rows[] = {
      {W("\\Internal Memory\\Music"), -1, -1, false, "folder"},
      {W("\\Internal Memory\\Music\\three.wav"), -1, -1, true, "file"},
      {run, -1, -1, true, "playlist"},
      {run, -1, -1, false, "file"},
      {run, -1, 1, false, "playlist"},  // the manifest's word wins either way
      {run, -1, 0, true, "file"},
      {W("\\Internal Memory\\System"), 1, -1, false, "rejected"},  // hidden, whatever the settings
      {sys, -1, -1, false, "rejected"},
      {sys, 0, -1, false, "rejected"},
      {sys, 1, -1, false, "file"},
      {W("\\Internal Memory\\Music\\odd.bin"), 1, -1, false, "rejected"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(wide::ToUtf8(row.path) + " show system " + std::to_string(row.showSystemFiles) + " playlists " +
                 std::to_string(row.supportsPlaylists) + "/" + std::to_string(row.reportsPlaylists));
    settings_.ShowSystemFiles = row.showSystemFiles;
    settings_.SupportsPlaylists = row.supportsPlaylists;
    record_.playlistFormatSupported = row.reportsPlaylists;
    EXPECT_EQ(Classified(row.path), row.expected);
  }
  // Without settings a device hides system files and plays by its own flag.
  record_.settings = nullptr;
  record_.playlistFormatSupported = true;
  EXPECT_EQ(Classified(sys), "rejected");
  EXPECT_EQ(Classified(run), "playlist");
}

TEST_F(StorageItemsTest, FormatCodeIsReadOnlyWhenAKindIsAsked) {
  record_.playlistFormatSupported = true;
  Model().Faults().ResetCalls();
  EXPECT_TRUE(ClassifyStorage(record_, Storage(W("\\Internal Memory\\Playlists\\Run.pla")), nullptr));
  EXPECT_EQ(Model().Faults().Calls(ObjectKind::Storage, "GetMetadata"), 0);
  LONG kind = 0;
  EXPECT_TRUE(ClassifyStorage(record_, Storage(W("\\Internal Memory\\Playlists\\Run.pla")), &kind));
  EXPECT_EQ(Model().Faults().Calls(ObjectKind::Storage, "GetMetadata"), 1);
  EXPECT_EQ(kind, KindPlaylist);
}

TEST_F(StorageItemsTest, ClassificationFailuresFallBackToFile) {
  record_.playlistFormatSupported = true;
  struct Row {
    ObjectKind kind;
    const char* method;
  };
  // Attributes unreadable: shown as a file. Format code unreadable: a file.
  const Row rows[] = {{ObjectKind::Storage, "GetAttributes"},
                      {ObjectKind::Storage, "GetMetadata"},
                      {ObjectKind::MetaData, "QueryByName"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.method);
    ComPtr<IWMDMStorage> run = Storage(W("\\Internal Memory\\Playlists\\Run.pla"));
    Model().Faults().Inject(row.kind, row.method, E_FAIL);
    LONG kind = 0;
    EXPECT_TRUE(ClassifyStorage(record_, run, &kind));
    EXPECT_EQ(kind, KindFile);
    Model().Faults().ClearFaults();
  }
  // A hidden folder whose attributes cannot be read is shown as a file too.
  ComPtr<IWMDMStorage> system = Storage(W("\\Internal Memory\\System"));
  Model().Faults().Inject(ObjectKind::Storage, "GetAttributes", E_FAIL);
  LONG kind = 0;
  EXPECT_TRUE(ClassifyStorage(record_, system, &kind));
  EXPECT_EQ(kind, KindFile);
  EXPECT_FALSE(ClassifyStorage(record_, nullptr, &kind));
}

struct Built {
  HRESULT hr = E_UNEXPECTED;
  std::unique_ptr<kcIPPItem> item;
};

Built Build(DeviceRecord* record, ComPtr<IWMDMStorage> storage, const WString& parentPath, LONG kind,
            const WString& rootPrefix = WString()) {
  Built built;
  built.hr = BuildItem(rootPrefix, record, std::move(storage), parentPath, kind, &built.item);
  return built;
}

// Takes ownership of a string the item handed out.
WString Text(BSTR text) {
  UniqueBstr owner;
  owner.Reset(text);
  return owner.ToString();
}
WString Location(kcIPPItem& item) { return Text(item.GetLocation()); }

// "absent", "true" or "false".
std::string Flag(kcIPPItem& item, const WCHAR* name) {
  LONG bits = 0;
  if (!item.GetPropertyLong(name, &bits)) return "absent";
  bool value = false;
  item.GetPropertyBool(name, &value);
  return value ? "true" : "false";
}

TEST_F(StorageItemsTest, ItemCarriesNamePathSizeAndPlayTime) {
  Built built = Build(&record_, Storage(W("\\Internal Memory\\Music\\Album\\one.mp3")), W("\\Music\\Album"), KindFile);
  ASSERT_EQ(built.hr, S_OK);
  kcIPPItem& item = *built.item;
  EXPECT_EQ(item.GetKind(), KindFile);
  EXPECT_EQ(Location(item), W("\\Music\\Album\\one.mp3"));
  EXPECT_EQ(Text(item.GetTitle()), W("one.mp3")) << "the name, until tags say otherwise";
  EXPECT_EQ(item.GetSize(), 1000u);
  EXPECT_EQ(item.GetBitrate(), 16 * 44100) << "bits per sample times samples per second";
  EXPECT_EQ(item.GetDuration(), 1000 * 1000 / (16 * 44100 / 8)) << "milliseconds at the byte rate, truncated";
  EXPECT_EQ(Flag(item, W("ItemDeletable")), "true");
  EXPECT_EQ(Flag(item, W("ItemRenamable")), "true");
  EXPECT_EQ(item.GetAlbum(), nullptr);

  // Under a root prefix the location is the host path; the parent may end
  // in "\".
  built = Build(&record_, Storage(W("\\Internal Memory\\Music\\Album\\one.mp3")), W("\\Music\\Album\\"), KindFile,
                W("\\Music"));
  ASSERT_EQ(built.hr, S_OK);
  EXPECT_EQ(Location(*built.item), W("\\Album\\one.mp3"));
}

TEST_F(StorageItemsTest, SizeUsesBothHalvesAndPlayTimeItsByteRate) {
  Built built = Build(&record_, Storage(W("\\Internal Memory\\Music\\big.wav")), W("\\Music"), KindFile);
  ASSERT_EQ(built.hr, S_OK);
  EXPECT_EQ(built.item->GetSize(), 0x100000000ull + 176400);
  EXPECT_EQ(built.item->GetBitrate(), 705600);
  EXPECT_EQ(built.item->GetDuration(), static_cast<LONG>((0x100000000ull + 176400) * 1000 / 88200));

  // No samples per second: no bitrate. No bits per sample: a bitrate of 0
  // and no play time rather than a division by zero.
  for (const WCHAR* name : {W("noformat.mp3"), W("nobits.mp3")}) {
    Built plain = Build(&record_, Storage(WString(W("\\Internal Memory\\Music\\")) + name), W("\\Music"), KindFile);
    ASSERT_EQ(plain.hr, S_OK);
    EXPECT_EQ(plain.item->GetSize(), 500u);
    EXPECT_EQ(plain.item->GetBitrate(), 0);
    EXPECT_EQ(plain.item->GetDuration(), 0);
    EXPECT_EQ(Flag(*plain.item, W("ItemDeletable")), "false");
    EXPECT_EQ(Flag(*plain.item, W("ItemRenamable")), "false");
  }
}

TEST_F(StorageItemsTest, FilesAreNotRenamableOnDevicesThatKeepPlaylists) {
  struct Row {
    const WCHAR* path;
    LONG kind;
    bool keepsPlaylists;
    const char* renamable;
  };
  const Row rows[] = {
      {W("\\Internal Memory\\Music\\three.wav"), KindFile, true, "false"},
      {W("\\Internal Memory\\Music\\three.wav"), KindFile, false, "true"},
      {W("\\Internal Memory\\Playlists\\Run.pla"), KindPlaylist, true, "true"},
      {W("\\Internal Memory\\Music"), KindFolder, true, "true"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(wide::ToUtf8(row.path) + (row.keepsPlaylists ? " keeping playlists" : ""));
    record_.playlistFormatSupported = row.keepsPlaylists;
    Built built = Build(&record_, Storage(row.path), W("\\"), row.kind);
    ASSERT_EQ(built.hr, S_OK);
    EXPECT_EQ(Flag(*built.item, W("ItemRenamable")), row.renamable);
    EXPECT_EQ(Flag(*built.item, W("ItemDeletable")), "true");
  }
}

TEST_F(StorageItemsTest, FailuresOfWmdmCalls) {
  const WString path = W("\\Internal Memory\\Music\\three.wav");
  struct Row {
    const char* method;
    HRESULT injected;
    HRESULT result;  // of BuildItem
  };
  const Row rows[] = {
      {"GetName", WMDM_E_INTERFACEDEAD, WMDM_E_INTERFACEDEAD},  // passed along as it came
      {"GetName", E_FAIL, E_FAIL},
      {"GetSize", WMDM_E_INTERFACEDEAD, IPP_E_NOTFOUND},  // the device went away
      {"GetSize", E_FAIL, S_OK},
      {"GetAttributes", E_FAIL, S_OK},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.method) + " failing");
    ComPtr<IWMDMStorage> storage = Storage(path);
    record_.playlistFormatSupported = true;
    Model().Faults().Inject(ObjectKind::Storage, row.method, row.injected);
    std::unique_ptr<kcIPPItem> item(new kcIPPItem());
    EXPECT_EQ(BuildItem(W(""), &record_, storage, W("\\Music"), KindFile, &item), row.result);
    Model().Faults().ClearFaults();
    EXPECT_EQ(item != nullptr, row.result == S_OK) << "a failed build hands out nothing";
    if (!item) continue;
    EXPECT_EQ(item->GetSize(), std::string(row.method) == "GetSize" ? 0u : 3000u);
    if (std::string(row.method) == "GetAttributes") {
      EXPECT_EQ(item->GetBitrate(), 0);
      EXPECT_EQ(Flag(*item, W("ItemDeletable")), "absent");
      EXPECT_EQ(Flag(*item, W("ItemRenamable")), "false") << "still no renaming on a playlist device";
    }
  }
}

TEST_F(StorageItemsTest, MissingArgumentsAreRefused) {
  std::unique_ptr<kcIPPItem> item;
  ComPtr<IWMDMStorage> storage = Storage(W("\\Internal Memory\\Music\\three.wav"));
  EXPECT_EQ(BuildItem(W(""), nullptr, storage, W("\\Music"), KindFile, &item), IPP_E_FAIL);
  EXPECT_EQ(BuildItem(W(""), &record_, nullptr, W("\\Music"), KindFile, &item), IPP_E_FAIL);
  EXPECT_EQ(BuildItem(W(""), &record_, storage, W("\\Music"), KindFile, nullptr), IPP_E_FAIL);
  EXPECT_FALSE(item);
}

}  // namespace
