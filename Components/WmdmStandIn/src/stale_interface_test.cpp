// Interfaces on objects that went away answer WMDM_E_INTERFACEDEAD to every
// call but IUnknown's, which is what the plug-in's retry rules rely on.
#include <functional>

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class StaleInterfaceTest : public StandInTest {
 protected:
  // Every storage method a caller might try next, each answering dead.
  void ExpectDead(IWMDMStorage4* storage) {
    DWORD number = 0, high = 0;
    WCHAR name[64];
    WMDMDATETIME date;
    ComPtr<IWMDMEnumStorage> children;
    ComPtr<IWMDMStorage> child;
    ComPtr<IWMDMStorageGlobals> globals;
    ComPtr<IWMDMMetaData> metadata;
    IWMDMStorage** entries = nullptr;
    WMDM_STORAGE_ENUM_MODE mode = ENUM_MODE_RAW;
    EXPECT_EQ(storage->GetName(name, 64), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetAttributes(&number, nullptr), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetSize(&number, &high), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetDate(&date), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->EnumStorage(&children), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetStorage(W("x"), &child), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetStorageGlobals(&globals), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetMetadata(&metadata), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->SetEnumPreference(&mode, 0, nullptr), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetReferences(&number, &entries), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(storage->GetParent(&child), WMDM_E_INTERFACEDEAD);
    ComPtr<IWMDMStorageControl3> control;
    ASSERT_EQ(ComPtr<IWMDMStorage4>(storage).As(&control), S_OK) << "IUnknown still answers";
    WString newName = W("renamed");
    EXPECT_EQ(control->Rename(WMDM_MODE_BLOCK, &newName[0], nullptr), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(control->Delete(WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE, nullptr), WMDM_E_INTERFACEDEAD);
    EXPECT_EQ(control->Insert(WMDM_MODE_BLOCK | WMDM_CONTENT_FOLDER, &newName[0], nullptr, nullptr, &child),
              WMDM_E_INTERFACEDEAD);
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
    testing_support::SmallModel fresh;
    players_ = fresh;
    registration_.Revoke();
    manager3_.Reset();
    manager_.Reset();
    ASSERT_EQ(registration_.Register(players_.model), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager, manager_.AsVoidOut()),
              S_OK);
    ASSERT_EQ(manager_.As(&manager3_), S_OK);

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

TEST_F(StaleInterfaceTest, DevicesGlobalsAndEnumeratorsDieWithWhatTheyDescribe) {
  ComPtr<IWMDMDevice3> device = DeviceNamed(W("Pocket 20"));
  auto card = StorageAt(W("Pocket 20"), {W("Storage Card")});
  ComPtr<IWMDMStorageGlobals> globals;
  ASSERT_EQ(card->GetStorageGlobals(&globals), S_OK);
  ComPtr<IWMDMEnumStorage> cardChildren, media;
  ASSERT_EQ(card->EnumStorage(&cardChildren), S_OK);
  ASSERT_EQ(device->EnumStorage(&media), S_OK);

  Model().RemoveMedium(players_.card);
  DWORD value = 0, high = 0;
  EXPECT_EQ(globals->GetTotalFree(&value, &high), WMDM_E_INTERFACEDEAD);
  ComPtr<IWMDMStorage> next;
  ULONG fetched = 0;
  EXPECT_EQ(cardChildren->Next(1, &next, &fetched), WMDM_E_INTERFACEDEAD);
  ASSERT_EQ(media->Next(1, &next, &fetched), S_OK);
  EXPECT_EQ(NameOf(next.Get()), W("Internal Memory"));
  EXPECT_EQ(media->Next(1, &next, &fetched), S_FALSE) << "the removed card is passed over";

  Model().RemoveDevice(players_.pocket);
  WCHAR name[64];
  EXPECT_EQ(device->GetName(name, 64), WMDM_E_INTERFACEDEAD);
  EXPECT_EQ(device->GetType(&value), WMDM_E_INTERFACEDEAD);
  EXPECT_EQ(device->EnumStorage(&media), WMDM_E_INTERFACEDEAD);
  EXPECT_EQ(device->GetCanonicalName(name, 64), WMDM_E_INTERFACEDEAD);
  ComPtr<IWMDMDevice> same;
  EXPECT_EQ(device.As(&same), S_OK);
}

}  // namespace
}  // namespace wmdm_standin
