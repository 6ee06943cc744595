// What each scan takes from the registry and how it reads values.
#include <gtest/gtest.h>

#include "testing/inventory_test_machine.h"

namespace {

const WString kHardwareIds(W("USB\\Vid_a5c0&Pid_0101&Rev_0100\0USB\\Vid_a5c0&Pid_0101\0\0"), 54);

TEST(InventoryScans, UsbTakesVendorDeviceKeysAndReadsEachValue) {
  TestMachine machine;
  machine.Add(R"(
    [~\CurrentControlSet\Enum\USB\ROOT_HUB20\4&36326108&0]
    "Service"="usbhub"
    [~\CurrentControlSet\Enum\USB\vid_a5c0&pid_0101\A5C0000012345678]
    "Capabilities"=dword:00000014
    "DeviceDesc"="USB Mass Storage Device"
    "Driver"="{36FC9E60-C465-11CF-8056-444553540000}\\0007"
    "LocationInformation"="ACME Pocket"
    "ParentIdPrefix"="6&1234&0"
    "Mfg"="Compatible USB storage device"
    "Service"="USBSTOR"
  )" + MultiTextLine("HardwareID", {"USB\\Vid_a5c0&Pid_0101&Rev_0100", "USB\\Vid_a5c0&Pid_0101"}) + R"(
    [~\CurrentControlSet\Enum\USB\Vid_c0a1&Pid_0e01\Bare]
    [~\CurrentControlSet\Control\Class\{36FC9E60-C465-11CF-8056-444553540000}\0007]
    "DriverDesc"="USB Mass Storage Device"
    "NTMPDriver"="AcmeSP.dll"
    "ProviderName"="Microsoft"
    "DriverDate"="7-1-2001"
    "DriverVersion"="5.1.2600.5512"
  )");
  const auto& usb = machine.Rebuild().UsbDevices();
  ASSERT_EQ(2u, usb.size());
  const UsbDeviceEntry& player = usb[0];
  EXPECT_EQ(WString(W("vid_a5c0&pid_0101")), player.deviceKey);
  EXPECT_EQ(WString(W("A5C0000012345678")), player.instanceId);
  EXPECT_EQ(0x14u, player.capabilities);
  EXPECT_EQ(WString(W("USB Mass Storage Device")), player.description);
  EXPECT_EQ(kHardwareIds, player.hardwareIds);  // both ids and every zero
  EXPECT_EQ(WString(W("ACME Pocket")), player.location);
  EXPECT_EQ(WString(W("6&1234&0")), player.parentIdPrefix);
  EXPECT_EQ(WString(W("Compatible USB storage device")), player.manufacturer);
  EXPECT_EQ(WString(W("USBSTOR")), player.service);
  EXPECT_EQ(WString(W("AcmeSP.dll")), player.driver.portablePlayerDriver);
  EXPECT_EQ(WString(W("5.1.2600.5512")), player.driver.version);
  EXPECT_EQ(-1, player.storageLink);

  const UsbDeviceEntry& bare = usb[1];
  EXPECT_EQ(WString(W("Bare")), bare.instanceId);
  EXPECT_EQ(0u, bare.capabilities);
  EXPECT_TRUE(bare.description.empty() && bare.service.empty() && bare.hardwareIds.empty());
  EXPECT_TRUE(bare.driver.description.empty());
}

TEST(InventoryScans, AValueLongerThanTheBufferLeavesItsFieldEmpty) {
  TestMachine machine;
  const std::string longText(2048, 'x');  // 4098 bytes with its terminator
  machine.Add("[~\\CurrentControlSet\\Enum\\USB\\Vid_a5c0&Pid_0101\\Long]\n\"DeviceDesc\"=\"" + longText +
              "\"\n\"LocationInformation\"=\"" + longText.substr(1) + "\"\n");
  const auto& usb = machine.Rebuild().UsbDevices();
  ASSERT_EQ(1u, usb.size());
  EXPECT_TRUE(usb[0].description.empty());
  EXPECT_EQ(2047u, usb[0].location.size());
}

TEST(InventoryScans, DriverFactsComeFromTheClassKeyWhateverTheCaseOfItsId) {
  TestMachine machine;
  machine.Add(R"(
    [~\CurrentControlSet\Enum\USB\VID_03F0&PID_3207\AA951D0000007252]
    "Driver"="{36fc9e60-c465-11cf-8056-444553540000}\\0006"
    [~\CurrentControlSet\Enum\USB\VID_03F0&PID_3208\NoIndex]
    "Driver"="{36fc9e60-c465-11cf-8056-444553540000}"
    [~\CurrentControlSet\Control\Class\{36FC9E60-C465-11CF-8056-444553540000}\0006]
    "DriverDesc"="USB Mass Storage Device"
    "ProviderName"="Microsoft"
  )");
  const auto& usb = machine.Rebuild().UsbDevices();
  ASSERT_EQ(2u, usb.size());
  EXPECT_EQ(WString(W("USB Mass Storage Device")), usb[0].driver.description);
  EXPECT_EQ(WString(W("Microsoft")), usb[0].driver.provider);
  EXPECT_TRUE(usb[0].driver.date.empty());
  EXPECT_TRUE(usb[1].driver.description.empty());
}

TEST(InventoryScans, MountedVolumesNeedALetterOtherThanAOrCAndADevicePath) {
  const char* removable = "\\??\\STORAGE#RemovableMedia#7&1a2b3c4d&0&RM#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
  const struct {
    const char* name;  // of the value in [MountedDevices]
    const char* text;  // its data as UTF-16 text; null: an MBR disk's binary signature
    const char* parts;  // of the entry it gives, "bus|class|instance|removable"; null for none
  } cases[] = {
      {"\\DosDevices\\A:", removable, nullptr},
      {"\\DosDevices\\B:", removable, "STORAGE|RemovableMedia|7&1a2b3c4d&0&RM|1"},
      {"\\DosDevices\\C:", removable, nullptr},
      {"\\DosDevices\\c:", removable, "STORAGE|RemovableMedia|7&1a2b3c4d&0&RM|1"},  // the letter test is exact
      {"\\DosDevices\\E:", nullptr, nullptr},
      {"\\DosDevices\\G:", "_??_USBSTOR#Disk&Ven_X&Prod_Y&Rev_1#0704&0#{53f56307}", nullptr},
      {"\\DosDevices\\H:", "\\??\\IDE#CdRomX", nullptr},
      {"\\??\\Volume{0d5c0e4e-0000-0000-0000-100000000000}", removable, nullptr},
      {"\\DosDevices\\K:", "\\??\\SCSI#CdRom&Ven_VBOX&Prod_CD-ROM#4&2617aeae&0&010000#{53f5630d}",
       "SCSI|CdRom&Ven_VBOX&Prod_CD-ROM|4&2617aeae&0&010000|0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine machine;
    machine.Add("[~\\MountedDevices]\n" + (c.text ? Utf16BinaryLine(c.name, c.text)
                                                  : QuotedName(c.name) + "=hex:8e,51,2c,9a,00,7e,00,00,00,00,00,00\n"));
    const auto& volumes = machine.Rebuild().MountedVolumes();
    ASSERT_EQ(c.parts ? 1u : 0u, volumes.size());
    if (!c.parts) continue;
    const MountedDeviceEntry& volume = volumes[0];
    EXPECT_EQ(WCHAR(c.name[12]), volume.driveLetter);
    EXPECT_EQ(wide::FromUtf8(c.text), volume.valueText);
    EXPECT_EQ(c.parts, wide::ToUtf8(volume.busPart + W("|") + volume.classPart + W("|") + volume.instancePart +
                                    (volume.removable ? W("|1") : W("|0"))));
  }
}

TEST(InventoryScans, StorageTakesEveryDeviceKeyAndParsesIt) {
  TestMachine machine;
  machine.Add(R"(
    [~\CurrentControlSet\Enum\USBSTOR\CdRom&Ven_Fabrikam&Prod_DVD_Writer&Rev_1.00\CD01&0]
    "Service"="cdrom"
    [~\CurrentControlSet\Enum\USBSTOR\Disk&Ven_LaCie&Prod_Rugged_FW/USB&Rev_\00D04B881007C255&0]
    "FriendlyName"="LaCie Rugged FW/USB USB Device"
    "Class"="DiskDrive"
    "ParentIdPrefix"="7&18ec28b&0"
    [~\CurrentControlSet\Enum\USBSTOR\Other\1]
  )");
  const auto& storage = machine.Rebuild().StorageDevices();
  ASSERT_EQ(3u, storage.size());
  EXPECT_EQ(WString(W("Fabrikam")), storage[0].vendor);
  EXPECT_EQ(WString(W("DVD Writer")), storage[0].product);
  EXPECT_EQ(WString(W("Rugged FW/USB")), storage[1].product);
  EXPECT_EQ(WString(W("DiskDrive")), storage[1].deviceClass);
  EXPECT_EQ(WString(W("7&18ec28b&0")), storage[1].parentIdPrefix);
  EXPECT_EQ(WString(W("Other")), storage[2].deviceKey);
  EXPECT_TRUE(storage[2].vendor.empty());
}

// Each service as "name: enumerator|device|instance, ...".
std::vector<std::string> Described(const std::vector<ServiceEnumEntry>& services) {
  std::vector<std::string> lines;
  for (const ServiceEnumEntry& service : services) {
    std::string line = wide::ToUtf8(service.serviceName) + ":";
    for (const ServiceInstance& instance : service.instances)
      line += " " + wide::ToUtf8(instance.enumerator + W("|") + instance.deviceId + W("|") + instance.instanceId);
    lines.push_back(line);
  }
  return lines;
}

TEST(InventoryScans, ServicesListTheStartedInstancesOfTheirEnumKey) {
  const struct {
    const char* what;
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {"instances up to the count, of services with an Enum key that holds some", R"(
        [~\CurrentControlSet\Services\disk\Enum]
        "0"="USBSTOR\\Disk&Ven_ACME&Prod_Pocket&Rev_1.00\\A5C0000012345678&0"
        "1"="IDE\\DiskX\\5&1b3c2d4&0&0.0.0\\extra"
        "2"="ROOT\\LEGACY_ONLY"
        "Count"=dword:00000004
        [~\CurrentControlSet\Services\Idle\Enum]
        "Count"=dword:00000000
        [~\CurrentControlSet\Services\NoEnum]
        "Start"=dword:00000003
        [~\CurrentControlSet\Services\lowercase\enum]
        "0"="USB\\Vid_1\\2"
        "Count"=dword:00000001
        [~\CurrentControlSet\Services\Unreadable\Enum]
        "0"=dword:00000001
        "Count"=dword:00000001
      )",
       // Unreadable is kept, though none of its values could be read as text.
       {"disk: USBSTOR|Disk&Ven_ACME&Prod_Pocket&Rev_1.00|A5C0000012345678&0 IDE|DiskX|5&1b3c2d4&0&0.0.0",
        "Unreadable:"}},
      // A count of four billion lists the same records as reading every index,
      // and takes no longer than the values the key holds.
      {"a huge count reads only the indexes the key holds", R"(
        [~\CurrentControlSet\Services\USBSTOR\Enum]
        "Count"=dword:ffffffff
        "NextInstance"=dword:00000006
        "5"="USB\\Vid_5\\five"
        "0"="USB\\Vid_0\\zero"
        "-2"="USB\\Vid_E\\index 4294967294, as %d writes it"
        "007"="USB\\Vid_7\\not an index"
        "2"="USB\\Vid_2\\two"
        "3"=dword:00000003
      )",
       {"USBSTOR: USB|Vid_0|zero USB|Vid_2|two USB|Vid_5|five USB|Vid_E|index 4294967294, as %d writes it"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestMachine machine;
    machine.Add(c.text);
    EXPECT_EQ(c.expected, Described(machine.Rebuild().Services()));
  }
}

}  // namespace
