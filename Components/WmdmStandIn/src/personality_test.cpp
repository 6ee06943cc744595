// Where the two personalities answer apart: the same call on the same
// player, once as a mass-storage player and once as an MTP one.
#include "personality.h"
#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::StandInTest;

const std::vector<WString> kOne = {W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")};
const std::vector<WString> kAlbum = {W("Internal Memory"), W("Music"), W("Album")};
const std::vector<WString> kPodcast = {W("Storage Card"), W("Podcast.mp3")};

// The cases below are free functions of a table, so what they use is public.
class PersonalityTest : public StandInTest {
 public:
  using StandInTest::Model;
  using StandInTest::oneDevicePerPlayer_;
  using StandInTest::players_;
  using StandInTest::SetUp;
  using StandInTest::TearDown;

  ComPtr<IWMDMStorage4> At(const std::vector<WString>& path) { return StorageAt(W("Pocket 20"), path); }

  static HRESULT ShownName(IWMDMStorage4* storage, WString* name) {
    WCHAR text[64] = {};
    const HRESULT result = storage->GetName(text, 64);
    *name = text;
    return result;
  }

  ComPtr<IWMDMMetaData> Bag(IWMDMStorage4* on, WMDM_TAG_DATATYPE type, const WCHAR* name, DWORD value) {
    ComPtr<IWMDMMetaData> bag;
    EXPECT_EQ(on->CreateEmptyMetadataObject(&bag), S_OK);
    // Little-endian: a WORD's bytes are the DWORD's first two.
    const UINT length = type == WMDM_TYPE_WORD ? sizeof(WORD) : sizeof(DWORD);
    EXPECT_EQ(bag->AddItem(type, name, reinterpret_cast<BYTE*>(&value), length), S_OK);
    return bag;
  }

  HRESULT InsertAbstract(IWMDMStorage4* folder, const WCHAR* name, DWORD formatCode, IWMDMStorage** made) {
    ComPtr<IWMDMStorageControl3> control;
    EXPECT_EQ(ComPtr<IWMDMStorage4>(folder).As(&control), S_OK);
    WString destination = name;
    auto bag = Bag(folder, WMDM_TYPE_DWORD, g_wszWMDMFormatCode, formatCode);
    return control->Insert3(WMDM_MODE_BLOCK | WMDM_CONTENT_FILE | WMDM_STORAGECONTROL_INSERTINTO, 0, nullptr,
                            &destination[0], nullptr, nullptr, bag.Get(), nullptr, made);
  }
};

// Each case does one thing to the player and answers what the last call gave.
struct Case {
  const char* what;
  HRESULT massStorage;
  HRESULT mtp;
  HRESULT (*run)(PersonalityTest& test);
};

HRESULT DeletedObject(PersonalityTest& test) {
  auto one = test.At(kOne);
  const ObjectId id = test.Model().Find(test.players_.pocket, W("Internal Memory\\Music\\Album\\one.mp3"));
  test.Model().ForgetObject(id);
  DWORD size = 0;
  return one->GetSize(&size, nullptr);
}

HRESULT RemovedStore(PersonalityTest& test) {
  auto podcast = test.At(kPodcast);
  test.Model().RemoveMedium(test.players_.card);
  DWORD size = 0;
  return podcast->GetSize(&size, nullptr);
}

HRESULT RemovedStoreGlobals(PersonalityTest& test) {
  ComPtr<IWMDMStorageGlobals> globals;
  EXPECT_EQ(test.At(kPodcast)->GetStorageGlobals(&globals), S_OK);
  test.Model().RemoveMedium(test.players_.card);
  DWORD free = 0;
  return globals->GetTotalFree(&free, nullptr);
}

HRESULT OldInterfaceAfterRename(PersonalityTest& test) {
  auto one = test.At(kOne);
  ComPtr<IWMDMStorageControl> control;
  EXPECT_EQ(one.As(&control), S_OK);
  WString name = W("uno.mp3");
  EXPECT_EQ(control->Rename(WMDM_MODE_BLOCK, &name[0], nullptr), S_OK);
  WString shown;
  const HRESULT result = test.ShownName(one.Get(), &shown);
  if (result == S_OK) {
    EXPECT_EQ(shown, name);
  }
  return result;
}

HRESULT ChildOfRenamedFolder(PersonalityTest& test) {
  auto one = test.At(kOne);
  ComPtr<IWMDMStorageControl> control;
  EXPECT_EQ(test.At(kAlbum).As(&control), S_OK);
  WString name = W("Disc");
  EXPECT_EQ(control->Rename(WMDM_MODE_BLOCK, &name[0], nullptr), S_OK);
  WString shown;
  return test.ShownName(one.Get(), &shown);
}

HRESULT FormatTheDeviceDoesNotList(PersonalityTest& test) {
  ComPtr<IWMDMStorage> made;
  return test.InsertAbstract(test.At(kAlbum).Get(), W("Live"), WMDM_FORMATCODE_ABSTRACTAUDIOALBUM, &made);
}

HRESULT TextTagGivenAsNumber(PersonalityTest& test) {
  auto one = test.At(kOne);
  return one->SetMetadata(test.Bag(one.Get(), WMDM_TYPE_DWORD, g_wszWMDMTitle, 5).Get());
}

HRESULT NumberTagGivenAsWord(PersonalityTest& test) {
  auto one = test.At(kOne);
  return one->SetMetadata(test.Bag(one.Get(), WMDM_TYPE_WORD, g_wszWMDMTrack, 5).Get());
}

HRESULT TrackNumberOutOfRange(PersonalityTest& test) {
  auto one = test.At(kOne);
  return one->SetMetadata(test.Bag(one.Get(), WMDM_TYPE_DWORD, g_wszWMDMTrack, 100).Get());
}

HRESULT TagTheDeviceDoesNotKeep(PersonalityTest& test) {
  test.Model().SetTagsSupported(test.players_.pocket, std::vector<WString>{g_wszWMDMTitle});
  auto one = test.At(kOne);
  return one->SetMetadata(test.Bag(one.Get(), WMDM_TYPE_DWORD, g_wszWMDMUserRating, 50).Get());
}

HRESULT TagTheDeviceKeeps(PersonalityTest& test) {
  test.Model().SetTagsSupported(test.players_.pocket, std::vector<WString>{g_wszWMDMTrack});
  auto one = test.At(kOne);
  return one->SetMetadata(test.Bag(one.Get(), WMDM_TYPE_DWORD, g_wszWMDMTrack, 99).Get());
}

HRESULT TagsOfTheirOwnType(PersonalityTest& test) {
  auto one = test.At(kOne);
  return one->SetMetadata(test.Bag(one.Get(), WMDM_TYPE_DWORD, g_wszWMDMTrack, 5).Get());
}

HRESULT ReferenceToADeletedTrack(PersonalityTest& test) {
  auto run = test.At({W("Internal Memory"), W("Playlists"), W("Run.pla")});
  ComPtr<IWMDMStorage> one;
  EXPECT_EQ(test.At(kOne).As(&one), S_OK);
  test.Model().ForgetObject(test.players_.one);
  IWMDMStorage* entries[] = {one.Get()};
  return run->SetReferences(1, entries);
}

TEST_F(PersonalityTest, EachPersonalityAnswersAsItsProviderDoes) {
  const Case cases[] = {
      {"a call on a deleted object", WMDM_E_INTERFACEDEAD, kMtpInvalidObjectHandle, DeletedObject},
      {"a call on an object of a removed store", WMDM_E_INTERFACEDEAD, kMtpStoreNotAvailable, RemovedStore},
      {"the globals of a removed store", WMDM_E_INTERFACEDEAD, kMtpStoreNotAvailable, RemovedStoreGlobals},
      {"an interface held over its object's rename", WMDM_E_INTERFACEDEAD, S_OK, OldInterfaceAfterRename},
      {"an interface held over its folder's rename", WMDM_E_INTERFACEDEAD, S_OK, ChildOfRenamedFolder},
      {"a new object of a format the device does not list", S_OK, kMtpInvalidObjectFormatCode,
       FormatTheDeviceDoesNotList},
      {"a text tag given as a number", S_OK, WMDM_E_INVALIDTYPE, TextTagGivenAsNumber},
      {"a number tag given as a word", S_OK, WMDM_E_INVALIDTYPE, NumberTagGivenAsWord},
      {"tags of their own types", S_OK, S_OK, TagsOfTheirOwnType},
      {"a track number outside 1 to 99", S_OK, kMtpPropertyValueNotSupported, TrackNumberOutOfRange},
      {"a tag the device does not keep", S_OK, kMtpPropertyNotSupported, TagTheDeviceDoesNotKeep},
      {"a tag the device keeps, at the end of its range", S_OK, S_OK, TagTheDeviceKeeps},
      {"a playlist given a deleted track", WMDM_E_INTERFACEDEAD, kMtpStaleObjectReference, ReferenceToADeletedTrack},
  };
  for (const Case& c : cases) {
    for (Personality personality : {Personality::MassStorage, Personality::Mtp}) {
      SCOPED_TRACE(std::string(c.what) + (personality == Personality::Mtp ? " (mtp)" : " (mass-storage)"));
      TearDown();
      players_ = testing_support::SmallModel();
      SetUp();
      ASSERT_TRUE(Model().SetPersonality(players_.pocket, personality));
      EXPECT_EQ(c.run(*this), personality == Personality::Mtp ? c.mtp : c.massStorage);
    }
  }
}

// An MTP playlist or album is an abstract object: no bytes, size 0, and what
// it holds is its references.
TEST_F(PersonalityTest, AnMtpPlaylistIsAnAbstractObjectOfSizeZeroWithReferences) {
  ASSERT_TRUE(Model().SetPersonality(players_.pocket, Personality::Mtp));
  auto music = At({W("Internal Memory"), W("Music")});
  ComPtr<IWMDMStorage> made;
  ASSERT_EQ(InsertAbstract(music.Get(), W("Mix"), WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST, &made), S_OK);
  ComPtr<IWMDMStorage4> mix;
  ASSERT_EQ(made.As(&mix), S_OK);
  ComPtr<IWMDMStorage> one;
  ASSERT_EQ(At(kOne).As(&one), S_OK);
  IWMDMStorage* entries[] = {one.Get()};
  ASSERT_EQ(mix->SetReferences(1, entries), S_OK);
  DWORD low = 1, high = 1;
  EXPECT_EQ(mix->GetSize(&low, &high), S_OK);
  EXPECT_EQ(low + high, 0u);
  DWORD count = 0;
  IWMDMStorage** held = nullptr;
  ASSERT_EQ(mix->GetReferences(&count, &held), S_OK);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(NameOf(held[0]), W("one.mp3"));
  held[0]->Release();
  CoTaskMemFree(held);
}

// A provider that ignores SetDeviceEnumPreference shows each medium as a
// device: the same canonical name but for the digits after the last "$".
TEST_F(PersonalityTest, StoragesShownAsDevicesAreOneMediumEach) {
  ASSERT_TRUE(Model().SetPersonality(players_.pocket, Personality::Mtp, true));
  EXPECT_EQ(manager3_->SetDeviceEnumPreference(DO_NOT_VIRTUALIZE_STORAGES_AS_DEVICES), S_OK) << "and ignored";
  ComPtr<IWMDMEnumDevice> devices;
  ASSERT_EQ(manager3_->EnumDevices2(&devices), S_OK);
  std::vector<std::pair<WString, WString>> shown;  // canonical name, its one medium
  ComPtr<IWMDMDevice> device;
  ULONG fetched = 0;
  while (devices->Next(1, &device, &fetched) == S_OK) {
    ComPtr<IWMDMDevice2> device2;
    ASSERT_EQ(device.As(&device2), S_OK);
    WCHAR name[200] = {};
    if (device2->GetCanonicalName(name, 200) != S_OK) continue;  // the generic player has none
    ComPtr<IWMDMEnumStorage> media;
    ASSERT_EQ(device->EnumStorage(&media), S_OK);
    ComPtr<IWMDMStorage> medium;
    ASSERT_EQ(media->Next(1, &medium, &fetched), S_OK);
    shown.emplace_back(name, NameOf(medium.Get()));
    EXPECT_EQ(media->Next(1, &medium, &fetched), S_FALSE) << "one medium each";
  }
  ASSERT_EQ(shown.size(), 2u);
  const WString base = shown[0].first.substr(0, shown[0].first.rfind(W('$')));
  EXPECT_EQ(shown[0], std::make_pair(base + W("$0"), WString(W("Internal Memory"))));
  EXPECT_EQ(shown[1], std::make_pair(base + W("$1"), WString(W("Storage Card"))));
  DWORD count = 0;
  EXPECT_EQ(manager_->GetDeviceCount(&count), S_OK);
  EXPECT_EQ(count, 3u);

  ComPtr<IWMDMDevice> card;
  ASSERT_EQ(manager3_->GetDeviceFromCanonicalName((base + W("$1")).c_str(), &card), S_OK);
  Model().RemoveMedium(players_.card);
  DWORD status = 0;
  EXPECT_EQ(card->GetStatus(&status), WMDM_E_INTERFACEDEAD) << "the card's device went with it";
}

// A mass-storage provider may answer storage errors with Win32 codes: an
// object deleted or renamed away is then "not found", a file's and a
// folder's each in its own word, while a device unplugged is still dead.
TEST_F(PersonalityTest, StaleObjectsMayAnswerWithFileErrors) {
  const struct {
    const char* what;
    HRESULT (*run)(PersonalityTest& test);
    HRESULT answer;
  } cases[] = {
      {"a deleted file", DeletedObject, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
      {"a file whose folder was renamed", ChildOfRenamedFolder, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
      {"a deleted folder",
       [](PersonalityTest& test) {
         auto album = test.At(kAlbum);
         test.Model().ForgetObject(test.Model().Find(test.players_.pocket, W("Internal Memory\\Music\\Album")));
         WString shown;
         return test.ShownName(album.Get(), &shown);
       },
       HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
      {"a removed store", RemovedStore, WMDM_E_INTERFACEDEAD},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    players_ = testing_support::SmallModel();
    SetUp();
    ASSERT_TRUE(Model().SetStaleAsFileErrors(players_.pocket, true));
    EXPECT_EQ(c.run(*this), c.answer);
  }
}

// By default the platform shows each storage of an MTP player as a device of
// its own; a client that asks first (SetDeviceEnumPreference) sees one
// device per player.
TEST_F(PersonalityTest, AnMtpPlayerShowsItsStoragesAsDevicesUnlessAskedNotTo) {
  const struct {
    Personality personality;
    bool asked;
    size_t devices;  // the two-medium player and the generic one
  } cases[] = {{Personality::Mtp, false, 3}, {Personality::Mtp, true, 2}, {Personality::MassStorage, false, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.personality == Personality::Mtp ? "mtp" : "mass storage")
                                    << (c.asked ? ", asked" : ""));
    TearDown();
    players_ = testing_support::SmallModel();
    oneDevicePerPlayer_ = c.asked;
    SetUp();
    ASSERT_TRUE(Model().SetPersonality(players_.pocket, c.personality));
    ComPtr<IWMDMEnumDevice> devices;
    ASSERT_EQ(manager3_->EnumDevices2(&devices), S_OK);
    size_t count = 0;
    ComPtr<IWMDMDevice> device;
    ULONG fetched = 0;
    while (devices->Next(1, &device, &fetched) == S_OK) ++count;
    EXPECT_EQ(count, c.devices);
  }
}

}  // namespace
}  // namespace wmdm_standin
