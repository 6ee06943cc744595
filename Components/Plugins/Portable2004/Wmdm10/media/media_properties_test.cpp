#include "host_sdk/ipp_result_codes.h"
#include "core/map_result.h"
#include "testing/media_test_support.h"
#include "testing/stale_answers.h"

namespace {

using wmdm_standin::ObjectKind;

constexpr ULONGLONG k4G = 0x100000000ull;

class MediaPropertiesTest : public MediaHarness {
 protected:
  // Each getter as the host calls it; every call is followed by the check
  // that the lock was left.
  bool Flag(const WString& location, const WCHAR* name, HRESULT expected = S_OK) {
    BOOL value = -1;
    EXPECT_EQ(plugin_.GetMediaPropertyBool(location.c_str(), name, &value), expected) << wide::ToUtf8(name);
    EXPECT_TRUE(LockIsFree());
    EXPECT_TRUE(value == TRUE || value == FALSE) << "the out was not written";
    return value == TRUE;
  }
  LONG Number(const WString& location, const WCHAR* name, HRESULT expected = S_OK) {
    LONG value = -1;
    EXPECT_EQ(plugin_.GetMediaPropertyLong(location.c_str(), name, &value), expected) << wide::ToUtf8(name);
    EXPECT_TRUE(LockIsFree());
    return value;
  }
  WString Text(const WString& location, const WCHAR* name, HRESULT expected = S_OK) {
    UniqueBstr value;
    EXPECT_EQ(plugin_.GetMediaPropertyString(location.c_str(), name, value.Put()), expected) << wide::ToUtf8(name);
    EXPECT_TRUE(LockIsFree());
    return value.ToString();
  }

  // Which of the root node's caches holds `name`: "bool", "long", "string"
  // or "" for none.
  std::string CachedIn(const WString& location, const WCHAR* name) {
    ScopedLock lock(plugin_.Lock());
    NodeRef node = plugin_.Resolver().ResolveStorage(location, WString(W("\\")), 0);
    if (!node) return "no node";
    if (node->boolCache.count(name)) return "bool";
    if (node->longCache.count(name)) return "long";
    if (node->stringCache.count(name)) return "string";
    return "";
  }

  // Lists a player with one medium of `totalSize` bytes; its location.
  WString ListSampleMedium(ULONGLONG totalSize) {
    wmdm_standin::DeviceDescription description = SamplePlayer(W("Pocket"), W("Pocket#1"));
    description.serial = {0x01, 0x02, 0x03};
    ListPlayerWith({Medium(W("Internal Memory"), WMDM_STATUS_READY, totalSize)}, description);
    return LocationOf(W("Internal Memory"));
  }
};

TEST_F(MediaPropertiesTest, EveryNameItsValueAndWhetherItIsKept) {
  Start();
  const WString at = ListSampleMedium(3 * k4G);
  wmdm_standin::FileDescription file;
  file.name = W("big.mp3");
  file.size = 2 * k4G + 5;
  model_->AddFile(media_[0], file);
  const struct {
    const WCHAR* name;
    const char* cache;  // where the answer is kept; "" when it is worked out each time
    LONG number;        // flags: 1 true, 0 false
    const WCHAR* text;
  } rows[] = {
      {W("MediaDownloadableForSDMI"), "bool", 1, nullptr},
      {W("MediaCanBeCopySource"), "bool", 0, nullptr},
      {W("MediaCanBeDirectlyPlayed"), "bool", 0, nullptr},
      {W("MediaIsReadOnly"), "bool", 0, nullptr},
      {W("MediaSupportsMediaRebuild"), "bool", 0, nullptr},
      {W("DevSupportsMediaErase"), "bool", 0, nullptr},
      {W("MediaIsRenamable"), "bool", 1, nullptr},
      {W("MediaSupportsFolderInFolder"), "bool", 1, nullptr},
      {W("MediaSupportsFoldersInRoot"), "bool", 1, nullptr},
      {W("MediaSupportsFormat"), "bool", 1, nullptr},
      {W("MediaSupportsPlaylistReordering"), "bool", 1, nullptr},
      {W("MediaSupportsPlaylists"), "bool", 1, nullptr},
      {W("MediaSpaceTotalHi"), "long", 3, nullptr},
      {W("MediaSpaceTotalLo"), "long", 0, nullptr},
      {W("MediaSpaceUsedHi"), "", 2, nullptr},
      {W("MediaSpaceUsedLo"), "", 5, nullptr},
      {W("MediaSpaceFreeHi"), "", 0, nullptr},
      {W("MediaSpaceFreeLo"), "", static_cast<LONG>(0xFFFFFFFBu), nullptr},
      {W("MediaDisplayName"), "string", 0, W("Internal Memory")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(wide::ToUtf8(row.name));
    const WString name(row.name);
    if (row.text)
      EXPECT_EQ(Text(at, row.name), row.text);
    else if (name.compare(0, 10, W("MediaSpace")) == 0)
      EXPECT_EQ(Number(at, row.name), row.number);
    else
      EXPECT_EQ(Flag(at, row.name), row.number == 1);
    EXPECT_EQ(CachedIn(at, row.name), row.cache);
  }
  // A name of the wrong getter, in another case, or unknown: not answered, not kept.
  EXPECT_FALSE(Flag(at, W("mediaisrenamable"), IPP_E_UNKNOWNPROPERTY));
  EXPECT_EQ(Number(at, W("MediaDisplayName"), IPP_E_UNKNOWNPROPERTY), 0);
  EXPECT_EQ(Text(at, W("MediaSpaceTotalLo"), IPP_E_UNKNOWNPROPERTY), W(""));
  EXPECT_EQ(CachedIn(at, W("mediaisrenamable")), "");
}

// A medium whose root is marked read-only (a card mounted so) says it is;
// every other medium says it is not (the table above).
TEST_F(MediaPropertiesTest, AMediumMarkedReadOnlySaysSo) {
  Start();
  const WString at = ListSampleMedium(k4G);
  model_->HandleById(media_[0]).object->attributes |= WMDM_FILE_ATTR_READONLY;
  EXPECT_TRUE(Flag(at, W("MediaIsReadOnly")));
}

TEST_F(MediaPropertiesTest, TotalIsReadOnceFreeAndUsedEveryTime) {
  Start();
  const WString at = ListSampleMedium(k4G);
  auto& faults = model_->Faults();
  EXPECT_EQ(Number(at, W("MediaSpaceFreeLo")), 0);  // resolves the medium; its free space is all of it
  faults.ResetCalls();
  EXPECT_EQ(Number(at, W("MediaSpaceTotalLo")), 0);
  EXPECT_EQ(Number(at, W("MediaSpaceTotalLo")), 0);
  EXPECT_EQ(Number(at, W("MediaSpaceTotalHi")), 1);
  EXPECT_EQ(faults.Calls(ObjectKind::StorageGlobals, "GetTotalSize"), 2) << "one read per half, then the cache";

  wmdm_standin::FileDescription file;
  file.name = W("a.mp3");
  file.size = 0x1000;
  model_->AddFile(media_[0], file);
  faults.ResetCalls();
  EXPECT_EQ(Number(at, W("MediaSpaceFreeLo")), static_cast<LONG>(0xFFFFF000u));
  EXPECT_EQ(Number(at, W("MediaSpaceFreeLo")), static_cast<LONG>(0xFFFFF000u));
  EXPECT_EQ(Number(at, W("MediaSpaceUsedLo")), 0x1000);
  EXPECT_EQ(faults.Calls(ObjectKind::StorageGlobals, "GetTotalFree"), 3);
  EXPECT_EQ(faults.Calls(ObjectKind::Storage, "GetStorageGlobals"), 3) << "the globals are fetched for each read";

  faults.ResetCalls();
  EXPECT_EQ(Text(at, W("MediaDisplayName")), W("Internal Memory"));
  EXPECT_EQ(Text(at, W("MediaDisplayName")), W("Internal Memory"));
  EXPECT_TRUE(Flag(at, W("MediaDownloadableForSDMI")));
  EXPECT_TRUE(Flag(at, W("MediaDownloadableForSDMI")));
  EXPECT_EQ(faults.Calls(ObjectKind::Storage, "GetName"), 1);
  EXPECT_EQ(faults.Calls(ObjectKind::Device, "GetType"), 1);
}

TEST_F(MediaPropertiesTest, DisplayNamesAndCapabilities) {
  constexpr DWORD kInRoot = WMDM_STORAGECAP_FOLDERSINROOT, kInFolders = WMDM_STORAGECAP_FOLDERSINFOLDERS;
  const struct Row {
    const WCHAR* name;
    DWORD capabilities;
    const WCHAR* shown;
    bool folderInFolder, foldersInRoot, format;
  } rows[] = {
      {W("\\"), kInRoot | kInFolders, W("Root"), true, true, true},
      {W("internal.wma"), kInRoot, W("Internal Memory"), false, true, true},
      {W("Card"), kInFolders | WMDM_STORAGECAP_NOT_INITIALIZABLE, W("Card"), true, false, false},
      {W("Storage Card"), 0, W("Storage Card"), false, false, true},
  };
  Start();
  std::vector<wmdm_standin::MediumDescription> media;
  for (const Row& row : rows) {
    media.push_back(Medium(row.name));
    media.back().capabilities = row.capabilities;
  }
  ListPlayerWith(media);
  for (const Row& row : rows) {
    SCOPED_TRACE(wide::ToUtf8(row.name));
    const WString at = LocationOf(row.name);
    EXPECT_EQ(Text(at, W("MediaDisplayName")), row.shown);
    EXPECT_EQ(Flag(at, W("MediaSupportsFolderInFolder")), row.folderInFolder);
    EXPECT_EQ(Flag(at, W("MediaSupportsFoldersInRoot")), row.foldersInRoot);
    EXPECT_EQ(Flag(at, W("MediaSupportsFormat")), row.format);
  }
}

TEST_F(MediaPropertiesTest, SettingsOverrideTheCapabilitiesAndThePlaylistFlag) {
  UseMachine("machines/mass_storage_player.reg");
  UseManifest(
      W("<Devices><Device VidPid='Vid_a5c0&amp;Pid_0101'><SupportsFolders>0</SupportsFolders>"
        "<RootSupportsFolders>1</RootSupportsFolders><SupportsFormat>0</SupportsFormat>"
        "<SupportsPlaylists>0</SupportsPlaylists></Device></Devices>"));
  Start();
  wmdm_standin::MediumDescription medium = Medium(W("Internal Memory"));
  medium.capabilities = WMDM_STORAGECAP_FOLDERSINFOLDERS;
  ListPlayerWith({medium}, SamplePlayer(W("Pocket"), W("ACME Pocket (F:)")));
  const WString at = LocationOf(W("Internal Memory"));
  EXPECT_FALSE(Flag(at, W("MediaSupportsFolderInFolder")));
  EXPECT_TRUE(Flag(at, W("MediaSupportsFoldersInRoot")));
  EXPECT_FALSE(Flag(at, W("MediaSupportsFormat")));
  EXPECT_FALSE(Flag(at, W("MediaSupportsPlaylists")));
  EXPECT_FALSE(Flag(at, W("MediaSupportsPlaylistReordering")));
  EXPECT_EQ(model_->Faults().Calls(ObjectKind::StorageGlobals, "GetCapabilities"), 0);
}

TEST_F(MediaPropertiesTest, FailuresKeepFlagsAndTextsButNeverNumbers) {
  Start();
  const WString at = ListSampleMedium(k4G);
  EXPECT_TRUE(Flag(at, W("MediaIsRenamable")));  // the node exists before the faults
  auto& faults = model_->Faults();
  faults.Inject(ObjectKind::StorageGlobals, "GetCapabilities", E_OUTOFMEMORY);
  faults.Inject(ObjectKind::Storage, "GetName", static_cast<HRESULT>(0x80070490));
  faults.Inject(ObjectKind::StorageGlobals, "GetTotalSize", E_FAIL);
  // A device that cannot give its serial number says E_FAIL, whatever it said.
  faults.Inject(ObjectKind::Device, "GetSerialNumber", static_cast<HRESULT>(0x80045000));
  EXPECT_FALSE(Flag(at, W("MediaSupportsFolderInFolder"), IPP_E_FAIL));
  EXPECT_EQ(Text(at, W("MediaDisplayName"), IPP_E_NOTFOUND), W(""));
  EXPECT_EQ(Number(at, W("MediaSpaceTotalHi"), IPP_E_FAIL), 0);
  EXPECT_FALSE(Flag(at, W("MediaDownloadableForSDMI"), IPP_E_FAIL));
  // The flag and the text keep their defaults; the number is read again.
  EXPECT_FALSE(Flag(at, W("MediaSupportsFolderInFolder")));
  EXPECT_EQ(Text(at, W("MediaDisplayName")), W(""));
  EXPECT_FALSE(Flag(at, W("MediaDownloadableForSDMI")));
  EXPECT_EQ(Number(at, W("MediaSpaceTotalHi")), 1);
  // A device without the rights scheme bits is not a download target.
  model_->RemoveDevice(device_);
  ListPlayerWith({Medium(W("Card"))}, [] {
    auto description = SamplePlayer(W("Plain"), W("Plain#2"));
    description.serial = {0x09};
    description.type = WMDM_DEVICE_TYPE_PLAYBACK | WMDM_DEVICE_TYPE_STORAGE;
    return description;
  }());
  EXPECT_FALSE(Flag(LocationOf(W("Card")), W("MediaDownloadableForSDMI")));
}

TEST_F(MediaPropertiesTest, ArgumentsLocationsAndLogLines) {
  Start();
  const WString at = ListSampleMedium(k4G);
  BOOL flag = -1;
  LONG number = -1;
  callback_.ClearEvents();
  EXPECT_EQ(plugin_.GetMediaPropertyBool(nullptr, W("MediaIsRenamable"), &flag), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetMediaPropertyLong(at.c_str(), nullptr, &number), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetMediaPropertyString(at.c_str(), W("MediaDisplayName"), nullptr), IPP_E_FAIL);
  EXPECT_EQ(flag, FALSE);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(callback_.LogLines(), (std::vector<WString>{W("WMDM10::GetMediaPropertyBool returned false\n"),
                                                        W("WMDM10::GetMediaPropertyLong returned 0\n"),
                                                        W("WMDM10::GetMediaPropertyString returned NULL\n")}));
  for (const WString& elsewhere :
       {LocationOf(W("Card")), WString(W("WMDM10pocket|00232___internal|0020memory")),
        WString(W("wmdm10pocket|00231___internal|0020memory")), WString(W("WMDM10pocket|00231")), WString()}) {
    SCOPED_TRACE(wide::ToUtf8(elsewhere));
    EXPECT_FALSE(Flag(elsewhere, W("MediaIsRenamable"), IPP_E_NOTFOUND));
  }
  EXPECT_EQ(Text(LocationOf(W("Card")), W("MediaDisplayName"), IPP_E_NOTFOUND), W(""));
  callback_.ClearEvents();
  Flag(at, W("MediaIsRenamable"));
  Number(at, W("MediaSpaceTotalHi"));
  Text(at, W("MediaDisplayName"));
  EXPECT_EQ(callback_.LogLines(),
            (std::vector<WString>{W("WMDM10::GetMediaPropertyBool called for property MediaIsRenamable\n"),
                                  W("WMDM10::GetMediaPropertyBool returned true\n"),
                                  W("WMDM10::GetMediaPropertyLong called for property MediaSpaceTotalHi\n"),
                                  W("WMDM10::GetMediaPropertyLong returned 1\n"),
                                  W("WMDM10::GetMediaPropertyString called for property MediaDisplayName\n"),
                                  W("WMDM10::GetMediaPropertyString returned Internal Memory\n")}));
}

// A stale answer behind the cached node: the node is dropped and the medium
// resolved once more, never twice. The globals answer as the medium's root, a
// folder; the device is the platform's, which says dead whatever the player.
TEST_F(MediaPropertiesTest, OneRetryAfterAStaleAnswer) {
  const struct {
    ObjectKind kind;
    const char* method;
    const WCHAR* name;
    int staleCalls;
    bool gaveUp;
    int attempts;
  } rows[] = {
      {ObjectKind::StorageGlobals, "GetCapabilities", W("MediaSupportsFolderInFolder"), 1, false, 2},
      {ObjectKind::StorageGlobals, "GetCapabilities", W("MediaSupportsFolderInFolder"), 2, true, 2},
      {ObjectKind::StorageGlobals, "GetTotalFree", W("MediaSpaceFreeLo"), 1, false, 2},
      {ObjectKind::StorageGlobals, "GetTotalFree", W("MediaSpaceFreeLo"), 2, true, 2},
      {ObjectKind::Device, "GetType", W("MediaDownloadableForSDMI"), 2, true, 2},
      {ObjectKind::StorageGlobals, "GetTotalSize", W("MediaSpaceTotalHi"), 3, true, 2},
  };
  Start();
  for (const StaleAnswer& stale : kStaleAnswers) {
    for (const auto& row : rows) {
      SCOPED_TRACE(testing::Message() << row.method << " stale " << row.staleCalls << " times, " << stale.name);
      const WString at = ListSampleMedium(k4G);
      ASSERT_TRUE(stale.SetOn(*model_, device_));
      EXPECT_TRUE(Flag(at, W("MediaIsRenamable")));
      const size_t nodes = plugin_.Resolver().NodeCacheSize();
      model_->Faults().ResetCalls();
      model_->Faults().InjectStale(row.kind, row.method, row.staleCalls);
      auto read = [&](HRESULT expected) {
        if (WString(row.name).compare(0, 10, W("MediaSpace")) == 0)
          Number(at, row.name, expected);
        else
          Flag(at, row.name, expected);
      };
      const HRESULT answer = row.kind == ObjectKind::Device ? WMDM_E_INTERFACEDEAD : stale.folder;
      read(row.gaveUp ? MapResult(answer) : S_OK);
      EXPECT_EQ(model_->Faults().Calls(row.kind, row.method), row.attempts);
      // The stale node is dropped and one made anew; one still stale when the
      // call gives up is not kept for the next call.
      EXPECT_EQ(plugin_.Resolver().NodeCacheSize(), row.gaveUp ? nodes - 1 : nodes);
      // The next call starts with its retry at hand again.
      model_->Faults().ClearFaults();
      model_->Faults().InjectStale(row.kind, row.method, 1);
      read(S_OK);
      model_->Faults().ClearFaults();
      model_->RemoveDevice(device_);
      ListDevices();
    }
  }
}

// No fault injected: the medium was taken out and put back, so the cached
// node's storage is dead and the second resolution finds the new one, or
// nothing once the medium is gone.
TEST_F(MediaPropertiesTest, AMediumPutBackIsFoundAgain) {
  Start();
  const WString at = ListSampleMedium(k4G);
  EXPECT_TRUE(Flag(at, W("MediaIsRenamable")));
  model_->RemoveMedium(media_[0]);
  wmdm_standin::MediumDescription again = Medium(W("Internal Memory"), WMDM_STATUS_READY, 2 * k4G);
  media_[0] = model_->AddMedium(device_, again);
  EXPECT_EQ(Text(at, W("MediaDisplayName")), W("Internal Memory"));
  EXPECT_EQ(Number(at, W("MediaSpaceTotalHi")), 2);
  EXPECT_EQ(CachedIn(at, W("MediaIsRenamable")), "") << "the new node starts with empty caches";
  // Taken out for good: the second resolution finds nothing.
  model_->RemoveMedium(media_[0]);
  EXPECT_EQ(Number(at, W("MediaSpaceFreeLo"), IPP_E_NOTFOUND), 0);
}

}  // namespace
