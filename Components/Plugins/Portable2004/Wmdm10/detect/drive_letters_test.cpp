// Which volume, and so which drive letter and label, a record gets.
#include <gtest/gtest.h>

#include <test_drive.h>

#include "testing/inventory_test_machine.h"

namespace {

std::string Removable(const std::string& letter, const std::string& parentIdPrefix) {
  return Utf16BinaryLine("\\DosDevices\\" + letter + ":", "\\??\\STORAGE#RemovableMedia#" + parentIdPrefix +
                                                             "&RM#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}");
}

const DeviceInventoryRecord& OnlyRecord(const kcDeviceInventory& inventory) {
  EXPECT_EQ(1u, inventory.Records().size());
  static const DeviceInventoryRecord none;
  return inventory.Records().empty() ? none : inventory.Records().front();
}

// A player's storage function, started by the disk service.
const std::string kPocketStorage = R"(
    [~\CurrentControlSet\Enum\USBSTOR\Disk&Ven_ACME&Prod_Pocket&Rev_1.00\A5C0000012345678&0]
    "Service"="disk"
    "ParentIdPrefix"="7&2b8e5c1&0"
    [~\CurrentControlSet\Services\disk\Enum]
    "0"="USBSTOR\\Disk&Ven_ACME&Prod_Pocket&Rev_1.00\\A5C0000012345678&0"
    "Count"=dword:00000001
)";

TEST(DriveLetters, AStorageRecordFindsTheVolumeNamedAfterItsParentIdPrefix) {
  // The system drive is never a record's letter.
  const struct {
    const char* mounted;
    WCHAR letter;
  } cases[] = {{"P", W('P')}, {"C", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mounted);
    TestDrive drive(W('P'), W("ACME"));
    TestMachine machine;
    machine.Add(kPocketStorage + "[~\\MountedDevices]\n" + Removable(c.mounted, "7&2b8e5c1&0"));
    const DeviceInventoryRecord& record = OnlyRecord(machine.Rebuild());
    EXPECT_EQ(c.letter, record.driveLetter);
    if (c.letter && drive.Mapped()) {
      EXPECT_EQ(WString(W("ACME")), record.volumeLabel);
    }
    // Without a link to its USB device the record says so.
    EXPECT_EQ(WString(W("Vid_UNK&Pid_UNK")), record.vidPidText);
    EXPECT_EQ(WString(W("LocationInfo UNKNOWN")), record.location);
  }
}

TEST(DriveLetters, AUsbRecordFindsItThroughItsStorageFunction) {
  // The player's own service sorts before "disk", so the merge meets the USB
  // device first; its storage function then shares its instance prefix.
  TestMachine machine;
  machine.Add(kPocketStorage + R"(
    [~\CurrentControlSet\Enum\USB\Vid_a5c0&Pid_0101\A5C0000012345678]
    "Service"="AcmePlayer"
    "LocationInformation"="ACME Pocket"
    [~\CurrentControlSet\Enum\USBSTOR\Disk&Ven_ACME&Prod_Pocket&Rev_1.00\A5C0000012345678&0]
    "FriendlyName"="ACME Pocket USB Device"
    [~\CurrentControlSet\Services\AcmePlayer\Enum]
    "0"="USB\\Vid_a5c0&Pid_0101\\A5C0000012345678"
    "Count"=dword:00000001
    [~\MountedDevices]
  )" + Removable("Q", "7&2b8e5c1&0"));
  const DeviceInventoryRecord& record = OnlyRecord(machine.Rebuild());
  EXPECT_EQ(WString(W("USB")), record.bus);
  EXPECT_EQ(W('Q'), record.driveLetter);
  EXPECT_EQ(WString(W("-")), record.volumeLabel);  // nothing is mounted there
  EXPECT_EQ(WString(W("ACME Pocket USB Device")), record.friendlyName);
  EXPECT_EQ(WString(W("ACME")), record.vendor);
  EXPECT_EQ(WString(W("1.00")), record.revision);
}

TEST(DriveLetters, AUsbRecordFindsARemovableVolumeThroughItsOwnParentIdPrefix) {
  const struct {
    const char* classPart;
    WCHAR letter;
  } cases[] = {{"RemovableMedia", W('R')}, {"Volume", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.classPart);
    TestMachine machine;
    machine.Add(R"(
      [~\CurrentControlSet\Enum\USB\VID_C0A1&PID_0E01\CT0123456789]
      "Service"="WUDFRd"
      "ParentIdPrefix"="6&1f2e3d4c&0"
      [~\CurrentControlSet\Services\WUDFRd\Enum]
      "0"="USB\\VID_C0A1&PID_0E01\\CT0123456789"
      "Count"=dword:00000001
      [~\MountedDevices]
    )" + Utf16BinaryLine("\\DosDevices\\R:", std::string("\\??\\STORAGE#") + c.classPart + "#6&1f2e3d4c&0&RM#{x}"));
    const DeviceInventoryRecord& record = OnlyRecord(machine.Rebuild());
    EXPECT_EQ(c.letter, record.driveLetter);
    EXPECT_EQ(c.letter ? WString(W("-")) : WString(), record.volumeLabel);
  }
}

TEST(DriveLetters, AFireWireDeviceTakesItsLastMatchingVolume) {
  TestMachine machine;
  machine.Add(R"(
    [~\CurrentControlSet\Enum\SBP2\Apple_Computer__Inc.&Portable_HD&LUN0\000A27000415E2C1]
    "ParentIdPrefix"="8&1f3c5a7&0"
    [~\CurrentControlSet\Enum\SBP2\Fabrikam&FW_Drive&LUN0\0030E001ABCDEF01]
    [~\MountedDevices]
  )" + Removable("K", "8&1f3c5a7&0") + Removable("L", "8&1f3c5a7&1"));
  const auto& fireWire = machine.Rebuild().FireWireDevices();
  ASSERT_EQ(2u, fireWire.size());
  EXPECT_EQ(W('L'), fireWire[0].driveLetter);  // both share the prefix 8&1f3c5a7
  EXPECT_EQ(0, fireWire[1].driveLetter);
}

}  // namespace
