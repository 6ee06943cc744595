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

  // A success code comes back as given, and an injected answer does no work.
  ComPtr<IWMDMDevice3> pocket = DeviceNamed(W("Pocket 20"));
  Faults().Inject(ObjectKind::Device, "GetCanonicalName", S_FALSE, 1, players_.pocket);
  WCHAR canonical[260] = {W('#')};
  EXPECT_EQ(pocket->GetCanonicalName(canonical, 260), S_FALSE);
  EXPECT_EQ(canonical[0], W('#'));
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

// A fault can wait for the nth call; calls are counted per method and per
// object, and listed in order.
TEST_F(FaultInjectionTest, AFaultCanLetCallsThroughFirstAndCallsAreCounted) {
  auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
  Faults().ResetCalls();
  Faults().Inject(ObjectKind::Storage, "GetName", E_OUTOFMEMORY, 1, 0, 2);
  WCHAR name[64] = {};
  for (HRESULT answer : {S_OK, S_OK, E_OUTOFMEMORY, S_OK}) EXPECT_EQ(album->GetName(name, 64), answer);
  ComPtr<IWMDMEnumStorage> children;
  ASSERT_EQ(album->EnumStorage(&children), S_OK);
  ComPtr<IWMDMStorage> child;
  ULONG fetched = 0;
  while (children->Next(1, &child, &fetched) == S_OK) {
  }
  const ObjectKind storage = ObjectKind::Storage;
  const ObjectKind enumerator = ObjectKind::StorageEnumerator;
  const auto calls = Faults().CallsByMethod();
  EXPECT_EQ(calls, (decltype(calls){{{storage, "GetName"}, 4}, {{storage, "EnumStorage"}, 1}, {{enumerator, "Next"}, 3}}))
      << "one Next per child and one for the end";
  std::vector<std::string> sequence;
  for (const auto& call : Faults().CallSequence()) sequence.push_back(call.second);
  EXPECT_EQ(sequence,
            (std::vector<std::string>{"GetName", "GetName", "GetName", "GetName", "EnumStorage", "Next", "Next", "Next"}));
  EXPECT_EQ(Faults().Calls(enumerator, "Next", players_.album), 3);
  EXPECT_EQ(Faults().Calls(enumerator, "Next", players_.music), 0);
  Faults().ResetCalls();
  EXPECT_TRUE(Faults().CallSequence().empty());
  EXPECT_EQ(Faults().Calls(enumerator, "Next"), 0);
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

// A death armed for a storage stays with the object that answered it, as a
// reference the device has forgotten; the same storage looked up again lives.
TEST_F(FaultInjectionTest, ADeathStaysWithTheObjectThatAnsweredIt) {
  for (HRESULT dead : {WMDM_E_INTERFACEDEAD, MTP_E_INVALID_OBJECT_HANDLE, MTP_E_STALE_OBJECT_REFERENCE}) {
    SCOPED_TRACE(testing::Message() << std::hex << dead);
    auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
    Faults().InjectDeath(ObjectKind::Storage, "GetName", dead, 1, players_.album);
    WCHAR name[64] = {};
    EXPECT_EQ(album->GetName(name, 64), dead);
    DWORD attributes = 0;
    EXPECT_EQ(album->GetAttributes(&attributes, nullptr), dead) << "every later call of that object";
    EXPECT_EQ(album->GetName(name, 64), dead);
    auto again = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
    EXPECT_EQ(again->GetName(name, 64), S_OK);
    EXPECT_EQ(WString(name), W("Album"));
  }
  // The globals die with the storage they were asked of, and it with them.
  auto memory = StorageAt(W("Pocket 20"), {W("Internal Memory")});
  ComPtr<IWMDMStorageGlobals> globals;
  ASSERT_EQ(memory->GetStorageGlobals(&globals), S_OK);
  Faults().InjectDeath(ObjectKind::StorageGlobals, "GetStatus", WMDM_E_INTERFACEDEAD, 1, players_.internal);
  DWORD status = 0;
  EXPECT_EQ(globals->GetStatus(&status), WMDM_E_INTERFACEDEAD);
  WCHAR name[64] = {};
  EXPECT_EQ(memory->GetName(name, 64), WMDM_E_INTERFACEDEAD);
  EXPECT_EQ(globals->GetStatus(&status), WMDM_E_INTERFACEDEAD);
  ComPtr<IWMDMStorageGlobals> fresh;
  ASSERT_EQ(StorageAt(W("Pocket 20"), {W("Internal Memory")})->GetStorageGlobals(&fresh), S_OK);
  EXPECT_EQ(fresh->GetStatus(&status), S_OK);
}

// A stale answer planted for the provider to word: each kind of player says
// it its own way, a Win32-code player by whether the object is a file or a
// folder, and the object keeps saying it.
TEST_F(FaultInjectionTest, AStaleAnswerIsWordedByTheObjectsProvider) {
  const HRESULT fileMissing = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  const HRESULT pathMissing = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  const struct {
    const char* provider;
    Personality personality;
    bool fileErrors;
    HRESULT file, folder, globals;
  } rows[] = {
      {"mass storage", Personality::MassStorage, false, WMDM_E_INTERFACEDEAD, WMDM_E_INTERFACEDEAD,
       WMDM_E_INTERFACEDEAD},
      {"mass storage, Win32 codes", Personality::MassStorage, true, fileMissing, pathMissing, pathMissing},
      {"mtp", Personality::Mtp, false, MTP_E_INVALID_OBJECT_HANDLE, MTP_E_INVALID_OBJECT_HANDLE,
       MTP_E_INVALID_OBJECT_HANDLE},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.provider);
    ASSERT_TRUE(Model().SetPersonality(players_.pocket, row.personality));
    ASSERT_TRUE(Model().SetStaleAsFileErrors(players_.pocket, row.fileErrors));
    WCHAR name[64] = {};
    DWORD attributes = 0;
    auto one = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
    auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
    Faults().InjectStale(ObjectKind::Storage, "GetName", 2);
    EXPECT_EQ(one->GetName(name, 64), row.file);
    EXPECT_EQ(one->GetAttributes(&attributes, nullptr), row.file) << "and to every later call";
    EXPECT_EQ(album->GetName(name, 64), row.folder);

    auto memory = StorageAt(W("Pocket 20"), {W("Internal Memory")});
    ComPtr<IWMDMStorageGlobals> globals;
    ASSERT_EQ(memory->GetStorageGlobals(&globals), S_OK);
    Faults().InjectStale(ObjectKind::StorageGlobals, "GetCapabilities", 1, players_.internal);
    EXPECT_EQ(globals->GetCapabilities(&attributes), row.globals);
    EXPECT_EQ(memory->GetName(name, 64), row.globals) << "the globals die with their storage";

    // The device is the platform's: dead whatever the provider.
    Faults().InjectStale(ObjectKind::Device, "GetType", 1, players_.pocket);
    EXPECT_EQ(DeviceNamed(W("Pocket 20"))->GetType(&attributes), WMDM_E_INTERFACEDEAD);
    Faults().ClearFaults();
  }
}

}  // namespace
}  // namespace wmdm_standin
