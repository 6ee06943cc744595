#include "storage.h"

#include "standin_fixture.h"

namespace wmdm_standin {
namespace {

using testing_support::SmallModel;
using testing_support::StandInTest;

// A store that reads tags and formats late, as a folder does from its files,
// and counts each time it is asked to; the rest is kept in memory.
class CountingStore final : public ContentStore {
 public:
  ULONGLONG TotalSize(const ModelMedium& medium) const override { return memory_->TotalSize(medium); }
  ULONGLONG FreeSpace(const ModelMedium& medium) const override { return memory_->FreeSpace(medium); }
  HRESULT CheckName(const WString& name) const override { return memory_->CheckName(name); }
  HRESULT Create(const ModelObject& parent, const NewObject& request, const ModelObject* replaced,
                 ModelObject* object) override {
    return memory_->Create(parent, request, replaced, object);
  }
  HRESULT Remove(const ModelObject& object) override { return memory_->Remove(object); }
  HRESULT Rename(const ModelObject& object, const WString& newName) override {
    return memory_->Rename(object, newName);
  }
  HRESULT Erase(const ModelMedium& medium) override { return memory_->Erase(medium); }
  HRESULT SaveReferences(const ModelObject& playlist, const std::vector<const ModelObject*>& entries) override {
    return memory_->SaveReferences(playlist, entries);
  }
  HRESULT SaveTags(const ModelObject& object, const std::vector<ModelTag>& tags) override {
    return memory_->SaveTags(object, tags);
  }
  void LoadDetails(ModelObject& object) override {
    ++detailLoads;
    object.tags.push_back(ModelTag::String(g_wszWMDMTitle, W("Read late")));
  }
  void LoadFormat(ModelObject& object) override {
    ++formatLoads;
    object.format.nSamplesPerSec = 22050;
  }

  int detailLoads = 0;
  int formatLoads = 0;

 private:
  std::shared_ptr<ContentStore> memory_ = MakeMemoryStore();
};

class StorageTest : public StandInTest {
 protected:
  std::vector<WString> ChildNames(IWMDMStorage* folder) {
    std::vector<WString> names;
    ComPtr<IWMDMEnumStorage> children;
    EXPECT_EQ(folder->EnumStorage(&children), S_OK);
    ComPtr<IWMDMStorage> child;
    ULONG fetched = 0;
    while (children && children->Next(1, &child, &fetched) == S_OK) names.push_back(NameOf(child.Get()));
    return names;
  }
};

TEST_F(StorageTest, EnumerationListsChildrenInOrderThenEnds) {
  auto root = StorageAt(W("Pocket 20"), {W("Internal Memory")});
  ASSERT_TRUE(root);
  EXPECT_EQ(ChildNames(root.Get()), (std::vector<WString>{W("Music"), W("Playlists"), W("System")}));

  auto music = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music")});
  ComPtr<IWMDMEnumStorage> children;
  ASSERT_EQ(music->EnumStorage(&children), S_OK);
  IWMDMStorage* batch[4] = {};
  ULONG fetched = 0;
  EXPECT_EQ(children->Next(4, batch, &fetched), S_FALSE);
  std::vector<WString> names;
  for (ULONG i = 0; i < fetched; ++i) {
    names.push_back(NameOf(batch[i]));
    batch[i]->Release();
  }
  EXPECT_EQ(names, (std::vector<WString>{W("Album"), W("three.wav")}));
  EXPECT_EQ(std::make_pair(children->Next(1, batch, &fetched), fetched), std::make_pair(S_FALSE, ULONG{0}));

  auto file = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("three.wav")});
  EXPECT_TRUE(ChildNames(file.Get()).empty());
}

TEST_F(StorageTest, ChildrenAreFoundByNameIgnoringCase) {
  auto album = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album")});
  ASSERT_TRUE(album);
  struct Case { const WCHAR* name; HRESULT expected; };
  for (const Case& c : {Case{W("ONE.MP3"), S_OK}, Case{W("one"), S_FALSE}, Case{W("three.wav"), S_FALSE}}) {
    SCOPED_TRACE(wide::ToUtf8(c.name));
    ComPtr<IWMDMStorage> child;
    EXPECT_EQ(album->GetStorage(c.name, &child), c.expected);
    EXPECT_EQ(child != nullptr, c.expected == S_OK);
  }
}

TEST_F(StorageTest, AttributesCarryThePlatformsFlagValues) {
  struct Case { std::vector<WString> path; DWORD present; DWORD absent; };
  const Case cases[] = {
      // A medium's root is the medium, not a folder on it, and a mass-storage
      // player names no default storage and edits no metadata in place.
      {{W("Internal Memory")},
       WMDM_STORAGE_ATTR_FILESYSTEM | WMDM_STORAGE_ATTR_FOLDERS | WMDM_STORAGE_ATTR_NONREMOVABLE |
           WMDM_STORAGE_ATTR_HAS_FOLDERS,
       WMDM_STORAGE_ATTR_HAS_FILES | WMDM_STORAGE_ATTR_REMOVABLE | WMDM_FILE_ATTR_FOLDER | WMDM_FILE_ATTR_FILE |
           WMDM_STORAGE_IS_DEFAULT | WMDM_STORAGE_CONTAINS_DEFAULT | WMDM_STORAGE_ATTR_CANEDITMETADATA},
      {{W("Storage Card")}, WMDM_STORAGE_ATTR_FILESYSTEM | WMDM_STORAGE_ATTR_REMOVABLE | WMDM_STORAGE_ATTR_HAS_FILES,
       WMDM_STORAGE_ATTR_HAS_FOLDERS | WMDM_FILE_ATTR_FOLDER},
      {{W("Internal Memory"), W("Music")},
       WMDM_FILE_ATTR_FOLDER | WMDM_STORAGE_ATTR_HAS_FOLDERS | WMDM_STORAGE_ATTR_HAS_FILES | WMDM_FILE_ATTR_CANDELETE |
           WMDM_FILE_ATTR_CANRENAME,
       WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_HIDDEN | WMDM_STORAGE_ATTR_FILESYSTEM | WMDM_STORAGE_ATTR_CANEDITMETADATA},
      {{W("Internal Memory"), W("Music"), W("three.wav")},
       WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_AUDIO | WMDM_FILE_ATTR_MUSIC | WMDM_FILE_ATTR_CANPLAY |
           WMDM_FILE_ATTR_CANDELETE | WMDM_FILE_ATTR_CANRENAME,
       WMDM_FILE_ATTR_FOLDER | WMDM_STORAGE_ATTR_CANEDITMETADATA},
      {{W("Internal Memory"), W("System")}, WMDM_FILE_ATTR_FOLDER | WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_SYSTEM, 0},
      {{W("Internal Memory"), W("Playlists"), W("Run.pla")}, WMDM_FILE_ATTR_FILE, WMDM_FILE_ATTR_AUDIO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(wide::ToUtf8(c.path.back()));
    auto storage = StorageAt(W("Pocket 20"), c.path);
    ASSERT_TRUE(storage);
    DWORD attributes = 0;
    ASSERT_EQ(storage->GetAttributes(&attributes, nullptr), S_OK);
    EXPECT_EQ(attributes & c.present, c.present);
    EXPECT_EQ(attributes & c.absent, 0u);
  }
}

TEST_F(StorageTest, FileFactsComeBackAsWritten) {
  auto one = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
  ASSERT_TRUE(one);
  DWORD attributes = 0;
  _WAVEFORMATEX format = {};
  ASSERT_EQ(one->GetAttributes(&attributes, &format), S_OK);
  EXPECT_EQ(format.wFormatTag, 0x55);
  EXPECT_EQ(format.nSamplesPerSec, 44100u);
  EXPECT_EQ(format.wBitsPerSample, 16);
  DWORD low = 0, high = 99;
  ASSERT_EQ(one->GetSize(&low, &high), S_OK);
  EXPECT_EQ(low, 1000u);
  EXPECT_EQ(high, 0u);
  WMDMDATETIME date = {};
  ASSERT_EQ(one->GetDate(&date), S_OK);
  EXPECT_EQ(date.wYear, 2004);
  EXPECT_EQ(date.wSecond, 5);
}

TEST_F(StorageTest, ParentsLeadUpToTheMediumRoot) {
  ComPtr<IWMDMStorage4> current = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
  std::vector<WString> chain;
  for (;;) {
    ComPtr<IWMDMStorage> parent;
    const HRESULT result = current->GetParent(&parent);
    if (result != S_OK) {
      EXPECT_EQ(result, S_FALSE);
      EXPECT_EQ(parent.Get(), nullptr);
      break;
    }
    chain.push_back(NameOf(parent.Get()));
    ASSERT_EQ(parent.As(&current), S_OK);
  }
  EXPECT_EQ(chain, (std::vector<WString>{W("Album"), W("Music"), W("Internal Memory")}));
}

TEST_F(StorageTest, EnumerationPreferenceStaysRaw) {
  auto music = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music")});
  struct Case { WMDM_STORAGE_ENUM_MODE mode; HRESULT expected; WMDM_STORAGE_ENUM_MODE after; };
  const Case cases[] = {{ENUM_MODE_RAW, S_OK, ENUM_MODE_RAW},
                        {ENUM_MODE_USE_DEVICE_PREF, S_OK, ENUM_MODE_RAW},
                        {ENUM_MODE_METADATA_VIEWS, WMDM_E_NOTSUPPORTED, ENUM_MODE_METADATA_VIEWS}};
  for (const Case& c : cases) {
    WMDM_STORAGE_ENUM_MODE mode = c.mode;
    EXPECT_EQ(music->SetEnumPreference(&mode, 0, nullptr), c.expected);
    EXPECT_EQ(mode, c.after);
  }
  EXPECT_EQ(music->SetEnumPreference(nullptr, 0, nullptr), E_INVALIDARG);
}

TEST_F(StorageTest, GlobalsReportTheMediumInHalves) {
  auto root = StorageAt(W("Pocket 20"), {W("Internal Memory")});
  auto deep = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("three.wav")});
  for (IWMDMStorage4* storage : {root.Get(), deep.Get()}) {
    ComPtr<IWMDMStorageGlobals> globals;
    ASSERT_EQ(storage->GetStorageGlobals(&globals), S_OK);
    DWORD low = 0, high = 0;
    ASSERT_EQ(globals->GetTotalSize(&low, &high), S_OK);
    EXPECT_EQ(high, 1u);
    EXPECT_EQ(low, 4096u);
    ASSERT_EQ(globals->GetTotalFree(&low, &high), S_OK);
    const ULONGLONG used = 1000 + 2000 + 3000 + 10;
    EXPECT_EQ((static_cast<ULONGLONG>(high) << 32) | low, SmallModel::kInternalSize - used);
    DWORD status = 0, capabilities = 0;
    ASSERT_EQ(globals->GetStatus(&status), S_OK);
    EXPECT_EQ(status, WMDM_STATUS_READY);
    ASSERT_EQ(globals->GetCapabilities(&capabilities), S_OK);
    EXPECT_EQ(capabilities & WMDM_STORAGECAP_FOLDERSINFOLDERS, WMDM_STORAGECAP_FOLDERSINFOLDERS);
    WMDMID serial = {};
    ASSERT_EQ(globals->GetSerialNumber(&serial, nullptr), S_OK);
    EXPECT_EQ(serial.SerialNumberLength, 2u);
  }
  Model().SetMediumStatus(players_.internal, WMDM_STATUS_BUSY);
  ComPtr<IWMDMStorageGlobals> globals;
  ASSERT_EQ(root->GetStorageGlobals(&globals), S_OK);
  DWORD status = 0;
  ASSERT_EQ(globals->GetStatus(&status), S_OK);
  EXPECT_EQ(status, WMDM_STATUS_BUSY);
}

TEST_F(StorageTest, MetadataIsACopyOfTheTags) {
  auto one = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
  ComPtr<IWMDMMetaData> metadata;
  ASSERT_EQ(one->GetMetadata(&metadata), S_OK);
  UINT count = 0;
  ASSERT_EQ(metadata->GetItemCount(&count), S_OK);
  EXPECT_EQ(count, 2u);

  WCHAR* name = nullptr;
  BYTE* value = nullptr;
  WMDM_TAG_DATATYPE type = WMDM_TYPE_BINARY;
  UINT length = 0;
  ASSERT_EQ(metadata->QueryByIndex(0, &name, &type, &value, &length), S_OK);
  EXPECT_EQ(WString(name), g_wszWMDMTitle);
  EXPECT_EQ(type, WMDM_TYPE_STRING);
  EXPECT_EQ(length, 8u) << "\"One\" and its terminator, two bytes each";
  EXPECT_EQ(WString(reinterpret_cast<WCHAR*>(value)), W("One"));
  CoTaskMemFree(name);
  CoTaskMemFree(value);
  EXPECT_EQ(metadata->QueryByIndex(2, &name, &type, &value, &length), E_INVALIDARG);
  EXPECT_EQ(metadata->QueryByName(g_wszWMDMGenre, &type, &value, &length), E_INVALIDARG);

  DWORD genre = 3;
  ASSERT_EQ(metadata->AddItem(WMDM_TYPE_DWORD, W("WMDM/Custom"), reinterpret_cast<BYTE*>(&genre), 4), S_OK);
  EXPECT_EQ(Model().Inspect(players_.one)->tags.size(), 2u) << "the bag is a copy until written back";
  ASSERT_EQ(one->SetMetadata(metadata.Get()), S_OK);
  EXPECT_EQ(Model().Inspect(players_.one)->tags.size(), 3u);
}

// A store is asked once for what it reads late, however often a client
// reads the tags and the format afterwards.
TEST_F(StorageTest, TagsAndFormatReadLateAreReadOnce) {
  auto store = std::make_shared<CountingStore>();
  const ObjectId medium = Model().AddMedium(players_.generic, SmallModel::Medium(W("Late"), 1 << 20, true),
                                            PlayerModel::Arrival::Announced, store);
  FileDescription file = SmallModel::File(W("late.mp3"), 100, W(""));
  file.detailsPending = true;
  file.formatPending = true;
  Model().AddFile(medium, file);
  auto late = StorageAt(W("Generic Player"), {W("Late"), W("late.mp3")});
  ASSERT_TRUE(late);
  for (int read = 1; read <= 2; ++read) {
    SCOPED_TRACE(testing::Message() << "read " << read);
    ComPtr<IWMDMMetaData> metadata;
    ASSERT_EQ(late->GetMetadata(&metadata), S_OK);
    UINT count = 0;
    ASSERT_EQ(metadata->GetItemCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
    BYTE* value = nullptr;
    UINT length = 0;
    ASSERT_EQ(metadata->QueryByName(g_wszWMDMTitle, &type, &value, &length), S_OK);
    EXPECT_EQ(WString(reinterpret_cast<WCHAR*>(value)), W("Read late"));
    CoTaskMemFree(value);
    DWORD attributes = 0;
    _WAVEFORMATEX format = {};
    ASSERT_EQ(late->GetAttributes(&attributes, &format), S_OK);
    EXPECT_EQ(format.nSamplesPerSec, 22050u);
  }
  EXPECT_EQ(store->detailLoads, 1);
  EXPECT_EQ(store->formatLoads, 1);
}

}  // namespace
}  // namespace wmdm_standin
