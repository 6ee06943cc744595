#include "testing/plugin_test_harness.h"

#include <iterator>

#include "host_sdk/ipp_result_codes.h"

namespace {

using wmdm_standin::DeviceDescription;
using wmdm_standin::MediumDescription;
using wmdm_standin::ObjectKind;

class DevicePropertiesTest : public PluginHarness {
 protected:
  // Lists one player and returns its number.
  DWORD ListOne(const DeviceDescription& description) {
    device_ = AddPlayer(description);
    const std::vector<DWORD> numbers = ListDevices();
    EXPECT_EQ(numbers.size(), 1u);
    return numbers.empty() ? 0 : numbers[0];
  }
  void AddMedium(const WCHAR* name, DWORD status) {
    MediumDescription medium;
    medium.name = name;
    medium.status = status;
    model_->AddMedium(device_, medium);
  }
  wmdm_standin::ObjectId device_ = 0;
};

TEST_F(DevicePropertiesTest, AnswersEveryNameFromTheDevice) {
  Start();
  const DWORD number = ListOne(SamplePlayer(W("Pocket"), W("\\\\?\\usb#Player (G:)")));
  EXPECT_FALSE(BoolProperty(number, W("DevCanBeCopySource")));
  EXPECT_FALSE(BoolProperty(number, W("DevIsRenamable")));
  EXPECT_TRUE(BoolProperty(number, W("DevSupportsPlaylists")));
  for (const WCHAR* field : {W("DeviceSupportsMetadataFieldAlbum"), W("DeviceSupportsMetadataFieldArtist"),
                             W("DeviceSupportsMetadataFieldBitrate"), W("DeviceSupportsMetadataFieldFileSize"),
                             W("DeviceSupportsMetadataFieldGenre"), W("DeviceSupportsMetadataFieldTrackName"),
                             W("DeviceSupportsMetadataFieldRanking")})
    EXPECT_TRUE(BoolProperty(number, field));
  EXPECT_EQ(LongProperty(number, W("DevMediaCount")), 1);
  EXPECT_EQ(StringProperty(number, W("DevVendorName")), W("ACME"));
  EXPECT_EQ(StringProperty(number, W("DevProductName")), W("Pocket"));
  EXPECT_EQ(StringProperty(number, W("DevDisplayName")), W("ACME Pocket"));
  EXPECT_EQ(StringProperty(number, W("DevFirmwareRevision")), W("260"));
  EXPECT_EQ(StringProperty(number, W("DeviceDriveLetter")), W("G"));
  EXPECT_EQ(StringProperty(number, W("DevUniqueID")), W("|005c|005c|003f|005cusb|0023player|0020|0028g|003a|0029"));
  EXPECT_EQ(StringProperty(number, W("DeviceSupportedFileFormats")), W(".mp3"));
  ULONG icon = 0;
  EXPECT_EQ(plugin_.GetDevicePropertyIcon(number, 0, &icon), S_OK);
  EXPECT_EQ(icon, 101u);
}

TEST_F(DevicePropertiesTest, UnknownNamesDevicesAndMissingArguments) {
  Start();
  const DWORD number = ListOne(SamplePlayer(W("Pocket"), W("pocket")));
  EXPECT_FALSE(BoolProperty(number, W("DevNoSuchThing"), IPP_E_UNKNOWNPROPERTY));
  EXPECT_EQ(LongProperty(number, W("devmediacount"), IPP_E_UNKNOWNPROPERTY), 0);
  EXPECT_EQ(StringProperty(number, W("DevMediaCount"), IPP_E_UNKNOWNPROPERTY), W(""));
  EXPECT_EQ(StringProperty(number + 1, W("DevVendorName"), IPP_E_FAIL), W(""));
  BOOL flag = FALSE;
  EXPECT_EQ(plugin_.GetDevicePropertyBool(number, nullptr, &flag), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetDevicePropertyLong(number, W("DevMediaCount"), nullptr), IPP_E_FAIL);
  EXPECT_EQ(plugin_.GetDevicePropertyIcon(number, 0, nullptr), IPP_E_FAIL);
  ULONG icon = 5;
  EXPECT_EQ(plugin_.GetDevicePropertyIcon(number + 1, 0, &icon), IPP_E_FAIL);
  EXPECT_EQ(icon, 0u);
  ScopedLock lock(plugin_.Lock());
  DeviceRecord* record = plugin_.FindDeviceRecord(number);
  EXPECT_EQ(record->boolCache.count(W("DevNoSuchThing")), 0u);
  EXPECT_EQ(record->longCache.count(W("devmediacount")), 0u);
}

TEST_F(DevicePropertiesTest, AnswersComeFromTheCacheOnceWorkedOutAndCountOnlyReadyOrBusyMedia) {
  Start();
  const DWORD number = ListOne(SamplePlayer(W("Pocket"), W("pocket")));
  AddMedium(W("Card"), WMDM_STATUS_STORAGE_NOTPRESENT);
  AddMedium(W("Busy"), WMDM_STATUS_BUSY);
  EXPECT_EQ(LongProperty(number, W("DevMediaCount")), 2);
  AddMedium(W("Late"), WMDM_STATUS_READY);
  EXPECT_EQ(LongProperty(number, W("DevMediaCount")), 2);
  const int calls = model_->Faults().Calls(ObjectKind::Device, "GetManufacturer");
  EXPECT_EQ(StringProperty(number, W("DevVendorName")), W("ACME"));
  EXPECT_EQ(StringProperty(number, W("DevVendorName")), W("ACME"));
  EXPECT_EQ(model_->Faults().Calls(ObjectKind::Device, "GetManufacturer"), calls + 1);
}

TEST_F(DevicePropertiesTest, PlatformFailuresGiveCachedDefaults) {
  Start();
  const DWORD number = ListOne(SamplePlayer(W("Pocket"), W("pocket")));
  model_->Faults().Inject(ObjectKind::Device, "GetVersion", E_FAIL);
  model_->Faults().Inject(ObjectKind::Device, "EnumStorage", static_cast<HRESULT>(0x80045000));
  EXPECT_EQ(StringProperty(number, W("DevFirmwareRevision")), W(""));
  // The failed media count is cached as 0, and its failure is the result.
  EXPECT_EQ(LongProperty(number, W("DevMediaCount"), IPP_S_BUSY), 0);
  EXPECT_EQ(LongProperty(number, W("DevMediaCount")), 0);
  model_->Faults().Inject(ObjectKind::Device, "EnumStorage", E_FAIL);
  EXPECT_FALSE(BoolProperty(number, W("DeviceSupportsMetadataFieldAlbum")));
  EXPECT_EQ(StringProperty(number, W("DevFirmwareRevision")), W(""));
}

// Every metadata field asks one thing: whether the first storage hands out
// its metadata. Each name's answer is kept for the record's life, so a
// device that answers otherwise later is not asked again until a new listing.
TEST_F(DevicePropertiesTest, MetadataFieldsFollowTheFirstStoragesMetadataAndAreKept) {
  Start();
  const DWORD number = ListOne(SamplePlayer(W("Pocket"), W("pocket")));
  const WCHAR* const fields[] = {W("DeviceSupportsMetadataFieldAlbum"),    W("DeviceSupportsMetadataFieldArtist"),
                                 W("DeviceSupportsMetadataFieldBitrate"),  W("DeviceSupportsMetadataFieldFileSize"),
                                 W("DeviceSupportsMetadataFieldGenre"),    W("DeviceSupportsMetadataFieldTrackName"),
                                 W("DeviceSupportsMetadataFieldRanking")};
  const auto answers = [&] {
    std::vector<bool> seen;
    for (const WCHAR* field : fields) seen.push_back(BoolProperty(number, field));
    return seen;
  };
  const std::vector<bool> none(std::size(fields), false), every(std::size(fields), true);
  model_->Faults().Inject(ObjectKind::Storage, "GetMetadata", E_FAIL, wmdm_standin::kEveryCall);
  EXPECT_EQ(answers(), none);
  model_->Faults().ClearFaults();
  const int asked = model_->Faults().Calls(ObjectKind::Storage, "GetMetadata");
  EXPECT_EQ(answers(), none) << "the answers were kept";
  EXPECT_EQ(model_->Faults().Calls(ObjectKind::Storage, "GetMetadata"), asked);
  ASSERT_EQ(ListDevices(), std::vector<DWORD>{number});
  EXPECT_EQ(answers(), every);
}

TEST_F(DevicePropertiesTest, SettingsOverrideNamesAndThePlaylistFlagEitherWay) {
  UseMachine("machines/mass_storage_player.reg");
  UseManifest(
      W("<Devices><Device VidPid='Vid_a5c0&amp;Pid_0101'><FriendlyDisplayName>My Player</FriendlyDisplayName>"
        "<DisplayMfgName>Acme</DisplayMfgName><SupportsPlaylists>0</SupportsPlaylists></Device>"
        "<Device VidPid='Vid_c0a1&amp;Pid_0e01'><SupportsPlaylists>1</SupportsPlaylists></Device></Devices>"));
  UseMachine("machines/mtp_player.reg");
  Start();
  DWORD number = ListOne(SamplePlayer(W("Pocket"), W("ACME Pocket (F:)")));
  EXPECT_EQ(StringProperty(number, W("DevDisplayName")), W("Acme My Player"));
  EXPECT_EQ(StringProperty(number, W("DevProductName")), W("My Player"));
  EXPECT_EQ(StringProperty(number, W("DevVendorName")), W("Acme"));
  EXPECT_FALSE(BoolProperty(number, W("DevSupportsPlaylists")));
  {
    ScopedLock lock(plugin_.Lock());
    EXPECT_FALSE(plugin_.FindDeviceRecord(number)->playlistFormatSupported);
  }
  model_->RemoveDevice(device_);
  // A setting of one says yes for a device without the playlist format.
  DeviceDescription withoutPlaylists = SamplePlayer(W("Contoso"), W("\\\\?\\usb#vid_c0a1&pid_0e01#ct0123456789#{x}"));
  withoutPlaylists.formatsSupported = std::vector<DWORD>{0x3009};
  number = ListOne(withoutPlaylists);
  EXPECT_TRUE(BoolProperty(number, W("DevSupportsPlaylists")));
}

TEST_F(DevicePropertiesTest, GenericManufacturersAreReplacedFromTheInventory) {
  UseMachine("machines/mass_storage_player.reg");
  UseMachine("machines/mtp_player.reg");
  Start();
  struct Row {
    int line;
    std::optional<WString> manufacturer;
    const WCHAR* canonical;
    const WCHAR* vendor;
  };
  const Row rows[] = {
      // With a drive letter: the storage function's friendly name.
      {__LINE__, WString(W("SanDisk")), W("Player (F:)"), W("Acme")},
      {__LINE__, WString(W("Removable")), W("Player (F:)"), W("Acme")},
      {__LINE__, std::nullopt, W("Player (F:)"), W("Acme")},
      // A real name stays.
      {__LINE__, WString(W("Contoso")), W("Player (F:)"), W("Contoso")},
      // No drive letter: the first word of the inventory's friendly name (for a
      // player without a storage function, its USB location).
      {__LINE__, WString(W("Removable")), W("\\\\?\\usb#vid_c0a1&pid_0e01#ct0123456789#{6ac27878}"),
       W("Port_#0001.hub_#0004")},
      // No drive letter and nothing the inventory knows: the generic name stays.
      {__LINE__, WString(W("SanDisk")), W("nowhere"), W("SanDisk")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    DeviceDescription description = SamplePlayer(W("Player"), row.canonical);
    description.manufacturer = row.manufacturer;
    EXPECT_EQ(StringProperty(ListOne(description), W("DevVendorName")), row.vendor);
    model_->RemoveDevice(device_);
  }
}

TEST_F(DevicePropertiesTest, LogsTheRequestUnderTheLockAndTheAnswerAfterIt) {
  Start();
  const DWORD number = ListOne(SamplePlayer(W("Pocket"), W("pocket")));
  callback_.ClearEvents();
  StringProperty(number, W("DevProductName"));
  LongProperty(number, W("DevMediaCount"));
  BoolProperty(number, W("DevIsRenamable"));
  StringProperty(number, W("Nope"), IPP_E_UNKNOWNPROPERTY);
  ULONG icon = 0;
  plugin_.GetDevicePropertyIcon(number, 0, &icon);
  EXPECT_EQ(callback_.LogLines(),
            (std::vector<WString>{W("WMDM10::GetDevicePropertyString called requesting DevProductName\n"),
                                  W("WMDM10::GetDevicePropertyString returned Pocket\n"),
                                  W("WMDM10::GetDevicePropertyLong called requesting DevMediaCount\n"),
                                  W("WMDM10::GetDevicePropertyLong returned 1\n"),
                                  W("WMDM10::GetDevicePropertyBool called requesting DevIsRenamable\n"),
                                  W("WMDM10::GetDevicePropertyBool returned false\n"),
                                  W("WMDM10::GetDevicePropertyString called requesting Nope\n"),
                                  W("WMDM10::GetDevicePropertyString returned NULL\n"),
                                  W("WMDM10::GetDevicePropertyIcon called\n")}));
}

}  // namespace
