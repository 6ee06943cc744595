// How the plug-in finds the inventory's facts about a WMDM device.
#include <gtest/gtest.h>

#include "com_support.h"
#include "testing/inventory_test_machine.h"

namespace {

// A player that is a disk on F: (ACME Pocket) and one that speaks MTP (Contoso).
class InventoryLookups : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.Load("machines/mass_storage_player.reg");
    machine_.Load("machines/mtp_player.reg");
    inventory_ = &machine_.Rebuild();
    ASSERT_EQ(2u, inventory_->Records().size());
  }
  void TearDown() override { EXPECT_EQ(wmdm_standin::LiveComObjects(), 0) << "a stand-in object was left alive"; }

  // The instance id of the record a name finds, or "none".
  WString Found(const WString& key, bool strict = true) const {
    DeviceInventoryRecord record;
    record.instanceId = W("none");
    const bool found = inventory_->FindRecordByName(key, record, strict);
    EXPECT_EQ(found, record.instanceId != W("none"));
    return record.instanceId;
  }

  TestMachine machine_;
  const kcDeviceInventory* inventory_ = nullptr;
};

const WCHAR kAcme[] = W("A5C0000012345678&0");
const WCHAR kContoso[] = W("CT0123456789");

TEST_F(InventoryLookups, ADriveLetterFindsTheRecordOnIt) {
  DeviceInventoryRecord record;
  EXPECT_TRUE(inventory_->FindRecordByDriveLetter(W('F'), record));
  EXPECT_EQ(WString(kAcme), record.instanceId);
  record.instanceId = W("unchanged");
  EXPECT_FALSE(inventory_->FindRecordByDriveLetter(0, record));  // though the MTP player has no letter
  EXPECT_FALSE(inventory_->FindRecordByDriveLetter(W('f'), record));
  EXPECT_EQ(WString(W("unchanged")), record.instanceId);
}

TEST_F(InventoryLookups, ANameFindsItsRecordByTheFirstRuleThatMatches) {
  const struct {
    const WCHAR* key;
    const WCHAR* found;
  } cases[] = {
      // The VID/PID part of an identity, without regard to case.
      {W("\\\\?\\usb#vid_c0a1&pid_0e01#ct0123456789#{6ac27878-a6fa-4155-ba85-f98f491d4f33}"), kContoso},
      // The third part against the parent id prefix.
      {W("x#y#7&2B8E5C1&0"), kAcme},
      // Part of an instance id, with its case.
      {W("A5C00000"), kAcme},
      {W("a5c00000"), W("none")},
      // Words, common ones dropped, scored over the record's fields.
      {W("Contoso Player"), kContoso},
      {W("pocket"), kAcme},
      {W("usb mass storage device"), W("none")},
      {W("\\\\?\\STORAGE#RemovableMedia#7&2b8e5c1&0&RM#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}"), W("none")},
  };
  for (const auto& c : cases) EXPECT_EQ(WString(c.found), Found(c.key)) << wide::ToUtf8(WString(c.key));
}

TEST_F(InventoryLookups, AnIdentityLeadsToTheDriveLetterOfItsVolume) {
  const struct {
    const WCHAR* identity;
    WCHAR letter;
  } cases[] = {
      {W("\\\\?\\STORAGE#RemovableMedia#7&2b8e5c1&0&RM#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}"), W('F')},
      // Through the USB device's storage function.
      {W("\\\\?\\usb#Vid_a5c0&Pid_0101#A5C0000012345678#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"), W('F')},
      {W("\\\\?\\usb#vid_c0a1&pid_0e01#CT0123456789#{6ac27878-a6fa-4155-ba85-f98f491d4f33}"), 0},
      {W("no separators at all"), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.letter, inventory_->DriveLetterForIdentity(c.identity)) << wide::ToUtf8(WString(c.identity));
}

TEST_F(InventoryLookups, ADriveLetterGivesTheFirstWordOfItsStorageName) {
  WString manufacturer = W("Generic");
  EXPECT_TRUE(inventory_->ManufacturerForDriveLetter(W('F'), manufacturer));
  EXPECT_EQ(WString(W("Acme")), manufacturer);
  manufacturer = W("Generic");
  EXPECT_FALSE(inventory_->ManufacturerForDriveLetter(W('D'), manufacturer));  // the CD drive's volume
  EXPECT_FALSE(inventory_->ManufacturerForDriveLetter(W('Z'), manufacturer));
  EXPECT_EQ(WString(W("Generic")), manufacturer);
}

TEST(InventoryLookupsInline, WithoutAFriendlyNameTheManufacturerStands) {
  TestMachine machine;
  machine.Add(R"reg(
    [~\CurrentControlSet\Enum\USBSTOR\Disk&Ven_ACME&Prod_Pocket&Rev_1.00\A5C0000012345678&0]
    "Mfg"="(Standard disk drives)"
    "ParentIdPrefix"="7&2b8e5c1&0"
    [~\MountedDevices]
  )reg" + Utf16BinaryLine("\\DosDevices\\F:", "\\??\\STORAGE#RemovableMedia#7&2b8e5c1&0&RM#{x}"));
  WString manufacturer;
  EXPECT_TRUE(machine.Rebuild().ManufacturerForDriveLetter(W('F'), manufacturer));
  EXPECT_EQ(WString(W("(Standard disk drives)")), manufacturer);
}

TEST(InventoryLookupsInline, TiesGoToTheEarlierRecordAndALoneRecordAnswersWhenNotStrict) {
  TestMachine machine;
  machine.Add(R"([~\CurrentControlSet\Enum\USB\VID_FAB1&PID_0001\ONE]
                 "Service"="WUDFRd"
                 "Mfg"="Fabrikam"
              )" + MultiTextLine("HardwareID", {"USB\\VID_FAB1&PID_0001"}) +
              R"([~\CurrentControlSet\Enum\USB\VID_FAB1&PID_0002\TWO]
                 "Service"="WUDFRd"
                 "Mfg"="Fabrikam"
              )" + MultiTextLine("HardwareID", {"USB\\VID_FAB1&PID_0002"}) +
              R"([~\CurrentControlSet\Services\WUDFRd\Enum]
                 "0"="USB\\VID_FAB1&PID_0001\\ONE"
                 "1"="USB\\VID_FAB1&PID_0002\\TWO"
                 "Count"=dword:00000002
              )");
  const kcDeviceInventory& inventory = machine.Rebuild();
  ASSERT_EQ(2u, inventory.Records().size());
  DeviceInventoryRecord record;
  EXPECT_TRUE(inventory.FindRecordByName(W("FABRIKAM"), record, true));
  EXPECT_EQ(WString(W("ONE")), record.instanceId);
  EXPECT_FALSE(inventory.FindRecordByName(W("Wingtip"), record, false));  // two records: no guess

  TestMachine lone;
  lone.Load("machines/mtp_player.reg");
  EXPECT_FALSE(lone.Rebuild().FindRecordByName(W("Wingtip"), record, true));
  EXPECT_TRUE(lone.Inventory().FindRecordByName(W("Wingtip"), record, false));
  EXPECT_EQ(WString(kContoso), record.instanceId);
}

TEST(InventoryLookupsInline, AnEmptyInventoryFindsNothing) {
  kcDeviceInventory inventory;
  DeviceInventoryRecord record;
  WString text;
  EXPECT_FALSE(inventory.FindRecordByDriveLetter(W('F'), record));
  EXPECT_FALSE(inventory.FindRecordByName(W("anything"), record, false));
  EXPECT_EQ(0, inventory.DriveLetterForIdentity(W("a#b#c")));
  EXPECT_FALSE(inventory.ManufacturerForDriveLetter(W('F'), text));
}

}  // namespace
