// Interfaces on objects that went away answer WMDM_E_INTERFACEDEAD to every
// call but IUnknown's, which is what the plug-in's retry rules rely on.
#include <functional>

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class StaleInterfaceTest : public StandInTest {
 protected:
  // Every method of a dead storage answers dead; IUnknown's still work.
  void ExpectDead(IWMDMStorage4* storage) {
    DWORD number = 0, high = 0;
    UINT count = 0;
    WCHAR name[64];
    WMDMDATETIME date;
    _WAVEFORMATEX format = {};
    ComPtr<IWMDMEnumStorage> children;
    ComPtr<IWMDMStorage> child;
    ComPtr<IWMDMStorageGlobals> globals;
    ComPtr<IWMDMMetaData> metadata;
    IWMDMStorage** entries = nullptr;
    PWMDMRIGHTS rights = nullptr;
    WMDM_STORAGE_ENUM_MODE mode = ENUM_MODE_RAW;
    LPCWSTR tags[] = {g_wszWMDMTitle};
    const HRESULT dead = WMDM_E_INTERFACEDEAD;
    EXPECT_EQ(storage->SetAttributes(WMDM_FILE_ATTR_FILE, nullptr), dead);
    EXPECT_EQ(storage->GetStorageGlobals(&globals), dead);
    EXPECT_EQ(storage->GetAttributes(&number, nullptr), dead);
    EXPECT_EQ(storage->GetName(name, 64), dead);
    EXPECT_EQ(storage->GetDate(&date), dead);
    EXPECT_EQ(storage->GetSize(&number, &high), dead);
    EXPECT_EQ(storage->GetRights(&rights, &count, nullptr), dead);
    EXPECT_EQ(storage->EnumStorage(&children), dead);
    EXPECT_EQ(storage->SendOpaqueCommand(nullptr), dead);
    EXPECT_EQ(storage->GetStorage(W("x"), &child), dead);
    EXPECT_EQ(storage->SetAttributes2(WMDM_FILE_ATTR_FILE, 0, nullptr, nullptr), dead);
    EXPECT_EQ(storage->GetAttributes2(&number, &high, &format, nullptr), dead);
    EXPECT_EQ(storage->GetMetadata(&metadata), dead);
    EXPECT_EQ(storage->SetMetadata(nullptr), dead);
    EXPECT_EQ(storage->CreateEmptyMetadataObject(&metadata), dead);
    EXPECT_EQ(storage->SetEnumPreference(&mode, 0, nullptr), dead);
    EXPECT_EQ(storage->SetReferences(0, nullptr), dead);
    EXPECT_EQ(storage->GetReferences(&number, &entries), dead);
    EXPECT_EQ(storage->GetRightsWithProgress(nullptr, &rights, &count), dead);
    EXPECT_EQ(storage->GetSpecifiedMetadata(1, tags, &metadata), dead);
    EXPECT_EQ(storage->FindStorage(WMDM_FIND_SCOPE_GLOBAL, W("x"), &child), dead);
    EXPECT_EQ(storage->GetParent(&child), dead);
    ComPtr<IWMDMStorageControl3> control;
    ASSERT_EQ(ComPtr<IWMDMStorage4>(storage).As(&control), S_OK) << "IUnknown still answers";
    WString newName = W("renamed");
    const UINT folderInto = WMDM_MODE_BLOCK | WMDM_CONTENT_FOLDER | WMDM_STORAGECONTROL_INSERTINTO;
    EXPECT_EQ(control->Insert(folderInto, &newName[0], nullptr, nullptr, &child), dead);
    EXPECT_EQ(control->Delete(WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE, nullptr), dead);
    EXPECT_EQ(control->Rename(WMDM_MODE_BLOCK, &newName[0], nullptr), dead);
    EXPECT_EQ(control->Read(WMDM_MODE_BLOCK, &newName[0], nullptr, nullptr), dead);
    EXPECT_EQ(control->Move(WMDM_MODE_BLOCK, storage, nullptr), dead);
    EXPECT_EQ(control->Insert2(folderInto, &newName[0], nullptr, nullptr, nullptr, nullptr, &child), dead);
    EXPECT_EQ(control->Insert3(folderInto, WMDM_FILE_ATTR_FOLDER, &newName[0], nullptr, nullptr, nullptr, nullptr,
                               nullptr, &child),
              dead);
    EXPECT_FALSE(child) << "nothing is handed out";
  }

  static void ExpectDead(IWMDMDevice3* device) {
    DWORD number = 0, other = 0;
    UINT count = 0, otherCount = 0;
    ULONG icon = 0, unknownCount = 0;
    WCHAR name[64];
    WMDMID serial;
    BYTE mac[WMDM_MAC_LENGTH];
    ComPtr<IWMDMEnumStorage> media;
    ComPtr<IWMDMStorage> storage;
    _WAVEFORMATEX* formats = nullptr;
    LPWSTR* types = nullptr;
    PROPVARIANT value;
    PropVariantInit(&value);
    const HRESULT dead = WMDM_E_INTERFACEDEAD;
    EXPECT_EQ(device->GetName(name, 64), dead);
    EXPECT_EQ(device->GetManufacturer(name, 64), dead);
    EXPECT_EQ(device->GetVersion(&number), dead);
    EXPECT_EQ(device->GetType(&number), dead);
    EXPECT_EQ(device->GetSerialNumber(&serial, mac), dead);
    EXPECT_EQ(device->GetPowerSource(&number, &other), dead);
    EXPECT_EQ(device->GetStatus(&number), dead);
    EXPECT_EQ(device->GetDeviceIcon(&icon), dead);
    EXPECT_EQ(device->EnumStorage(&media), dead);
    EXPECT_EQ(device->GetFormatSupport(&formats, &count, &types, &otherCount), dead);
    EXPECT_EQ(device->SendOpaqueCommand(nullptr), dead);
    EXPECT_EQ(device->GetStorage(W("Music"), &storage), dead);
    EXPECT_EQ(device->GetFormatSupport2(WMDM_GET_FORMAT_SUPPORT_AUDIO, &formats, &count, nullptr, nullptr, nullptr,
                                        nullptr),
              dead);
    EXPECT_EQ(device->GetSpecifyPropertyPages(nullptr, nullptr, &unknownCount), dead);
    EXPECT_EQ(device->GetCanonicalName(name, 64), dead);
    EXPECT_EQ(device->GetProperty(g_wszWMDMFormatsSupported, &value), dead);
    EXPECT_EQ(device->SetProperty(g_wszWMDMDeviceFriendlyName, &value), dead);
    EXPECT_EQ(device->GetFormatCapability(WMDM_FORMATCODE_MP3, nullptr), dead);
    EXPECT_EQ(device->DeviceIoControl(0, nullptr, 0, nullptr, nullptr), dead);
    EXPECT_EQ(device->FindStorage(WMDM_FIND_SCOPE_GLOBAL, W("x"), &storage), dead);
    EXPECT_FALSE(storage);
    EXPECT_EQ(value.vt, VT_EMPTY);
    ComPtr<IWMDMDevice> same;
    EXPECT_EQ(ComPtr<IWMDMDevice3>(device).As(&same), S_OK) << "IUnknown still answers";
  }

  static void ExpectDead(IWMDMStorageGlobals* globals) {
    DWORD number = 0, high = 0;
    WMDMID serial;
    BYTE mac[WMDM_MAC_LENGTH];
    const HRESULT dead = WMDM_E_INTERFACEDEAD;
    EXPECT_EQ(globals->GetCapabilities(&number), dead);
    EXPECT_EQ(globals->GetSerialNumber(&serial, mac), dead);
    EXPECT_EQ(globals->GetTotalSize(&number, &high), dead);
    EXPECT_EQ(globals->GetTotalFree(&number, &high), dead);
    EXPECT_EQ(globals->GetTotalBad(&number, &high), dead);
    EXPECT_EQ(globals->GetStatus(&number), dead);
    EXPECT_EQ(globals->Initialize(WMDM_MODE_BLOCK, nullptr), dead);
  }

  void Rename(const std::vector<WString>& path, const WCHAR* name) {
    ComPtr<IWMDMStorageControl> control;
    ASSERT_EQ(StorageAt(W("Pocket 20"), path).As(&control), S_OK);
    WString newName = name;
    ASSERT_EQ(control->Rename(WMDM_MODE_BLOCK, &newName[0], nullptr), S_OK);
  }
  void Delete(const std::vector<WString>& path) {
    ComPtr<IWMDMStorageControl> control;
    ASSERT_EQ(StorageAt(W("Pocket 20"), path).As(&control), S_OK);
    ASSERT_EQ(control->Delete(WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE, nullptr), S_OK);
  }
};

TEST_F(StaleInterfaceTest, StoragesDieWithTheirObjectMediumOrDevice) {
  const std::vector<WString> one = {W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")};
  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"deleted", [&] { Delete(one); }},
      {"renamed", [&] { Rename(one, W("uno.mp3")); }},
      {"folder above deleted", [&] { Delete({W("Internal Memory"), W("Music")}); }},
      {"folder above renamed", [&] { Rename({W("Internal Memory"), W("Music"), W("Album")}, W("Other")); }},
      {"medium removed", [&] { Model().RemoveMedium(players_.internal); }},
      {"device removed", [&] { Model().RemoveDevice(players_.pocket); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A fresh model each time, and a manager made over it.
    manager3_.Reset();
    registration_.Revoke();
    players_ = testing_support::SmallModel();
    ASSERT_EQ(registration_.Register(players_.model), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager3, manager3_.AsVoidOut()),
              S_OK);
    ComPtr<IWMDMStorage4> storage = StorageAt(W("Pocket 20"), one);
    ASSERT_TRUE(storage);
    c.change();
    ExpectDead(storage.Get());
  }
}

TEST_F(StaleInterfaceTest, DevicesAndGlobalsDieWithWhatTheyDescribe) {
  ComPtr<IWMDMDevice3> device = DeviceNamed(W("Pocket 20"));
  auto card = StorageAt(W("Pocket 20"), {W("Storage Card")});
  ComPtr<IWMDMStorageGlobals> cardGlobals, internalGlobals;
  ASSERT_EQ(card->GetStorageGlobals(&cardGlobals), S_OK);
  ASSERT_EQ(StorageAt(W("Pocket 20"), {W("Internal Memory")})->GetStorageGlobals(&internalGlobals), S_OK);
  ComPtr<IWMDMEnumStorage> cardChildren;
  ASSERT_EQ(card->EnumStorage(&cardChildren), S_OK);

  Model().RemoveMedium(players_.card);
  ExpectDead(cardGlobals.Get());
  DWORD status = 0;
  EXPECT_EQ(internalGlobals->GetStatus(&status), S_OK) << "the other medium lives on";
  ComPtr<IWMDMStorage> next;
  ULONG fetched = 0;
  EXPECT_EQ(cardChildren->Next(1, &next, &fetched), WMDM_E_INTERFACEDEAD) << "its medium went away";

  Model().RemoveDevice(players_.pocket);
  ExpectDead(device.Get());
  ExpectDead(internalGlobals.Get());
}

// Enumerators work from the list taken when they were made: what went away
// since is still handed out, and answers dead.
TEST_F(StaleInterfaceTest, EnumeratorsHandOutWhatTheyListedEvenWhenItIsGone) {
  struct Case {
    const char* what;
    std::function<ComPtr<IWMDMEnumStorage>()> open;
    std::function<void()> remove;
    std::vector<WString> listed;
    size_t gone;  // the index of the item removed
  };
  const Case cases[] = {
      {"medium removed after the device's storages were listed",
       [&] {
         ComPtr<IWMDMEnumStorage> media;
         EXPECT_EQ(DeviceNamed(W("Pocket 20"))->EnumStorage(&media), S_OK);
         return media;
       },
       [&] { Model().RemoveMedium(players_.card); }, {W("Internal Memory"), W("Storage Card")}, 1},
      {"file deleted after its folder was listed",
       [&] {
         ComPtr<IWMDMEnumStorage> children;
         EXPECT_EQ(StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")})->EnumStorage(&children),
                   S_OK);
         return children;
       },
       [&] { Delete({W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")}); }, {W("one.mp3"), W("two.wma")},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IWMDMEnumStorage> enumerator = c.open();
    ASSERT_TRUE(enumerator);
    c.remove();
    ComPtr<IWMDMEnumStorage> clone;
    ASSERT_EQ(enumerator->Clone(&clone), S_OK);
    ULONG skipped = 0;
    EXPECT_EQ(clone->Skip(10, &skipped), S_FALSE);
    EXPECT_EQ(skipped, c.listed.size()) << "the snapshot still counts the removed item";
    for (size_t i = 0; i < c.listed.size(); ++i) {
      ComPtr<IWMDMStorage> item;
      ULONG fetched = 0;
      ASSERT_EQ(enumerator->Next(1, &item, &fetched), S_OK);
      ComPtr<IWMDMStorage4> storage;
      ASSERT_EQ(item.As(&storage), S_OK);
      if (i == c.gone) {
        ExpectDead(storage.Get());
      } else {
        EXPECT_EQ(NameOf(item.Get()), c.listed[i]);
      }
    }
    ComPtr<IWMDMStorage> past;
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(1, &past, &fetched), S_FALSE);
  }
}

TEST_F(StaleInterfaceTest, ADeviceEnumeratorHandsOutARemovedDevice) {
  ComPtr<IWMDMEnumDevice> devices;
  ASSERT_EQ(manager3_->EnumDevices2(&devices), S_OK);
  Model().RemoveDevice(players_.pocket);
  IWMDMDevice* both[2] = {};
  ULONG fetched = 0;
  ASSERT_EQ(devices->Next(2, both, &fetched), S_OK);
  ASSERT_EQ(fetched, 2u);
  ComPtr<IWMDMDevice> pocket, generic;
  pocket.Attach(both[0]);
  generic.Attach(both[1]);
  ComPtr<IWMDMDevice3> removed;
  ASSERT_EQ(pocket.As(&removed), S_OK);
  ExpectDead(removed.Get());
  WCHAR name[64] = {};
  EXPECT_EQ(generic->GetName(name, 64), S_OK);
  EXPECT_EQ(WString(name), W("Generic Player"));
  DWORD count = 0;
  EXPECT_EQ(manager_->GetDeviceCount(&count), S_OK);
  EXPECT_EQ(count, 1u) << "a new count sees the removal";
}

}  // namespace
}  // namespace wmdm_standin
