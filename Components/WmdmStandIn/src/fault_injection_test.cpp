#include "fault_injector.h"

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

class FaultInjectionTest : public StandInTest {
 protected:
  FaultInjector& Faults() { return Model().Faults(); }
};

TEST_F(FaultInjectionTest, AFaultAnswersForTheNextCallsThenTheMethodWorksAgain) {
  auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
  Faults().Inject(ObjectKind::Storage, "GetName", WMDM_E_INTERFACEDEAD, 2);
  WCHAR name[64] = {};
  for (HRESULT answer : {WMDM_E_INTERFACEDEAD, WMDM_E_INTERFACEDEAD, S_OK}) EXPECT_EQ(album->GetName(name, 64), answer);
  EXPECT_EQ(WString(name), W("Album"));

  Faults().Inject(ObjectKind::StorageGlobals, "GetStatus", WMDM_E_BUSY, kEveryCall);
  ComPtr<IWMDMStorageGlobals> globals;
  ASSERT_EQ(album->GetStorageGlobals(&globals), S_OK);
  DWORD status = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(globals->GetStatus(&status), WMDM_E_BUSY);
  Faults().ClearFaults();
  EXPECT_EQ(globals->GetStatus(&status), S_OK);
}

TEST_F(FaultInjectionTest, AStorageCanLackItsNewestControlInterface) {
  auto music = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music")});
  auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
  Faults().Inject(ObjectKind::Storage, "QueryInterface(IWMDMStorageControl3)", E_NOINTERFACE, kEveryCall,
                  players_.album);
  ComPtr<IWMDMStorageControl3> control3;
  ComPtr<IWMDMStorageControl> control;
  EXPECT_EQ(album.As(&control3), E_NOINTERFACE);
  EXPECT_FALSE(control3);
  EXPECT_EQ(album.As(&control), S_OK) << "the older interface stays";
  EXPECT_EQ(music.As(&control3), S_OK) << "other storages keep it";
  EXPECT_EQ(Faults().Calls(ObjectKind::Storage, "QueryInterface(IWMDMStorageControl3)", players_.album), 1);
}

// A fault can wait for the nth call; the counts list every method called.
TEST_F(FaultInjectionTest, AFaultCanLetCallsThroughFirstAndCallsAreListedByMethod) {
  auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
  Faults().ResetCalls();
  Faults().Inject(ObjectKind::Storage, "GetName", E_OUTOFMEMORY, 1, 0, 2);
  WCHAR name[64] = {};
  for (HRESULT answer : {S_OK, S_OK, E_OUTOFMEMORY, S_OK}) EXPECT_EQ(album->GetName(name, 64), answer);
  DWORD attributes = 0;
  album->GetAttributes(&attributes, nullptr);
  const auto calls = Faults().CallsByMethod();
  const ObjectKind storage = ObjectKind::Storage;
  EXPECT_EQ(calls, (decltype(calls){{{storage, "GetName"}, 4}, {{storage, "GetAttributes"}, 1}}));
  std::vector<std::string> sequence;
  for (const auto& call : Faults().CallSequence()) sequence.push_back(call.second);
  EXPECT_EQ(sequence, (std::vector<std::string>{"GetName", "GetName", "GetName", "GetName", "GetAttributes"}));
  Faults().ResetCalls();
  EXPECT_TRUE(Faults().CallSequence().empty());
}

TEST_F(FaultInjectionTest, AFaultForOneObjectSparesTheOthers) {
  auto music = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music")});
  auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
  Faults().Inject(ObjectKind::Storage, "Insert3", E_NOTIMPL, 1, players_.album);
  Faults().Inject(ObjectKind::Storage, "Insert3", WMDM_E_BUSY, 1);
  ComPtr<IWMDMStorageControl3> albumControl, musicControl;
  ASSERT_EQ(album.As(&albumControl), S_OK);
  ASSERT_EQ(music.As(&musicControl), S_OK);
  WString name = W("x.pla");
  EXPECT_EQ(albumControl->Insert3(0, 0, nullptr, &name[0], nullptr, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL)
      << "the object's own fault comes first";
  EXPECT_EQ(musicControl->Insert3(0, 0, nullptr, &name[0], nullptr, nullptr, nullptr, nullptr, nullptr), WMDM_E_BUSY);
  EXPECT_EQ(albumControl->Insert3(0, 0, nullptr, &name[0], nullptr, nullptr, nullptr, nullptr, nullptr),
            E_INVALIDARG)
      << "both faults are used up; the real checks answer again";
}

TEST_F(FaultInjectionTest, InjectedSuccessCodesComeBackAsGiven) {
  ComPtr<IWMDMDevice3> pocket = DeviceNamed(W("Pocket 20"));
  Faults().Inject(ObjectKind::Device, "GetCanonicalName", S_FALSE, 1, players_.pocket);
  WCHAR name[260] = {W('#')};
  EXPECT_EQ(pocket->GetCanonicalName(name, 260), S_FALSE);
  EXPECT_EQ(name[0], W('#')) << "an injected answer does no work";
}

TEST_F(FaultInjectionTest, CallsAreCountedPerMethodAndPerObject) {
  auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
  Faults().ResetCalls();
  ComPtr<IWMDMEnumStorage> children;
  ASSERT_EQ(album->EnumStorage(&children), S_OK);
  ComPtr<IWMDMStorage> child;
  ULONG fetched = 0;
  int listed = 0;
  while (children->Next(1, &child, &fetched) == S_OK) ++listed;
  EXPECT_EQ(listed, 2);
  EXPECT_EQ(Faults().Calls(ObjectKind::StorageEnumerator, "Next"), 3) << "one per item and one for the end";
  EXPECT_EQ(Faults().Calls(ObjectKind::StorageEnumerator, "Next", players_.album), 3);
  EXPECT_EQ(Faults().Calls(ObjectKind::StorageEnumerator, "Next", players_.music), 0);
  EXPECT_EQ(Faults().Calls(ObjectKind::Storage, "EnumStorage", players_.album), 1);
  EXPECT_EQ(Faults().Calls(ObjectKind::Storage, "GetStorage"), 0);
  Faults().ResetCalls();
  EXPECT_EQ(Faults().Calls(ObjectKind::StorageEnumerator, "Next"), 0);
}

TEST_F(FaultInjectionTest, ManagerAndEnumeratorsCanFailToo) {
  Faults().Inject(ObjectKind::DeviceManager, "EnumDevices2", E_OUTOFMEMORY, 1);
  ComPtr<IWMDMEnumDevice> devices;
  EXPECT_EQ(manager3_->EnumDevices2(&devices), E_OUTOFMEMORY);
  ASSERT_EQ(manager3_->EnumDevices2(&devices), S_OK);
  Faults().Inject(ObjectKind::DeviceEnumerator, "Next", E_FAIL, 1);
  ComPtr<IWMDMDevice> device;
  ULONG fetched = 0;
  EXPECT_EQ(devices->Next(1, &device, &fetched), E_FAIL);
  EXPECT_EQ(devices->Next(1, &device, &fetched), S_OK);
}

}  // namespace
}  // namespace wmdm_standin
