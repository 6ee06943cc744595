// How mass-storage functions are tied to their USB devices.
#include <gtest/gtest.h>

#include "testing/inventory_test_machine.h"

namespace {

const char kUsb[] = "[~\\CurrentControlSet\\Enum\\USB\\";
const char kStor[] = "[~\\CurrentControlSet\\Enum\\USBSTOR\\";

TEST(StorageLinks, AFunctionLinksByItsSerialNumberOrByTheParentIdPrefixItIsNamedAfter) {
  const struct {
    const char* what;
    std::string registry;
  } cases[] = {
      {"serial number", std::string(kUsb) + "Vid_a5c0&Pid_0101\\A5C0000012345678]\n" + kStor +
                            "Disk&Ven_ACME&Prod_Pocket&Rev_1.00\\A5C0000012345678&0]\n"},
      {"parent id prefix", std::string(kUsb) + "Vid_0e0f&Pid_0003\\6&2ab01149&0&1]\n" +
                               "\"ParentIdPrefix\"=\"7&38bade0a&0\"\n" + kStor +
                               "Disk&Ven_X&Prod_Y&Rev_1\\7&38bade0a&0&0]\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestMachine machine;
    machine.Add(c.registry);
    const auto& inventory = machine.Rebuild();
    EXPECT_EQ(0, inventory.UsbDevices()[0].storageLink);
    EXPECT_EQ(0, inventory.StorageDevices()[0].usbLink);
    EXPECT_EQ(1, inventory.StorageDevices()[0].sharedInstanceCount);
  }
}

TEST(StorageLinks, ASharedSerialNumberLinksOnlyThroughWordsOrNames) {
  // Two functions report the same serial: each USB device needs its location
  // in the function's product or friendly name. The parent id prefix does not
  // rescue a pair whose prefixes already matched.
  TestMachine machine;
  machine.Add(std::string(kUsb) + R"(Vid_0001&Pid_0001\0000001]
    "LocationInformation"="Other Thing"
    "ParentIdPrefix"="0000001"
  )" + kUsb + R"(Vid_0002&Pid_0002\0000001]
    "LocationInformation"="Pocket Drive"
  )" + kUsb + R"(Vid_0003&Pid_0003\0000001]
    "LocationInformation"="Blue Box"
  )" + kStor + R"(Disk&Ven_ACME&Prod_Pocket&Rev_1.00\0000001&0]
    "FriendlyName"="ACME Pocket USB Device"
  )" + kStor + R"(Disk&Ven_Fabrikam&Prod_Store&Rev_1.00\0000001&0]
    "FriendlyName"="Fabrikam BlueBox USB Device"
  )");
  const auto& inventory = machine.Rebuild();
  ASSERT_EQ(3u, inventory.UsbDevices().size());
  ASSERT_EQ(2u, inventory.StorageDevices().size());
  EXPECT_EQ(2, inventory.StorageDevices()[0].sharedInstanceCount);
  EXPECT_EQ(3, inventory.UsbDevices()[0].sharedInstanceCount);
  EXPECT_EQ(-1, inventory.UsbDevices()[0].storageLink);
  EXPECT_EQ(0, inventory.UsbDevices()[1].storageLink);  // "Pocket" is the product
  EXPECT_EQ(1, inventory.UsbDevices()[2].storageLink);  // "bluebox" is in the name without spaces
  EXPECT_EQ(1, inventory.StorageDevices()[0].usbLink);
  EXPECT_EQ(2, inventory.StorageDevices()[1].usbLink);
}

TEST(StorageLinks, TheFirstPairFoundWinsOnEachSide) {
  TestMachine machine;
  machine.Add(std::string(kUsb) + "Vid_0001&Pid_0001\\SER1]\n\"ParentIdPrefix\"=\"7&aa&0\"\n" + kUsb +
              "Vid_0002&Pid_0002\\SER1B]\n\"ParentIdPrefix\"=\"7&aa&0\"\n" + kStor + "Disk&Ven_A&Prod_B&Rev_1\\7&aa&0&0]\n" +
              kStor + "Disk&Ven_C&Prod_D&Rev_1\\7&aa&0&1]\n");
  const auto& inventory = machine.Rebuild();
  EXPECT_EQ(0, inventory.UsbDevices()[0].storageLink);
  EXPECT_EQ(0, inventory.UsbDevices()[1].storageLink);
  EXPECT_EQ(0, inventory.StorageDevices()[0].usbLink);
  EXPECT_EQ(0, inventory.StorageDevices()[1].usbLink);
}

TEST(StorageLinks, FlashIsAnUpperCaseWordOfTheFriendlyName) {
  TestMachine machine;
  machine.Add(std::string(kStor) + "Disk&Ven_A&Prod_B&Rev_1\\1&0]\n\"FriendlyName\"=\"USB FLASH DRIVE USB Device\"\n" +
              kStor + "Disk&Ven_A&Prod_B&Rev_1\\2&0]\n\"FriendlyName\"=\"USB 2.0 Flash Disk USB Device\"\n" + kStor +
              "Disk&Ven_A&Prod_B&Rev_1\\3&0]\n");
  const auto& storage = machine.Rebuild().StorageDevices();
  ASSERT_EQ(3u, storage.size());
  EXPECT_TRUE(storage[0].flash);
  EXPECT_FALSE(storage[1].flash);
  EXPECT_FALSE(storage[2].flash);
}

}  // namespace
