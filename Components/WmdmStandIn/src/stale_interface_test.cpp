// Interfaces on objects that went away answer WMDM_E_INTERFACEDEAD to every
// call but IUnknown's, which is what the plug-in's retry rules rely on.
#include <functional>

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class StaleInterfaceTest : public StandInTest {
 protected:
  // Every method of a dead object answers dead, each call's answer in order;
  // IUnknown's still work and nothing is handed out.
  static void ExpectAllDead(const std::vector<HRESULT>& answers) {
    for (size_t i = 0; i < answers.size(); ++i) EXPECT_EQ(answers[i], WMDM_E_INTERFACEDEAD) << "call " << i;
  }
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
    ComPtr<IWMDMStorageControl3> control;
    ASSERT_EQ(ComPtr<IWMDMStorage4>(storage).As(&control), S_OK) << "IUnknown still answers";
    WString newName = W("renamed");
    const UINT into = WMDM_MODE_BLOCK | WMDM_CONTENT_FOLDER | WMDM_STORAGECONTROL_INSERTINTO;
    ExpectAllDead({storage->SetAttributes(WMDM_FILE_ATTR_FILE, nullptr), storage->GetStorageGlobals(&globals),
                   storage->GetAttributes(&number, nullptr), storage->GetName(name, 64), storage->GetDate(&date),
                   storage->GetSize(&number, &high), storage->GetRights(&rights, &count, nullptr),
                   storage->EnumStorage(&children), storage->SendOpaqueCommand(nullptr),
                   storage->GetStorage(W("x"), &child),
                   storage->SetAttributes2(WMDM_FILE_ATTR_FILE, 0, nullptr, nullptr),
                   storage->GetAttributes2(&number, &high, &format, nullptr), storage->GetMetadata(&metadata),
                   storage->SetMetadata(nullptr), storage->CreateEmptyMetadataObject(&metadata),
                   storage->SetEnumPreference(&mode, 0, nullptr), storage->SetReferences(0, nullptr),
                   storage->GetReferences(&number, &entries), storage->GetRightsWithProgress(nullptr, &rights, &count),
                   storage->GetSpecifiedMetadata(1, tags, &metadata),
                   storage->FindStorage(WMDM_FIND_SCOPE_GLOBAL, W("x"), &child), storage->GetParent(&child),
                   control->Insert(into, &newName[0], nullptr, nullptr, &child),
                   control->Delete(WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE, nullptr),
                   control->Rename(WMDM_MODE_BLOCK, &newName[0], nullptr),
                   control->Read(WMDM_MODE_BLOCK, &newName[0], nullptr, nullptr),
                   control->Move(WMDM_MODE_BLOCK, storage, nullptr),
                   control->Insert2(into, &newName[0], nullptr, nullptr, nullptr, nullptr, &child),
                   control->Insert3(into, WMDM_FILE_ATTR_FOLDER, &newName[0], nullptr, nullptr, nullptr, nullptr,
                                    nullptr, &child)});
    EXPECT_FALSE(child || globals || children || metadata);
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
    ExpectAllDead({device->GetName(name, 64), device->GetManufacturer(name, 64), device->GetVersion(&number),
                   device->GetType(&number), device->GetSerialNumber(&serial, mac),
                   device->GetPowerSource(&number, &other), device->GetStatus(&number), device->GetDeviceIcon(&icon),
                   device->EnumStorage(&media), device->GetFormatSupport(&formats, &count, &types, &otherCount),
                   device->SendOpaqueCommand(nullptr), device->GetStorage(W("Music"), &storage),
                   device->GetFormatSupport2(WMDM_GET_FORMAT_SUPPORT_AUDIO, &formats, &count, nullptr, nullptr,
                                             nullptr, nullptr),
                   device->GetSpecifyPropertyPages(nullptr, nullptr, &unknownCount), device->GetCanonicalName(name, 64),
                   device->GetProperty(g_wszWMDMFormatsSupported, &value),
                   device->SetProperty(g_wszWMDMDeviceFriendlyName, &value),
                   device->GetFormatCapability(WMDM_FORMATCODE_MP3, nullptr),
                   device->DeviceIoControl(0, nullptr, 0, nullptr, nullptr),
                   device->FindStorage(WMDM_FIND_SCOPE_GLOBAL, W("x"), &storage)});
    EXPECT_FALSE(storage || media);
    EXPECT_EQ(value.vt, VT_EMPTY);
    ComPtr<IWMDMDevice> same;
    EXPECT_EQ(ComPtr<IWMDMDevice3>(device).As(&same), S_OK) << "IUnknown still answers";
  }

  static void ExpectDead(IWMDMStorageGlobals* globals) {
    DWORD number = 0, high = 0;
    WMDMID serial;
    BYTE mac[WMDM_MAC_LENGTH];
    ExpectAllDead({globals->GetCapabilities(&number), globals->GetSerialNumber(&serial, mac),
                   globals->GetTotalSize(&number, &high), globals->GetTotalFree(&number, &high),
                   globals->GetTotalBad(&number, &high), globals->GetStatus(&number),
                   globals->Initialize(WMDM_MODE_BLOCK, nullptr)});
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

TEST_F(StaleInterfaceTest, ARenamedObjectIsFoundAgainUnderItsNewName) {
  Rename({W("Internal Memory"), W("Music"), W("three.wav")}, W("drei.wav"));
  auto renamed = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("drei.wav")});
  ASSERT_TRUE(renamed);
  EXPECT_EQ(NameOf(renamed.Get()), W("drei.wav"));
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
