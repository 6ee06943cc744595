#include <filesystem>
#include <fstream>

#include "content_source.h"
#include "standin_fixture.h"
#include "storage.h"

namespace wmdm_standin {
namespace {

using testing_support::RecordingProgress;
using testing_support::StandInTest;

constexpr UINT kBlockFileInto = WMDM_MODE_BLOCK | WMDM_CONTENT_FILE | WMDM_STORAGECONTROL_INSERTINTO;
constexpr UINT kBlockFolder = WMDM_MODE_BLOCK | WMDM_CONTENT_FOLDER;
constexpr UINT kBlockFile = WMDM_MODE_BLOCK | WMDM_CONTENT_FILE;

// A file on the computer for Insert to copy, removed with the test.
class SourceFile {
 public:
  SourceFile(const char* name, size_t size) {
    path_ = std::filesystem::temp_directory_path() / ("standin_" + std::to_string(size) + "_" + name);
    std::ofstream out(path_, std::ios::binary);
    for (size_t i = 0; i < size; ++i) {
      bytes_.push_back(static_cast<BYTE>(i * 7));
      out.put(static_cast<char>(bytes_.back()));
    }
  }
  ~SourceFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  WString Path() const { return wide::FromUtf8(path_.u8string()); }
  const std::vector<BYTE>& Bytes() const { return bytes_; }

 private:
  std::filesystem::path path_;
  std::vector<BYTE> bytes_;
};

class StorageControlTest : public StandInTest {
 protected:
  ComPtr<IWMDMStorageControl3> ControlAt(const std::vector<WString>& path) {
    ComPtr<IWMDMStorageControl3> control;
    auto storage = StorageAt(W("Pocket 20"), path);
    EXPECT_TRUE(storage && storage.As(&control) == S_OK);
    return control;
  }
  // A metadata bag made on `on`, holding the given DWORD and string tags.
  static ComPtr<IWMDMMetaData> NewMetadata(IWMDMStorageControl3* on, std::vector<std::pair<const WCHAR*, DWORD>> dwords,
                                           std::vector<std::pair<const WCHAR*, WString>> texts = {}) {
    ComPtr<IWMDMStorage3> storage;
    ComPtr<IWMDMMetaData> metadata;
    EXPECT_EQ(ComPtr<IWMDMStorageControl3>(on).As(&storage), S_OK);
    EXPECT_EQ(storage->CreateEmptyMetadataObject(&metadata), S_OK);
    for (auto& [name, value] : dwords)
      EXPECT_EQ(metadata->AddItem(WMDM_TYPE_DWORD, name, reinterpret_cast<BYTE*>(&value), sizeof(value)), S_OK);
    for (auto& [name, text] : texts)
      EXPECT_EQ(metadata->AddItem(WMDM_TYPE_STRING, name, reinterpret_cast<BYTE*>(&text[0]),
                                  static_cast<UINT>((text.size() + 1) * sizeof(WCHAR))),
                S_OK);
    return metadata;
  }
  static ULONGLONG SizeOf(IWMDMStorage* storage) {
    DWORD low = 0, high = 0;
    const HRESULT result = storage->GetSize(&low, &high);
    return result == S_OK ? (ULONGLONG{high} << 32) | low : ~0ull;
  }
  std::vector<WString> Children(ObjectId folder) { return Model().Inspect(folder)->children; }
};

using Calls = std::vector<std::string>;

TEST_F(StorageControlTest, Insert3CopiesTheFileWithItsMetadata) {
  SourceFile source("track.mp3", 100);
  auto album = ControlAt({W("Internal Memory"), W("Music"), W("Album")});
  auto metadata = NewMetadata(album.Get(), {{g_wszWMDMTrack, 4}, {g_wszWMDMFormatCode, WMDM_FORMATCODE_MP3}},
                              {{g_wszWMDMTitle, W("Blue Line")}});
  const ULONGLONG freeBefore = Model().FreeSpace(players_.internal);
  const ComPtr<RecordingProgress> progress = MakeComObject<RecordingProgress>();

  ComPtr<IWMDMStorage> created;
  WString destination = W("Blue Line.mp3"), path = source.Path();
  ASSERT_EQ(album->Insert3(kBlockFileInto, 0, &path[0], &destination[0], nullptr, progress.Get(), metadata.Get(),
                           nullptr, &created),
            S_OK);
  ASSERT_TRUE(created);
  EXPECT_EQ(NameOf(created.Get()), W("Blue Line.mp3"));
  EXPECT_EQ(SizeOf(created.Get()), 100u);
  EXPECT_EQ(Model().FreeSpace(players_.internal), freeBefore - 100);
  const ObjectId id = Model().Find(players_.pocket, W("Internal Memory\\Music\\Album\\Blue Line.mp3"));
  EXPECT_EQ(Model().Inspect(id)->bytes, source.Bytes());
  EXPECT_EQ(progress->calls, (Calls{"Begin", "Progress", "Progress", "End"}));
  EXPECT_EQ(progress->lastTicks, progress->estimated);
  EXPECT_EQ(progress->References(), 1u) << "the platform keeps no reference to the progress object";

  // The tags read back through the new storage's metadata.
  ComPtr<IWMDMStorage3> created3;
  ASSERT_EQ(created.As(&created3), S_OK);
  ComPtr<IWMDMMetaData> readBack;
  ASSERT_EQ(created3->GetMetadata(&readBack), S_OK);
  WMDM_TAG_DATATYPE type = WMDM_TYPE_BINARY;
  BYTE* value = nullptr;
  UINT length = 0;
  ASSERT_EQ(readBack->QueryByName(g_wszWMDMTitle, &type, &value, &length), S_OK);
  EXPECT_EQ(type, WMDM_TYPE_STRING);
  EXPECT_EQ(WString(reinterpret_cast<WCHAR*>(value)), W("Blue Line"));
  CoTaskMemFree(value);
  ASSERT_EQ(readBack->QueryByName(g_wszWMDMTrack, &type, &value, &length), S_OK);
  EXPECT_EQ(type, WMDM_TYPE_DWORD);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(*reinterpret_cast<DWORD*>(value), 4u);
  CoTaskMemFree(value);
}

TEST_F(StorageControlTest, InsertNamesTheFileAfterItsSource) {
  SourceFile source("plain.wma", 10);
  auto music = ControlAt({W("Internal Memory"), W("Music")});
  ComPtr<IWMDMStorage> created;
  WString path = source.Path();
  ASSERT_EQ(music->Insert(kBlockFileInto, &path[0], nullptr, nullptr, &created), S_OK);
  EXPECT_EQ(NameOf(created.Get()), FileNameOf(path));
  EXPECT_EQ(Children(players_.music).back(), NameOf(created.Get()));
}

TEST_F(StorageControlTest, FoldersAndAbstractPlaylistsNeedNoSourceFile) {
  auto root = ControlAt({W("Internal Memory")});
  ComPtr<IWMDMStorage> folder, playlist;
  WString name = W("New"), playlistName = W("Morning.pla");
  ASSERT_EQ(root->Insert(kBlockFolder, &name[0], nullptr, nullptr, &folder), S_OK);
  DWORD attributes = 0;
  ASSERT_EQ(folder->GetAttributes(&attributes, nullptr), S_OK);
  EXPECT_TRUE(attributes & WMDM_FILE_ATTR_FOLDER);
  EXPECT_EQ(root->Insert(kBlockFolder, &name[0], nullptr, nullptr, &folder), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));

  auto metadata = NewMetadata(root.Get(), {{g_wszWMDMFormatCode, WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST}});
  ASSERT_EQ(root->Insert3(kBlockFile, 0, nullptr, &playlistName[0], nullptr, nullptr, metadata.Get(), nullptr,
                          &playlist),
            S_OK);
  const auto info = Model().Inspect(Model().Find(players_.pocket, W("Internal Memory\\Morning.pla")));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->size, 0u);
  DWORD code = 0;
  ASSERT_EQ(info->tags.size(), 1u);
  EXPECT_TRUE(info->tags[0].AsDword(&code));
  EXPECT_EQ(code, 0xBA05u);
}

TEST_F(StorageControlTest, InsertRefusesWhatThePlatformRefuses) {
  SourceFile source("new.mp3", 70000);
  auto card = ControlAt({W("Storage Card")});
  auto file = ControlAt({W("Internal Memory"), W("Music"), W("three.wav")});
  auto untyped = NewMetadata(card.Get(), {}, {{g_wszWMDMTitle, W("no format code")}});
  WString path = source.Path(), missing = W("/no/such/dir/missing.mp3"), existing = W("Podcast.MP3"),
          bad = W("a\\b.mp3");
  IWMDMStorageControl3* const onCard = card.Get();
  struct Case { const char* what; IWMDMStorageControl3* target; UINT mode; WCHAR* source, *destination;
                IWMDMMetaData* metadata; HRESULT expected; };
  const HRESULT invalid = E_INVALIDARG, notFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                exists = HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
  const Case cases[] = {
      {"neither block nor thread", onCard, WMDM_CONTENT_FILE, &path[0], nullptr, nullptr, invalid},
      {"file and folder at once", onCard, kBlockFile | WMDM_CONTENT_FOLDER, &path[0], nullptr, nullptr, invalid},
      {"two placements", onCard, kBlockFileInto | WMDM_STORAGECONTROL_INSERTAFTER, &path[0], nullptr, nullptr, invalid},
      {"into a file", file.Get(), kBlockFileInto, &path[0], nullptr, nullptr, invalid},
      {"no such source", onCard, kBlockFileInto, &missing[0], nullptr, nullptr, notFound},
      {"no source, no metadata", onCard, kBlockFile, nullptr, &existing[0], nullptr, invalid},
      {"metadata without a format code", onCard, kBlockFile, nullptr, &existing[0], untyped.Get(), invalid},
      {"a name with a separator", onCard, kBlockFileInto, &path[0], &bad[0], nullptr, invalid},
      {"an existing name", onCard, kBlockFileInto, &path[0], &existing[0], nullptr, exists},
      {"no room", onCard, kBlockFileInto, &path[0], nullptr, nullptr, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IWMDMStorage> created;
    EXPECT_EQ(c.target->Insert3(c.mode, 0, c.source, c.destination, nullptr, nullptr, c.metadata, nullptr, &created),
              c.expected);
    EXPECT_EQ(created.Get(), nullptr);
  }
  EXPECT_EQ(Children(players_.card), (std::vector<WString>{W("Podcast.mp3")}));
}

TEST_F(StorageControlTest, OverwriteReplacesTheFileInPlace) {
  SourceFile source("again.mp3", 20);
  auto album = ControlAt({W("Internal Memory"), W("Music"), W("Album")});
  auto oldOne = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
  WString path = source.Path(), name = W("one.mp3");
  ComPtr<IWMDMStorage> created;
  ASSERT_EQ(album->Insert3(kBlockFileInto | WMDM_FILE_CREATE_OVERWRITE, 0, &path[0], &name[0], nullptr, nullptr,
                           nullptr, nullptr, &created),
            S_OK);
  EXPECT_EQ(Children(players_.album), (std::vector<WString>{W("one.mp3"), W("two.wma")}));
  DWORD low = 0, high = 0;
  EXPECT_EQ(oldOne->GetSize(&low, &high), WMDM_E_INTERFACEDEAD);
  EXPECT_EQ(SizeOf(created.Get()), 20u);
}

TEST_F(StorageControlTest, DeleteNeedsRecursionForAFolderWithContent) {
  auto music = ControlAt({W("Internal Memory"), W("Music")});
  const ComPtr<RecordingProgress> progress = MakeComObject<RecordingProgress>();
  EXPECT_EQ(music->Delete(WMDM_MODE_BLOCK, progress.Get()), HRESULT_FROM_WIN32(145));  // ERROR_DIR_NOT_EMPTY
  EXPECT_FALSE(Model().Inspect(players_.music)->deleted);
  EXPECT_EQ(progress->calls, (Calls{"Begin", "Progress", "End"}));

  ASSERT_EQ(music->Delete(WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE, nullptr), S_OK);
  for (ObjectId id : {players_.music, players_.album, players_.one, players_.three})
    EXPECT_TRUE(Model().Inspect(id)->deleted) << id;
  EXPECT_EQ(Children(players_.internal), (std::vector<WString>{W("Playlists"), W("System")}));

  auto empty = ControlAt({W("Internal Memory"), W("Playlists"), W("Run.pla")});
  EXPECT_EQ(empty->Delete(WMDM_MODE_BLOCK, nullptr), S_OK);
  EXPECT_EQ(Children(players_.playlists), std::vector<WString>());
}

// Both ways of wiping a medium empty it and free all its room; the root
// stays usable. A fault answers before the progress object hears anything;
// a refusal met after Begin still ends the run.
TEST_F(StorageControlTest, WipingAMediumEndsEveryRunItBegan) {
  using Wipe = HRESULT (*)(IWMDMStorage4* root, IWMDMProgress* progress);
  const struct { const char* method; ObjectKind kind; Wipe run; } wipes[] = {
      {"Delete", ObjectKind::Storage,
       [](IWMDMStorage4* root, IWMDMProgress* progress) {
         ComPtr<IWMDMStorageControl> control;
         RETURN_IF_FAILED(ComPtr<IWMDMStorage4>(root).As(&control));
         return control->Delete(WMDM_MODE_BLOCK, progress);
       }},
      {"Initialize", ObjectKind::StorageGlobals,
       [](IWMDMStorage4* root, IWMDMProgress* progress) {
         ComPtr<IWMDMStorageGlobals> globals;
         RETURN_IF_FAILED(root->GetStorageGlobals(&globals));
         return globals->Initialize(WMDM_MODE_BLOCK, progress);
       }},
  };
  auto root = StorageAt(W("Pocket 20"), {W("Storage Card")});
  for (const auto& wipe : wipes) {
    SCOPED_TRACE(wipe.method);
    Model().Faults().Inject(wipe.kind, wipe.method, WMDM_E_INTERFACEDEAD, 1, players_.card);
    const ComPtr<RecordingProgress> faulted = MakeComObject<RecordingProgress>();
    EXPECT_EQ(wipe.run(root.Get(), faulted.Get()), WMDM_E_INTERFACEDEAD);
    EXPECT_TRUE(faulted->calls.empty());

    ASSERT_TRUE(Model().SetMediumStatus(players_.card, WMDM_STATUS_READY | WMDM_STATUS_BUSY));
    const ComPtr<RecordingProgress> busy = MakeComObject<RecordingProgress>();
    EXPECT_EQ(wipe.run(root.Get(), busy.Get()), WMDM_E_BUSY);
    EXPECT_EQ(busy->calls, (Calls{"Begin", "Progress", "End"}));
    EXPECT_EQ(busy->References(), 1u) << "no reference kept after a blocking call";
    EXPECT_EQ(Children(players_.card), std::vector<WString>{W("Podcast.mp3")});
    ASSERT_TRUE(Model().SetMediumStatus(players_.card, WMDM_STATUS_READY));
  }
  ComPtr<IWMDMStorageGlobals> globals;
  ASSERT_EQ(root->GetStorageGlobals(&globals), S_OK);
  EXPECT_EQ(globals->Initialize(0, nullptr), E_INVALIDARG) << "neither block nor thread";
  for (const auto& wipe : wipes) {
    SCOPED_TRACE(wipe.method);
    ASSERT_TRUE(Model().SetMediumStatus(players_.card, WMDM_STATUS_READY));
    const ComPtr<RecordingProgress> progress = MakeComObject<RecordingProgress>();
    ASSERT_EQ(wipe.run(root.Get(), progress.Get()), S_OK);
    EXPECT_TRUE(Children(players_.card).empty());
    EXPECT_EQ(Model().FreeSpace(players_.card), 64u * 1024);
    EXPECT_EQ(progress->calls, (Calls{"Begin", "Progress", "Progress", "End"}));
    EXPECT_EQ(NameOf(ComPtr<IWMDMStorage>(root).Get()), W("Storage Card")) << "the root itself stays usable";
  }
}

TEST_F(StorageControlTest, RenameKeepsNamesUniqueAmongSiblings) {
  auto one = ControlAt({W("Internal Memory"), W("Music"), W("Album"), W("one.mp3")});
  WString clash = W("TWO.WMA");
  WString bad = W("x/y.mp3");
  WString fine = W("uno.mp3");
  EXPECT_EQ(one->Rename(WMDM_MODE_BLOCK, &clash[0], nullptr), HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(one->Rename(WMDM_MODE_BLOCK, &bad[0], nullptr), E_INVALIDARG);
  EXPECT_EQ(one->Rename(WMDM_MODE_BLOCK, nullptr, nullptr), E_INVALIDARG);
  ASSERT_EQ(one->Rename(WMDM_MODE_BLOCK, &fine[0], nullptr), S_OK);
  EXPECT_EQ(Children(players_.album), (std::vector<WString>{W("uno.mp3"), W("two.wma")}));
  auto renamed = StorageAt(W("Pocket 20"), {W("Internal Memory"), W("Music"), W("Album"), W("uno.mp3")});
  ASSERT_TRUE(renamed) << "found again under its new name";
  EXPECT_EQ(NameOf(renamed.Get()), W("uno.mp3"));
}

TEST_F(StorageControlTest, ACancelledTransferLeavesNothingBehind) {
  SourceFile source("cancel.mp3", 30);
  auto music = ControlAt({W("Internal Memory"), W("Music")});
  const ComPtr<RecordingProgress> progress = MakeComObject<RecordingProgress>();
  progress->cancel = true;
  WString path = source.Path();
  ComPtr<IWMDMStorage> created;
  EXPECT_EQ(music->Insert(kBlockFileInto, &path[0], nullptr, progress.Get(), &created), WMDM_E_USER_CANCELLED);
  EXPECT_EQ(created.Get(), nullptr);
  EXPECT_EQ(Children(players_.music), (std::vector<WString>{W("Album"), W("three.wav")}));
  EXPECT_EQ(progress->calls.back(), "End");
}

}  // namespace
}  // namespace wmdm_standin
