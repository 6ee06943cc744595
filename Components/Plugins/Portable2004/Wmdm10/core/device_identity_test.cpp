#include "core/device_identity.h"

#include "testing/plugin_test_harness.h"
#include "device_manager.h"

namespace {

using wmdm_standin::DeviceDescription;
using wmdm_standin::ObjectKind;

class DeviceIdentityTest : public PluginHarness {
 protected:
  // The stand-in's device for one described player.
  ComPtr<IWMDMDevice> DeviceFor(const DeviceDescription& description) {
    const auto id = model_->AddDevice(description);
    const ComPtr<IWMDeviceManager> manager = wmdm_standin::DeviceManager::Create(model_);
    ComPtr<IWMDeviceManager2> manager2;
    EXPECT_EQ(manager.As(&manager2), S_OK);
    for (const auto& device : model_->PresentDevices()) {
      if (device->id != id) continue;
      ComPtr<IWMDMDevice> found;
      EXPECT_EQ(manager2->GetDeviceFromCanonicalName(device->knownName.c_str(), &found), S_OK);
      return found;
    }
    ADD_FAILURE() << "no such device";
    return nullptr;
  }
};

TEST_F(DeviceIdentityTest, CanonicalNameOrAFallbackFromNameManufacturerAndSerial) {
  struct Row {
    int line;
    std::optional<WString> canonical;
    std::optional<WString> manufacturer;
    std::vector<BYTE> serial;
    WString identity;
  };
  WString longSerial;
  for (int i = 0; i < 128; ++i) longSerial += W("5a");
  const Row rows[] = {
      {__LINE__, WString(W("\\\\?\\usb#vid_c0a1&pid_0e01#1#{x}")), WString(W("ACME")), {1}, W("\\\\?\\usb#vid_c0a1&pid_0e01#1#{x}")},
      {__LINE__, std::nullopt, WString(W("ACME")), {0x01, 0xAB}, W("FakeCanonicalName_MP3_ACME_1ab")},
      {__LINE__, std::nullopt, WString(W("ACME")), {0x0A, 0x00, 0x3F}, W("FakeCanonicalName_MP3_ACME_a03f")},
      {__LINE__, std::nullopt, std::nullopt, {}, W("FakeCanonicalName_MP3_")},
      // A device may report a serial longer than the 128 bytes it can hand over.
      {__LINE__, std::nullopt, std::nullopt, std::vector<BYTE>(130, 0x5A),
       W("FakeCanonicalName_MP3_") + longSerial},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    DeviceDescription description;
    description.name = W("MP3");
    description.manufacturer = row.manufacturer;
    description.canonicalName = row.canonical;
    description.serial = row.serial;
    ComPtr<IWMDMDevice> device = DeviceFor(description);
    ASSERT_TRUE(device);
    WString identity;
    EXPECT_EQ(GetDeviceIdentity(device.Get(), &identity), S_OK);
    EXPECT_EQ(identity, row.identity);
    EXPECT_EQ(IsFallbackIdentity(identity), !row.canonical.has_value());
  }
}

TEST_F(DeviceIdentityTest, NothingReadableIsAFailure) {
  DeviceDescription description;
  description.name = W("MP3");
  ComPtr<IWMDMDevice> device = DeviceFor(description);
  ASSERT_TRUE(device);
  model_->Faults().Inject(ObjectKind::Device, "GetName", E_FAIL);
  WString identity;
  EXPECT_TRUE(FAILED(GetDeviceIdentity(device.Get(), &identity)));
  EXPECT_TRUE(FAILED(GetDeviceIdentity(nullptr, &identity)));
}

TEST(DriveLetterFromNameTest, ReadsALetterInBracketsOrAfterASpace) {
  struct Row {
    const WCHAR* name;
    WCHAR letter;
  };
  const Row rows[] = {
      {W("ACME Pocket (F:)"), W('F')}, {W("Card [E:]"), W('E')}, {W("Disk G:"), W('G')},
      {W("E:"), 0},                    {W("x(E:"), W('E')},     {W("Name:F:"), 0},
      {W(""), 0},                      {W("No letter"), 0},     {W("(A:) then (H:)"), W('H')},
  };
  for (const Row& row : rows) EXPECT_EQ(DriveLetterFromName(row.name), row.letter) << wide::ToUtf8(row.name);
}

}  // namespace
