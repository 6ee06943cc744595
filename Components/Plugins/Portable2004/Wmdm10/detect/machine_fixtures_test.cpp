// Whole machines: the inventory over real exports of public SYSTEM hives and
// over our own fixtures that look like real machines. Each record is summed up
// as "bus|device key|instance id|VID/PID text|drive letter|label|instance count".
#include <gtest/gtest.h>

#include "testing/inventory_test_machine.h"

namespace {

std::string Summary(const DeviceInventoryRecord& record) {
  const std::string letter = record.driveLetter ? std::string(1, static_cast<char>(record.driveLetter)) : "-";
  return wide::ToUtf8(record.bus) + "|" + wide::ToUtf8(record.deviceKey) + "|" + wide::ToUtf8(record.instanceId) +
         "|" + wide::ToUtf8(record.vidPidText) + "|" + letter + "|" + wide::ToUtf8(record.volumeLabel) + "|" +
         std::to_string(record.instanceCount);
}

std::vector<std::string> Summaries(const kcDeviceInventory& inventory) {
  std::vector<std::string> summaries;
  for (const auto& record : inventory.Records()) summaries.push_back(Summary(record));
  return summaries;
}

struct MachineCase {
  std::vector<std::string> files;
  std::vector<std::string> records;
};

void ExpectRecords(const MachineCase& c) {
  SCOPED_TRACE(c.files.front());
  TestMachine machine;
  for (const std::string& file : c.files) machine.Load(file);
  EXPECT_EQ(c.records, Summaries(machine.Rebuild()));
}

TEST(RealMachines, EachExportGivesTheRecordsOfItsStartedDevices) {
  const MachineCase cases[] = {
      // Windows XP: the flash disk is the volume on E: through its storage
      // function's ParentIdPrefix; the mouse and the root hubs give nothing.
      {{"real/bitcurator-bcc-dfa-SYSTEM.reg", "started/bitcurator-flash-disk-attached.reg"},
       {"USBSTOR|Disk&Ven_USB_2.0&Prod_Flash_Disk&Rev_8.00|51491E64&0|Vid_058f&Pid_6387|E|-|1"}},
      // Every device attached: the two LaCie drives are one product, the
      // nameless bridge still links to its USB device by serial number.
      {{"real/bitcurator-bcc-dfa-SYSTEM.reg", "started/bitcurator-all-attached.reg"},
       {"USBSTOR|Disk&Ven_&Prod_&Rev_|152D203380B6&0|Vid_152d&Pid_2338|-||1",
        "USBSTOR|Disk&Ven_LaCie&Prod_Rugged_FW/USB&Rev_|00D04B881007C255&0|Vid_059f&Pid_100c|-||2",
        "USBSTOR|Disk&Ven_SanDisk&Prod_Cruzer&Rev_7.01|43175107A4C24AD4&0|Vid_0781&Pid_5406|-||1",
        "USBSTOR|Disk&Ven_USB_2.0&Prod_Flash_Disk&Rev_8.00|51491E64&0|Vid_058f&Pid_6387|E|-|1"}},
      // Windows 7: the "_??_USBSTOR#..." volume form names no letter; the
      // virtual composite device (usbccgp) passes every candidate test.
      {{"real/regipy-SYSTEM.reg", "started/regipy-SYSTEM-attached.reg"},
       {"USBSTOR|Disk&Ven_HP&Prod_v100w&Rev_1024|AA951D0000007252&0|VID_03F0&PID_3207|-||1",
        "USB|VID_0E0F&PID_0003|6&2ab01149&0&1|VID_0E0F&PID_0003|-||1"}},
      // Windows 8.1: a tablet and hubs, nothing that could be a player.
      {{"real/regipy-SYSTEM_2.reg", "started/regipy-SYSTEM_2-attached.reg"}, {}},
      // Without the services' lists nothing is started, so nothing is listed.
      {{"real/bitcurator-bcc-dfa-SYSTEM.reg"}, {}},
  };
  for (const MachineCase& c : cases) ExpectRecords(c);
}

TEST(OurMachines, EachFixtureGivesTheRecordsItDescribes) {
  const MachineCase cases[] = {
      {{"machines/mass_storage_player.reg"},
       {"USBSTOR|Disk&Ven_ACME&Prod_Pocket&Rev_1.00|A5C0000012345678&0|Vid_a5c0&Pid_0101|F|-|1"}},
      {{"machines/usb_flash_drive.reg"},
       {"USBSTOR|Disk&Ven_FABRIKAM&Prod_USB_FLASH_DRIVE&Rev_PMAP|0704A1B2C3D4E5F6&0|VID_B0B0&PID_F1A5|-||1"}},
      // The second unit shares the first one's instance prefix (the serial).
      {{"machines/card_reader.reg"},
       {"USBSTOR|Disk&Ven_Generic&Prod_CF_Card&Rev_1.01|000000000C07&0|Vid_5e11&Pid_0c07|G|-|1"}},
      {{"machines/mtp_player.reg"}, {"USB|VID_C0A1&PID_0E01|CT0123456789|VID_C0A1&PID_0E01|-||1"}},
      {{"machines/non_player_devices.reg"}, {}},
      {{"machines/firewire_devices.reg"},
       {"SBP2|Apple_Computer__Inc.&Portable_HD&LUN0|000A27000415E2C1|Vid_ffff&Pid_ffff|K|-|1",
        "SBP2|Creative_Labs_Inc&FireWire_Disk&LUN0|0003AB0012345678|Vid_UNK&Pid_UNK_1394|-||1"}},
      {{"machines/unplugged_device.reg"}, {"USB|VID_C0A1&PID_0E01|CT0123456789|VID_C0A1&PID_0E01|-||1"}},
      {{"machines/two_units.reg"},
       {"USBSTOR|Disk&Ven_ACME&Prod_Pocket&Rev_1.00|A5C0000012345678&0|Vid_a5c0&Pid_0101|F|-|2"}},
      {{"machines/fixed_disk.reg"},
       {"USBSTOR|Disk&Ven_Fabrikam&Prod_Desk_Drive&Rev_0001|3F3F00000001&0|Vid_3f3f&Pid_0d15|-||1"}},
  };
  for (const MachineCase& c : cases) ExpectRecords(c);
}

}  // namespace
