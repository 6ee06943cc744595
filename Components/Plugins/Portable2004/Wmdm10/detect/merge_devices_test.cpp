// Which started devices become records, in which order, and how further units
// of one product are counted.
#include <gtest/gtest.h>

#include "testing/inventory_test_machine.h"

namespace {

std::vector<WString> InstanceIds(const kcDeviceInventory& inventory) {
  std::vector<WString> ids;
  for (const auto& record : inventory.Records()) ids.push_back(record.instanceId);
  return ids;
}

// A USB device started by `service`, with the given extra value lines.
std::string StartedUsb(const std::string& deviceKey, const std::string& instance, const std::string& service,
                       const std::string& values = std::string()) {
  return "[~\\CurrentControlSet\\Enum\\USB\\" + deviceKey + "\\" + instance + "]\n\"Service\"=\"" + service + "\"\n" +
         values + "[~\\CurrentControlSet\\Services\\" + service + "\\Enum]\n\"0\"=\"USB\\\\" + deviceKey + "\\\\" +
         instance + "\"\n\"Count\"=dword:00000001\n";
}

TEST(CandidateDevices, UsbDevicesThatAreNeverPlayersGetNoRecord) {
  const struct {
    const char* why;
    std::string registry;
  } cases[] = {
      {"mouse", StartedUsb("Vid_4a17&Pid_3001", "5&3a1b2c3d&0&3", "HidUsb")},
      {"hub", StartedUsb("Vid_4a17&Pid_0608", "5&3a1b2c3d&0&2", "usbhub")},
      {"printer", StartedUsb("Vid_4a17&Pid_4001", "PRN1", "UsbPrint")},
      {"floppy by its description", StartedUsb("Vid_4a17&Pid_6001", "FD1", "AcmeDriver",
                                                "\"DeviceDesc\"=\"USB Floppy Drive\"\n")},
      {"no service", "[~\\CurrentControlSet\\Enum\\USB\\Vid_1&Pid_1\\1]\n"
                     "[~\\CurrentControlSet\\Services\\x\\Enum]\n\"0\"=\"USB\\\\Vid_1&Pid_1\\\\1\"\n"
                     "\"Count\"=dword:00000001\n"},
      {"CD drive", StartedUsb("Vid_4a17&Pid_5001", "CD1", "USBSTOR") +
                       "[~\\CurrentControlSet\\Enum\\USBSTOR\\CdRom&Ven_F&Prod_DVD&Rev_1\\CD1&0]\n\"Service\"=\"CdRom\"\n"},
      {"storage function without a service",
       StartedUsb("Vid_4a17&Pid_7001", "ST1", "USBSTOR") +
           "[~\\CurrentControlSet\\Enum\\USBSTOR\\Disk&Ven_F&Prod_D&Rev_1\\ST1&0]\n\"FriendlyName\"=\"F D\"\n"},
      {"not started", "[~\\CurrentControlSet\\Enum\\USB\\Vid_c0a1&Pid_0e02\\CT2]\n\"Service\"=\"WUDFRd\"\n"
                          "[~\\CurrentControlSet\\Services\\WUDFRd\\Enum]\n\"0\"=\"USB\\\\Vid_c0a1&Pid_0e01\\\\CT1\"\n"
                          "\"Count\"=dword:00000001\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    TestMachine machine;
    machine.Add(c.registry);
    EXPECT_TRUE(machine.Rebuild().Records().empty());
  }
}

TEST(CandidateDevices, AStartedPlayerWithoutStorageGetsARecordNamedByItsLocation) {
  TestMachine machine;
  machine.Add(StartedUsb("VID_C0A1&PID_0E01", "CT0123456789", "WUDFRd",
                         "\"LocationInformation\"=\"Port_#0001.Hub_#0004\"\n\"Mfg\"=\"Contoso\"\n"
                         "\"DeviceDesc\"=\"Contoso Player\"\n\"Capabilities\"=dword:00000094\n"));
  const auto& records = machine.Rebuild().Records();
  ASSERT_EQ(1u, records.size());
  const DeviceInventoryRecord& record = records[0];
  EXPECT_EQ(WString(W("USB&VID_C0A1&PID_0E01&CT0123456789")), record.canonicalName);
  EXPECT_EQ(WString(W("Port_#0001.Hub_#0004")), record.friendlyName);
  EXPECT_EQ(WString(W("Port_#0001.Hub_#0004")), record.product);
  EXPECT_EQ(WString(W("Contoso")), record.vendor);
  EXPECT_EQ(WString(W("0000")), record.revision);
  EXPECT_EQ(WString(W("Contoso Player")), record.description);
  EXPECT_EQ(0x94u, record.capabilities);
  EXPECT_TRUE(record.present);
  EXPECT_FALSE(record.massStorage);
  EXPECT_EQ(1, record.instanceCount);
}

TEST(MergeDevices, RecordsFollowTheServicesOrderAndTheirValuesOrder) {
  TestMachine machine;
  machine.Add(R"([~\CurrentControlSet\Enum\USB\Vid_0001&Pid_0001\B]
                 "Service"="Zeta"
              )" + MultiTextLine("HardwareID", {"USB\\Vid_0001&Pid_0001"}) +
              R"([~\CurrentControlSet\Enum\USB\Vid_0002&Pid_0002\A]
                 "Service"="Zeta"
              )" + MultiTextLine("HardwareID", {"USB\\Vid_0002&Pid_0002"}) +
              R"([~\CurrentControlSet\Enum\USB\Vid_0003&Pid_0003\C]
                 "Service"="alpha"
              )" + MultiTextLine("HardwareID", {"USB\\Vid_0003&Pid_0003"}) +
              R"([~\CurrentControlSet\Services\Zeta\Enum]
                 "0"="USB\\Vid_0001&Pid_0001\\B"
                 "1"="USB\\Vid_0002&Pid_0002\\A"
                 "Count"=dword:00000002
                 [~\CurrentControlSet\Services\alpha\Enum]
                 "0"="USB\\Vid_0003&Pid_0003\\C"
                 "Count"=dword:00000001
              )");
  EXPECT_EQ((std::vector<WString>{W("C"), W("B"), W("A")}), InstanceIds(machine.Rebuild()));
}

// Two started units of a USB product: ONE under VID_C0A1&PID_0E01, TWO under
// `secondKey`, both reporting the same hardware ids.
std::string TwoUsbUnits(const std::string& secondKey) {
  const std::string ids = MultiTextLine("HardwareID", {"USB\\VID_C0A1&PID_0E01&REV_0100", "USB\\VID_C0A1&PID_0E01"});
  return "[~\\CurrentControlSet\\Enum\\USB\\VID_C0A1&PID_0E01\\ONE]\n\"Service\"=\"WUDFRd\"\n" + ids +
         "[~\\CurrentControlSet\\Enum\\USB\\" + secondKey + "\\TWO]\n\"Service\"=\"WUDFRd\"\n" + ids +
         "[~\\CurrentControlSet\\Services\\WUDFRd\\Enum]\n\"0\"=\"USB\\\\VID_C0A1&PID_0E01\\\\ONE\"\n"
         "\"1\"=\"USB\\\\" + secondKey + "\\\\TWO\"\n\"Count\"=dword:00000002\n";
}

TEST(MergeDevices, FurtherUnitsOfOneProductOnlyCount) {
  const struct {
    const char* what;
    std::string registry;  // empty: the two_units fixture
    LONG count;
  } cases[] = {
      {"two storage units of one product", "", 2},
      // The second unit's device id is already the first record's VID/PID
      // text, so it never reaches the count.
      {"two USB units under one device key", TwoUsbUnits("VID_C0A1&PID_0E01"), 1},
      // Counting goes by the whole list of hardware ids, whatever the key.
      {"a second device key reporting the same hardware ids", TwoUsbUnits("VID_C0A1&PID_0E02"), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestMachine machine;
    if (c.registry.empty())
      machine.Load("machines/two_units.reg");
    else
      machine.Add(c.registry);
    const auto& records = machine.Rebuild().Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(c.count, records[0].instanceCount);
  }
}

TEST(MergeDevices, AUsbDeviceAndItsStorageFunctionMakeOneRecord) {
  // "disk" sorts before "USBSTOR": the storage function comes first and the
  // USB device is already listed by its VID/PID text.
  TestMachine machine;
  machine.Load("machines/mass_storage_player.reg");
  const auto& records = machine.Rebuild().Records();
  ASSERT_EQ(1u, records.size());
  const DeviceInventoryRecord& record = records[0];
  EXPECT_EQ(WString(W("USBSTOR&Disk&Ven_ACME&Prod_Pocket&Rev_1.00&A5C0000012345678&0")), record.canonicalName);
  EXPECT_TRUE(record.massStorage);
  EXPECT_EQ(WString(W("ACME Pocket")), record.location);
  EXPECT_EQ(WString(W("ACME Pocket USB Device")), record.friendlyName);
  EXPECT_EQ(WString(W("(Standard disk drives)")), record.manufacturer);
  // The driver is the USB device's, not the disk's.
  EXPECT_EQ(WString(W("{36FC9E60-C465-11CF-8056-444553540000}\\0007")), record.driverKey);
  EXPECT_EQ(WString(W("USB Mass Storage Device")), record.driver.description);
}

TEST(FireWireDevices, OnlyTheListedVendorsGetRecordsWithTheirVidPidTexts) {
  TestMachine machine;
  machine.Load("machines/firewire_devices.reg");
  const auto& records = machine.Rebuild().Records();
  ASSERT_EQ(2u, records.size());
  EXPECT_EQ(WString(W("Apple Computer  Inc.")), records[0].vendor);
  EXPECT_EQ(WString(W("Vid_ffff&Pid_ffff")), records[0].vidPidText);
  EXPECT_EQ(WString(W("Portable HD")), records[0].product);
  EXPECT_EQ(WString(W("LUN0")), records[0].revision);
  EXPECT_EQ(WString(W("Creative Labs Inc")), records[1].vendor);
  EXPECT_EQ(WString(W("Vid_UNK&Pid_UNK_1394")), records[1].vidPidText);
  for (const auto& record : records) {
    EXPECT_EQ(WString(W("Disk drive")), record.driver.description);
    EXPECT_TRUE(record.driver.portablePlayerDriver.empty());  // though the class entry names one
    EXPECT_FALSE(record.massStorage);
  }
}

TEST(FireWireDevices, EachStartedUnitGetsItsOwnRecord) {
  TestMachine machine;
  const std::string ids = MultiTextLine("HardwareID", {"SBP2\\Apple_Computer__Inc.&Portable_HD&LUN0"});
  machine.Add("[~\\CurrentControlSet\\Enum\\SBP2\\Apple_Computer__Inc.&Portable_HD&LUN0\\ONE]\n" + ids +
              "[~\\CurrentControlSet\\Enum\\SBP2\\Apple_Computer__Inc.&Portable_HD&LUN0\\TWO]\n" + ids +
              R"([~\CurrentControlSet\Services\disk\Enum]
                 "0"="SBP2\\Apple_Computer__Inc.&Portable_HD&LUN0\\ONE"
                 "1"="SBP2\\Apple_Computer__Inc.&Portable_HD&LUN0\\TWO"
                 "Count"=dword:00000002
              )");
  EXPECT_EQ((std::vector<WString>{W("ONE"), W("TWO")}), InstanceIds(machine.Rebuild()));
}

}  // namespace
