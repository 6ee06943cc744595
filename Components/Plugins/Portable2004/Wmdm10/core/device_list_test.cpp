#include "base/enumerator_next.h"
#include "testing/plugin_test_harness.h"

#include "host_sdk/ipp_result_codes.h"

namespace {

using wmdm_standin::DeviceDescription;
using wmdm_standin::ObjectKind;
using Numbers = std::vector<DWORD>;

class DeviceListTest : public PluginHarness {
 protected:
  // The device numbers the host heard of in events of one kind.
  Numbers Heard(HostEvent::Kind kind) const {
    Numbers numbers;
    for (const HostEvent& event : EventsOf(kind)) numbers.push_back(event.number);
    return numbers;
  }
  // A record as "identity #number", marked pending or gone; "none" outside
  // the list. Looking a pending record up is what completes it.
  std::string Record(LONG number) {
    ScopedLock lock(plugin_.Lock());
    const DeviceRecord* record = plugin_.FindDeviceRecord(number);
    if (!record) return "none";
    return wide::ToUtf8(record->identity) + " #" + std::to_string(record->deviceNumber) +
           (record->detailsPending ? " pending" : "") + (record->gone ? " gone" : "");
  }
  void ArriveAfterStart(bool byMessage) {
    UseEmptyMachine();
    Start();
    UseMachine("machines/mass_storage_player.reg");
    AddPlayer(SamplePlayer(W("Pocket"), W("ACME Pocket (F:)")));
    if (byMessage)
      plugin_.OnDeviceChange(W("ACME Pocket (F:)"), W("Pocket"), W("ACME"), true);
    else
      ASSERT_EQ(plugin_.ReScanDevices(), S_OK);
    EXPECT_EQ(Heard(HostEvent::kDeviceArrived), (Numbers{1}));
    EXPECT_EQ(Record(1), "ACME Pocket (F:) #1");
    ScopedLock lock(plugin_.Lock());
    EXPECT_EQ(plugin_.FindDeviceRecord(1)->inventory.vidPidText, W("Vid_a5c0&Pid_0101"));
  }
};

TEST_F(DeviceListTest, ListsEveryPlayerRenumbersOnANewListingAndFindsRecordsOnlyInsideIt) {
  Start();
  DWORD number = 9;
  IPPFINDHANDLE find = reinterpret_cast<IPPFINDHANDLE>(1);
  EXPECT_EQ(plugin_.FindFirstDevice(&number, &find), S_FALSE);
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(find, nullptr);
  EXPECT_EQ(plugin_.FindFirstDevice(nullptr, &find), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindNextDevice(nullptr, &number), IPP_E_FAIL);
  EXPECT_EQ(plugin_.FindDeviceClose(nullptr), S_OK);
  EXPECT_EQ(callback_.LogLines(), (std::vector<WString>{W("WMDM10::FindFirstDevice called\n"),
                                                         W("WMDM10::FindFirstDevice called\n"),
                                                         W("WMDM10::FindNextDevice called\n"),
                                                         W("WMDM10::FindDeviceClose called\n")}));

  AddPlayer(SamplePlayer(W("One"), W("one")));
  AddPlayer(SamplePlayer(W("Two"), W("two")));
  AddPlayer(SamplePlayer(W("Three"), W("three")));
  EXPECT_EQ(ListDevices(), (Numbers{1, 2, 3}));
  EXPECT_EQ(ListDevices(), (Numbers{1, 2, 3}));
  EXPECT_EQ(plugin_.DeviceListSize(), 3u);
  for (LONG outside : {0L, -1L, 4L, 1000L}) EXPECT_EQ(Record(outside), "none") << outside;
  EXPECT_EQ(Record(2), "two #2");
  ScopedLock lock(plugin_.Lock());
  EXPECT_EQ(plugin_.FindDeviceNumberByIdentity(W("two")), 2u);
  EXPECT_EQ(plugin_.FindDeviceNumberByIdentity(W("TWO")), 0u);
  DeviceRecord* record = plugin_.FindDeviceRecord(1);
  EXPECT_TRUE(record->playlistFormatSupported);
  const ComPtr<IWMDMDevice> device = plugin_.GetDeviceInterface(1);
  EXPECT_EQ(device.Get(), record->device.Get());
  EXPECT_EQ(plugin_.FindRecordByDevice(device.Get()), record);
  EXPECT_FALSE(plugin_.GetDeviceInterface(4));
}

TEST_F(DeviceListTest, APlayerWithoutANameOrSkippedAsUnknownIsNeverListed) {
  UseManifest(W("<SkipList><Vendor Name='Unknown'><Product Name='Camera'/></Vendor></SkipList>"));
  Start();
  const auto hidden = AddPlayer(SamplePlayer(W("Hidden"), W("hidden")));
  model_->Faults().Inject(ObjectKind::Device, "GetName", E_FAIL, wmdm_standin::kEveryCall, hidden);
  DeviceDescription camera = SamplePlayer(W("Camera"), W("camera"));
  camera.manufacturer.reset();  // which reads as "Unknown"
  AddPlayer(camera);
  AddPlayer(SamplePlayer(W("Shown"), W("shown")));
  EXPECT_EQ(ListDevices(), (Numbers{1}));
  EXPECT_EQ(Record(1), "shown #1");
}

TEST_F(DeviceListTest, MatchesPlayersWithTheInventoryByLetterIdentityOrNameAndHidesSkippedOnes) {
  UseMachine("machines/mass_storage_player.reg");
  UseMachine("machines/mtp_player.reg");
  UseManifest(
      W("<Devices><Device VidPid='Vid_a5c0&amp;Pid_0101'><FriendlyDisplayName>Pocket</FriendlyDisplayName></Device>"
        "</Devices>"
        "<SkipList><Vendor Id='C0A1'><Product Id='0E01'/></Vendor>"
        "<Vendor Name='Gadgets'><Product Name='Camera'/></Vendor></SkipList>"));
  Start();
  struct Row {
    int line;
    const WCHAR* name;
    std::optional<WString> canonical;
    bool listed;
    WCHAR driveLetter;
    const WCHAR* vidPid;
  };
  const Row rows[] = {
      // By the drive letter its name carries.
      {__LINE__, W("Pocket"), WString(W("ACME Pocket (F:)")), true, W('F'), W("Vid_a5c0&Pid_0101")},
      // By its identity: skipped by VID and PID.
      {__LINE__, W("Contoso"), WString(W("\\\\?\\usb#vid_c0a1&pid_0e01#ct0123456789#{6ac27878}")), false, 0, W("")},
      // Unknown to the inventory: skipped by manufacturer and name.
      {__LINE__, W("Camera"), std::nullopt, false, 0, W("")},
      // Unknown to the inventory and not skipped.
      {__LINE__, W("Walkman"), WString(W("walkman-1")), true, 0, W("")},
      // A volume's identity names no device the inventory knows; its volume, F:, does.
      {__LINE__, W("Pocket"), WString(W("\\\\?\\STORAGE#RemovableMedia#7&2b8e5c1&0&RM#{53f5630d}")), true, W('F'),
       W("Vid_a5c0&Pid_0101")},
      // A made-up identity says nothing; the name is the player's serial.
      {__LINE__, W("A5C0000012345678"), std::nullopt, true, W('F'), W("Vid_a5c0&Pid_0101")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    DeviceDescription description = SamplePlayer(row.name, W(""));
    description.canonicalName = row.canonical;
    if (WString(row.name) == W("Camera")) description.manufacturer = WString(W("GADGETS"));
    const auto id = AddPlayer(description);
    ASSERT_EQ(ListDevices().size(), row.listed ? 1u : 0u);
    if (row.listed) {
      ScopedLock lock(plugin_.Lock());
      DeviceRecord* record = plugin_.FindDeviceRecord(1);
      EXPECT_EQ(record->inventory.driveLetter, row.driveLetter);
      EXPECT_EQ(record->inventory.vidPidText, row.vidPid);
      EXPECT_EQ(record->settings != nullptr, row.driveLetter != 0);
    }
    model_->RemoveDevice(id);
  }
}

// With one device in the inventory, a player the inventory does not know
// must not borrow it: it would take that device's settings and skip entry,
// and a skip entry would hide the player.
TEST_F(DeviceListTest, APlayerTheLoneInventoryRecordDoesNotNameStaysUnmatched) {
  UseMachine("machines/mtp_player.reg");
  const struct {
    const char* manifest;
    const WCHAR* text;
  } manifests[] = {
      {"settings", W("<Devices><Device VidPid='Vid_c0a1&amp;Pid_0e01'><FriendlyDisplayName>Contoso</FriendlyDisplayName>"
                     "</Device></Devices>")},
      {"a skip entry", W("<SkipList><Vendor Id='C0A1'><Product Id='0E01'/></Vendor></SkipList>")},
  };
  for (const auto& m : manifests) {
    SCOPED_TRACE(m.manifest);
    settings_.reset();
    UseManifest(m.text);
    if (!started_) {
      Start();
    } else {
      ASSERT_EQ(plugin_.Initialize(W(""), W("")), S_OK);
      ASSERT_EQ(plugin_.UnregisterNotifications(), S_OK);
    }
    const auto id = AddPlayer(SamplePlayer(W("Walkman"), W("walkman-1")));
    ASSERT_EQ(ListDevices(), (Numbers{1}));
    EXPECT_EQ(StringProperty(1, W("DevProductName")), W("Walkman"));
    ScopedLock lock(plugin_.Lock());
    EXPECT_EQ(plugin_.FindDeviceRecord(1)->inventory.vidPidText, W(""));
    EXPECT_EQ(plugin_.FindDeviceRecord(1)->settings, nullptr);
    model_->RemoveDevice(id);
  }
}

// A player with several storages is one device: the plug-in asks the
// platform, which would otherwise show each storage of an MTP player as a
// device of its own.
TEST_F(DeviceListTest, APlayerWithSeveralStoragesIsOneDevice) {
  Start();
  DeviceDescription phone = SamplePlayer(W("Phone"), W("\\\\?\\usb#vid_0e8d&pid_2008#phone#{6ac27878}$0"));
  phone.personality = wmdm_standin::Personality::Mtp;
  const auto id = model_->AddDevice(phone, wmdm_standin::PlayerModel::Presence::Detached);
  for (const WCHAR* name : {W("Internal Storage"), W("SD Card")}) {
    wmdm_standin::MediumDescription medium;
    medium.name = name;
    medium.totalSize = 1 << 20;
    model_->AddMedium(id, medium);
  }
  model_->ConnectDevice(id);
  EXPECT_EQ(ListDevices(), (Numbers{1}));
  EXPECT_EQ(LongProperty(1, W("DevMediaCount")), 2);
}

TEST_F(DeviceListTest, FindNextPassesOverPlayersListedAlready) {
  Start();
  AddPlayer(SamplePlayer(W("One"), W("one")));
  AddPlayer(SamplePlayer(W("Two"), W("two")));
  DWORD number = 0;
  IPPFINDHANDLE find = nullptr;
  ASSERT_EQ(plugin_.FindFirstDevice(&number, &find), S_OK);
  ASSERT_EQ(number, 1u);
  // A rescan while the listing is open lists the second player (pending); the
  // listing then has nothing new to hand out.
  ASSERT_EQ(plugin_.ReScanDevices(), S_OK);
  ASSERT_EQ(plugin_.DeviceListSize(), 2u);
  DWORD next = 7;
  EXPECT_EQ(plugin_.FindNextDevice(find, &next), S_FALSE);
  EXPECT_EQ(next, 0u);
  EXPECT_EQ(plugin_.DeviceListSize(), 2u);
  EXPECT_EQ(plugin_.FindDeviceClose(find), S_OK);
}

TEST_F(DeviceListTest, ARecordThatCannotBeCompletedStaysPendingUntilItCan) {
  Start();
  AddPlayer(SamplePlayer(W("One"), W("one")));
  ASSERT_EQ(ListDevices(), (Numbers{1}));
  const auto two = AddPlayer(SamplePlayer(W("Two"), W("two")));
  ASSERT_EQ(plugin_.ReScanDevices(), S_OK);
  model_->Faults().Inject(ObjectKind::Device, "GetName", E_FAIL, 1, two);
  EXPECT_EQ(Record(2), "two #0 pending");
  EXPECT_EQ(Record(2), "two #2");
}

// A player that comes after Initialize is matched with the registry as it is
// when it comes, whether a rescan or an arrival message finds it.
TEST_F(DeviceListTest, APlayerFoundByARescanAfterStartIsMatchedWithTheRegistryThen) { ArriveAfterStart(false); }
TEST_F(DeviceListTest, APlayerFoundByAnArrivalMessageIsMatchedWithTheRegistryThen) { ArriveAfterStart(true); }

TEST_F(DeviceListTest, RescanMarksGoneAddsPendingAndNeverShiftsNumbers) {
  Start();
  AddPlayer(SamplePlayer(W("One"), W("one")));
  const auto two = AddPlayer(SamplePlayer(W("Two"), W("two")));
  ASSERT_EQ(ListDevices(), (Numbers{1, 2}));
  model_->RemoveDevice(two);
  AddPlayer(SamplePlayer(W("Three"), W("three")));
  callback_.ClearEvents();
  EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
  EXPECT_EQ(Heard(HostEvent::kDeviceArrived), (Numbers{3}));
  EXPECT_EQ(Heard(HostEvent::kDeviceRemoved), (Numbers{2}));
  EXPECT_EQ(Record(2), "two #2 gone");
  EXPECT_EQ(Record(3), "three #3");  // completed on this first lookup
  {
    ScopedLock lock(plugin_.Lock());
    EXPECT_EQ(plugin_.FindDeviceNumberByIdentity(W("two")), 0u);
  }
  // A rescan with nothing changed reports nothing.
  callback_.ClearEvents();
  EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
  EXPECT_EQ(Heard(HostEvent::kDeviceArrived), Numbers());
  EXPECT_EQ(Heard(HostEvent::kDeviceRemoved), Numbers());
  EXPECT_EQ(plugin_.DeviceListSize(), 3u);
}

TEST_F(DeviceListTest, AnEnumeratorFailureMarksNothingGoneInARescanAndIsAListingsResult) {
  Start();
  AddPlayer(SamplePlayer(W("One"), W("one")));
  ASSERT_EQ(ListDevices().size(), 1u);
  callback_.ClearEvents();
  model_->Faults().Inject(ObjectKind::DeviceEnumerator, "Next", E_FAIL);
  EXPECT_EQ(plugin_.ReScanDevices(), S_OK);
  EXPECT_EQ(Heard(HostEvent::kDeviceRemoved), Numbers());
  // Busy is asked again a few times before it stands.
  model_->Faults().Inject(ObjectKind::DeviceEnumerator, "Next", WMDM_E_BUSY, kEnumeratorBusyTries);
  DWORD number = 0;
  IPPFINDHANDLE find = nullptr;
  EXPECT_EQ(plugin_.FindFirstDevice(&number, &find), IPP_S_BUSY);
  EXPECT_EQ(find, nullptr);
  model_->Faults().Inject(ObjectKind::DeviceEnumerator, "Next", WMDM_E_BUSY, kEnumeratorBusyTries - 1);
  ASSERT_EQ(plugin_.FindFirstDevice(&number, &find), S_OK);
  EXPECT_EQ(plugin_.FindDeviceClose(find), S_OK);
}

}  // namespace
