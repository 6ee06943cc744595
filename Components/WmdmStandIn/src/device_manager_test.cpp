#include "device_manager.h"

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class DeviceManagerTest : public StandInTest {
 protected:
  std::vector<WString> DeviceNames() {
    std::vector<WString> names;
    ComPtr<IWMDMEnumDevice> devices;
    EXPECT_EQ(manager3_->EnumDevices2(&devices), S_OK);
    ComPtr<IWMDMDevice> device;
    ULONG fetched = 0;
    while (devices->Next(1, &device, &fetched) == S_OK) {
      WCHAR name[64] = {};
      device->GetName(name, 64);
      names.push_back(name);
    }
    return names;
  }
};

// The fixture's leak check relies on every object handed out being counted
// while a client holds it.
TEST_F(DeviceManagerTest, CountsEveryObjectAClientHolds) {
  const long before = LiveComObjects();
  EXPECT_GE(before, 2) << "the manager and its class factory";
  {
    ComPtr<IWMDMEnumDevice> devices;
    ASSERT_EQ(manager3_->EnumDevices2(&devices), S_OK);
    ComPtr<IWMDMDevice> device;
    ULONG fetched = 0;
    ASSERT_EQ(devices->Next(1, &device, &fetched), S_OK);
    EXPECT_EQ(before + 2, LiveComObjects());
  }
  EXPECT_EQ(before, LiveComObjects());
}

TEST_F(DeviceManagerTest, OffersTheManagerInterfacesWithoutAuthentication) {
  ComPtr<IWMDeviceManager2> manager2;
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IComponentAuthenticate> authenticate;
  ComPtr<IWMDMDevice> notADevice;
  EXPECT_EQ(manager_.As(&manager2), S_OK);
  EXPECT_EQ(manager_.As(&container), S_OK);
  EXPECT_EQ(manager_.As(&authenticate), S_OK);
  EXPECT_EQ(manager_.As(&notADevice), E_NOINTERFACE);
  EXPECT_EQ(notADevice.Get(), nullptr);

  DWORD* protocols = nullptr;
  DWORD count = 0;
  ASSERT_EQ(authenticate->SACGetProtocols(&protocols, &count), S_OK);
  EXPECT_EQ(count, 1u);
  CoTaskMemFree(protocols);
  DWORD revision = 0;
  ASSERT_EQ(manager_->GetRevision(&revision), S_OK);
  EXPECT_EQ(revision, 0x00080000u) << "version 10";
}

TEST_F(DeviceManagerTest, ClassObjectRefusesAggregation) {
  ComPtr<IUnknown> object, outer;
  ASSERT_EQ(manager_.As(&outer), S_OK);
  EXPECT_EQ(CoCreateInstance(CLSID_MediaDevMgr, outer.Get(), CLSCTX_INPROC_SERVER, IID_IUnknown, object.AsVoidOut()),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object.Get(), nullptr);
}

TEST_F(DeviceManagerTest, DeviceEnumeratorFollowsTheNextSkipResetCloneRules) {
  DWORD count = 0;
  ASSERT_EQ(manager_->GetDeviceCount(&count), S_OK);
  EXPECT_EQ(count, 2u);

  ComPtr<IWMDMEnumDevice> devices;
  ASSERT_EQ(manager3_->EnumDevices2(&devices), S_OK);
  IWMDMDevice* batch[3] = {};
  ULONG fetched = 99;
  using Answer = std::pair<HRESULT, ULONG>;
  EXPECT_EQ(devices->Next(3, batch, nullptr), E_INVALIDARG) << "several items need a fetched count";
  EXPECT_EQ(Answer(devices->Next(3, batch, &fetched), fetched), Answer(S_FALSE, 2));
  for (ULONG i = 0; i < fetched; ++i) batch[i]->Release();
  EXPECT_EQ(Answer(devices->Next(1, batch, &fetched), fetched), Answer(S_FALSE, 0));

  ASSERT_EQ(devices->Reset(), S_OK);
  EXPECT_EQ(Answer(devices->Skip(1, &fetched), fetched), Answer(S_OK, 1));
  ComPtr<IWMDMEnumDevice> clone;
  ASSERT_EQ(devices->Clone(&clone), S_OK);
  ComPtr<IWMDMDevice> device;
  ASSERT_EQ(Answer(clone->Next(1, &device, &fetched), fetched), Answer(S_OK, 1));
  WCHAR name[64] = {};
  ASSERT_EQ(device->GetName(name, 64), S_OK);
  EXPECT_EQ(WString(name), W("Generic Player")) << "a clone starts where its original stood";
  EXPECT_EQ(Answer(devices->Skip(5, &fetched), fetched), Answer(S_FALSE, 1));
}

TEST_F(DeviceManagerTest, FindsDevicesByCanonicalName) {
  struct Case { const WCHAR* name; HRESULT expected; const WCHAR* device; };
  const Case cases[] = {
      {W("\\\\?\\usb#vid_1e2a&pid_0101#a1b2c3#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0"), S_OK, W("Pocket 20")},
      {W("\\\\?\\USB#VID_1E2A&PID_0101#A1B2C3#{6AC27878-A6FA-4155-BA85-F98F491D4F33}$0"), S_OK, W("Pocket 20")},
      {W("\\\\?\\usb#vid_1e2a&pid_0101#a1b2c3#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$1"), S_FALSE, nullptr},
      {W(""), S_FALSE, nullptr},
      {nullptr, E_INVALIDARG, nullptr},
  };
  ComPtr<IWMDeviceManager2> manager2;
  ASSERT_EQ(manager_.As(&manager2), S_OK);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? wide::ToUtf8(c.name) : "null");
    ComPtr<IWMDMDevice> device;
    EXPECT_EQ(manager2->GetDeviceFromCanonicalName(c.name, &device), c.expected);
    if (!c.device) {
      EXPECT_EQ(device.Get(), nullptr);
      continue;
    }
    ASSERT_NE(device.Get(), nullptr);
    WCHAR name[64] = {};
    device->GetName(name, 64);
    EXPECT_EQ(WString(name), c.device);
  }
}

TEST_F(DeviceManagerTest, EnumerationPreferenceIsFixedOnceDevicesWereEnumerated) {
  EXPECT_EQ(manager3_->SetDeviceEnumPreference(0x4), E_INVALIDARG);
  EXPECT_EQ(manager3_->SetDeviceEnumPreference(DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES), S_OK);
  EXPECT_EQ(DeviceNames().size(), 2u);
  EXPECT_EQ(manager3_->SetDeviceEnumPreference(DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES), S_OK)
      << "repeating the same value is harmless";
  EXPECT_EQ(manager3_->SetDeviceEnumPreference(ALLOW_OUTOFBAND_NOTIFICATION), WMDM_E_CALL_OUT_OF_SEQUENCE);
}

// Enumeration and lookup by canonical name see the devices present only.
TEST_F(DeviceManagerTest, EnumerationAndLookupShowConnectedDevicesOnly) {
  DeviceDescription later;
  later.name = W("Later");
  later.canonicalName = W("later$0");
  const ObjectId id = Model().AddDevice(later, PlayerModel::Presence::Detached);
  EXPECT_EQ(DeviceNames(), (std::vector<WString>{W("Pocket 20"), W("Generic Player")}));
  ComPtr<IWMDMDevice> device;
  EXPECT_EQ(manager3_->GetDeviceFromCanonicalName(W("later$0"), &device), S_FALSE);

  Model().ConnectDevice(id);
  Model().RemoveDevice(players_.pocket);
  EXPECT_EQ(DeviceNames(), (std::vector<WString>{W("Generic Player"), W("Later")}));
  EXPECT_EQ(manager3_->GetDeviceFromCanonicalName(
                W("\\\\?\\usb#vid_1e2a&pid_0101#a1b2c3#{6ac27878-a6fa-4155-ba85-f98f491d4f33}$0"), &device),
            S_FALSE);
  DWORD count = 0;
  ASSERT_EQ(manager_->GetDeviceCount(&count), S_OK);
  EXPECT_EQ(count, 2u);
}

// A medium that arrives without a message stays out of the device's storages
// until the manager is reinitialised; one announced shows at once.
TEST_F(DeviceManagerTest, ReinitializeListsAMediumAddedWithoutAMessage) {
  ComPtr<IWMDMDevice3> pocket = DeviceNamed(W("Pocket 20"));
  auto mediaNames = [&] {
    std::vector<WString> names;
    for (const WCHAR* name : {W("Internal Memory"), W("Storage Card"), W("Slipped Card")})
      if (MediumNamed(pocket.Get(), name)) names.push_back(name);
    return names;
  };
  MediumDescription slipped;
  slipped.name = W("Slipped Card");
  Model().AddMedium(players_.pocket, slipped, PlayerModel::Arrival::Silently);
  EXPECT_EQ(mediaNames(), (std::vector<WString>{W("Internal Memory"), W("Storage Card")}));

  ComPtr<IWMDeviceManager2> manager2;
  ASSERT_EQ(manager_.As(&manager2), S_OK);
  ASSERT_EQ(manager2->Reinitialize(), S_OK);
  EXPECT_EQ(mediaNames(), (std::vector<WString>{W("Internal Memory"), W("Storage Card"), W("Slipped Card")}));

  // A device whose only medium came silently has no root storage to look in.
  DeviceDescription bare;
  bare.name = W("Bare");
  const ObjectId id = Model().AddDevice(bare);
  const ObjectId root = Model().AddMedium(id, slipped, PlayerModel::Arrival::Silently);
  Model().AddFolder(root, W("Music"));
  ComPtr<IWMDMDevice3> device = DeviceNamed(W("Bare"));
  ComPtr<IWMDMStorage> music;
  EXPECT_EQ(device->GetStorage(W("Music"), &music), S_FALSE);
  ASSERT_EQ(manager2->Reinitialize(), S_OK);
  EXPECT_EQ(device->GetStorage(W("Music"), &music), S_OK);
}

}  // namespace
}  // namespace wmdm_standin
