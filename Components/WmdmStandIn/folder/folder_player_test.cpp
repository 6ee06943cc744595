#include "folder_player.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include <com_ptr.h>
#include <mswmdm.h>

#include "folder_test_support.h"
#include "m3u8.h"
#include "registration.h"
#include "test_tracks.h"

namespace wmdm_standin {
namespace {

using testing_support::TemporaryFolder;
using testing_support::WriteLimitGuard;

constexpr UINT kFileInto = WMDM_MODE_BLOCK | WMDM_CONTENT_FILE | WMDM_STORAGECONTROL_INSERTINTO;
constexpr UINT kFolderInto = WMDM_MODE_BLOCK | WMDM_CONTENT_FOLDER | WMDM_STORAGECONTROL_INSERTINTO;
const HRESULT kInvalidName = HRESULT_FROM_WIN32(123);

WString Wide(const std::string& text) { return wide::FromUtf8(text); }

class FolderPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(player_.Path().empty());
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }

  void TearDown() override {
    medium_.Reset();
    manager_.Reset();
    registration_.Revoke();
    model_->Events().Flush();
    EXPECT_EQ(LiveComObjects(), 0) << "a stand-in object was not released";
    CoUninitialize();
  }

  // The folder as it is now becomes the player, offered as the device manager.
  void Open() {
    device_ = AddFolderPlayer(*model_, player_.Path());
    ASSERT_NE(device_, 0u);
    ASSERT_EQ(registration_.Register(model_), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_MediaDevMgr, nullptr, CLSCTX_ALL, IID_IWMDeviceManager3, manager_.AsVoidOut()),
              S_OK);
    ComPtr<IWMDMEnumDevice> devices;
    ComPtr<IWMDMDevice> device;
    ComPtr<IWMDMEnumStorage> media;
    ULONG fetched = 0;
    ASSERT_EQ(manager_->EnumDevices2(&devices), S_OK);
    ASSERT_EQ(devices->Next(1, &device, &fetched), S_OK);
    ASSERT_EQ(device->EnumStorage(&media), S_OK);
    ASSERT_EQ(media->Next(1, &medium_, &fetched), S_OK);
    WCHAR name[260] = {};
    ASSERT_EQ(medium_->GetName(name, 260), S_OK);
    mediumName_ = name;
  }
  // The folder made a player again in a new model: nothing of it read yet.
  void Reopen() {
    medium_.Reset();
    manager_.Reset();
    registration_.Revoke();
    model_->Events().Flush();
    model_ = PlayerModel::Create();
    Open();
  }

  // A storage by its "/"-separated path below the medium's root ("" the root).
  ComPtr<IWMDMStorage4> At(const std::string& relative) {
    ComPtr<IWMDMStorage> current = medium_;
    std::stringstream parts(relative);
    std::string part;
    while (current && std::getline(parts, part, '/')) {
      ComPtr<IWMDMStorage2> parent;
      ComPtr<IWMDMStorage> child;
      if (current.As(&parent) != S_OK || parent->GetStorage(Wide(part).c_str(), &child) != S_OK) return nullptr;
      current = child;
    }
    ComPtr<IWMDMStorage4> storage;
    if (current) {
      EXPECT_EQ(current.As(&storage), S_OK);
    }
    return storage;
  }
  ComPtr<IWMDMStorageControl3> ControlAt(const std::string& relative) {
    ComPtr<IWMDMStorageControl3> control;
    auto storage = At(relative);
    EXPECT_TRUE(storage && storage.As(&control) == S_OK) << relative;
    return control;
  }
  ObjectId Find(const std::string& relative) {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return model_->Find(device_, mediumName_ + (path.empty() ? WString() : W("\\") + Wide(path)));
  }
  std::vector<WString> ChildrenOf(const std::string& relative) { return model_->Inspect(Find(relative))->children; }

  ComPtr<IWMDMMetaData> Metadata(DWORD formatCode, const std::vector<std::pair<const WCHAR*, WString>>& texts,
                                 DWORD track = 0) {
    ComPtr<IWMDMMetaData> metadata;
    EXPECT_EQ(At("")->CreateEmptyMetadataObject(&metadata), S_OK);
    EXPECT_EQ(metadata->AddItem(WMDM_TYPE_DWORD, g_wszWMDMFormatCode, reinterpret_cast<BYTE*>(&formatCode), 4), S_OK);
    if (track) {
      EXPECT_EQ(metadata->AddItem(WMDM_TYPE_DWORD, g_wszWMDMTrack, reinterpret_cast<BYTE*>(&track), 4), S_OK);
    }
    for (const auto& [name, text] : texts)
      EXPECT_EQ(metadata->AddItem(WMDM_TYPE_STRING, name, reinterpret_cast<BYTE*>(const_cast<WCHAR*>(text.c_str())),
                                  static_cast<UINT>((text.size() + 1) * sizeof(WCHAR))),
                S_OK);
    return metadata;
  }

  // An empty playlist made through Insert3 in `folder`, as a client makes one.
  ComPtr<IWMDMStorage4> NewPlaylist(const std::string& folder, const std::string& name) {
    auto metadata = Metadata(WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST, {});
    WString text = Wide(name);
    ComPtr<IWMDMStorage> created;
    ComPtr<IWMDMStorage4> playlist;
    auto control = ControlAt(folder);
    EXPECT_TRUE(control && control->Insert3(kFileInto, 0, nullptr, &text[0], nullptr, nullptr, metadata.Get(),
                                            nullptr, &created) == S_OK)
        << name;
    if (created) {
      EXPECT_EQ(created.As(&playlist), S_OK);
    }
    return playlist;
  }

  // Sends `bytes` (kept in a folder of their own) into `folder` as `name`.
  HRESULT Send(const std::string& folder, const std::string& name, const std::string& bytes,
               IWMDMMetaData* metadata = nullptr, UINT extraMode = 0) {
    WString source = Wide(computer_.Write("source-" + std::to_string(++sent_), bytes));
    WString destination = Wide(name);
    auto control = ControlAt(folder);
    if (!control) return E_FAIL;
    ComPtr<IWMDMStorage> created;
    return control->Insert3(kFileInto | extraMode, 0, &source[0], &destination[0], nullptr, nullptr, metadata, nullptr,
                            &created);
  }

  HRESULT MakeFolder(const std::string& parent, const std::string& name) {
    WString text = Wide(name);
    ComPtr<IWMDMStorage> created;
    auto control = ControlAt(parent);
    return control ? control->Insert3(kFolderInto, 0, nullptr, &text[0], nullptr, nullptr, nullptr, nullptr, &created)
                   : E_FAIL;
  }

  ComPtr<IWMDMMetaData> Bag(const std::string& relative) {
    ComPtr<IWMDMMetaData> bag;
    auto storage = At(relative);
    EXPECT_TRUE(storage && storage->GetMetadata(&bag) == S_OK) << relative;
    return bag;
  }
  // A text tag's value, "(none)" when the bag has no such text.
  static WString StringTag(IWMDMMetaData* bag, const WCHAR* name) {
    WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
    BYTE* value = nullptr;
    UINT length = 0;
    WString text = W("(none)");
    if (SUCCEEDED(bag->QueryByName(name, &type, &value, &length)) && type == WMDM_TYPE_STRING)
      text.assign(reinterpret_cast<const WCHAR*>(value), length / sizeof(WCHAR) - 1);
    CoTaskMemFree(value);
    return text;
  }
  static DWORD DwordTag(IWMDMMetaData* bag, const WCHAR* name) {
    WMDM_TAG_DATATYPE type = WMDM_TYPE_STRING;
    BYTE* value = nullptr;
    UINT length = 0;
    DWORD number = 0;
    if (SUCCEEDED(bag->QueryByName(name, &type, &value, &length)) && type == WMDM_TYPE_DWORD && length == 4)
      std::memcpy(&number, value, sizeof number);
    CoTaskMemFree(value);
    return number;
  }
  void Retitle(const std::string& relative, const char* title) {
    TagLib::FileRef file((player_.Path() + "/" + relative).c_str());
    ASSERT_FALSE(file.isNull());
    file.tag()->setTitle(TagLib::String(title));
    ASSERT_TRUE(file.save());
  }

  std::vector<WString> ReferencesOf(const std::string& playlist) {
    std::vector<WString> names;
    const auto info = model_->Inspect(Find(playlist));
    if (!info) return {W("<no playlist>")};
    for (ObjectId id : info->references) names.push_back(model_->Inspect(id)->name);
    return names;
  }

  // What a player other than this one makes of a playlist: each entry as
  // the file it names below the medium ("-" and the location when none),
  // a tab, its title.
  std::vector<std::string> ReadAsOthersDo(const std::string& playlist) {
    const std::string command = std::string("python3 '") + MD_M3U_READER + "' '" + player_.Path() + "' '" +
                                player_.Path() + "/" + playlist + "'";
    std::vector<std::string> lines;
    FILE* output = popen(command.c_str(), "r");
    if (!output) return {"<no reader>"};
    char line[4096];
    while (fgets(line, sizeof line, output)) lines.emplace_back(line, strcspn(line, "\n"));
    EXPECT_EQ(pclose(output), 0) << command;
    return lines;
  }

  // The medium the hand-made playlists in fixtures/playlists were made for,
  // its tracks real files of the shared corpus; false when there is none,
  // which fails the test: a missing corpus must not pass as a skip.
  bool LayOutHandMadeMedium() {
    const std::string corpus = MD_AUDIO_CORPUS;
    if (!std::filesystem::exists(corpus + "/SOURCES.md")) return false;
    const std::pair<const char*, const char*> tracks[] = {
        {"Music/Harbour Lights/01 Bell.mp3", "silence-44-s.mp3"},
        {"Music/Harbour Lights/02 Fog Horn.flac", "silence-44-s.flac"},
        {"Music/Harbour Lights/03 Gulls.ogg", "multipagecomment.ogg"},
        {"Music/Caf\xC3\xA9 Tacuba/D\xC3\xA9j\xC3\xA0 vu.mp3", "lame.mp3"},
        {"Music/Misc/Rain.wav", "silence-2s-PCM-44100-16-ID3v23.wav"},
        {"Music/Misc/Night Train.m4a", "has-tags.m4a"},
    };
    for (const auto& [place, source] : tracks) {
      player_.MakeFolder(std::filesystem::path(place).parent_path().string());
      std::filesystem::copy_file(corpus + "/" + source, player_.Path() + "/" + place);
      // The corpus is kept read-only; the copies are the player's to change.
      std::filesystem::permissions(player_.Path() + "/" + place, std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add);
    }
    for (const char* list : {"Evening walk.m3u8", "Viejos tiempos.m3u"}) {
      player_.MakeFolder("Playlists");
      std::filesystem::copy_file(std::string(MD_FIXTURES_DIR) + "/playlists/" + list,
                                 player_.Path() + "/Playlists/" + list);
    }
    return true;
  }
  std::string Fixture(const char* list) {
    std::ifstream in(std::string(MD_FIXTURES_DIR) + "/playlists/" + list, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  HRESULT RenameTo(const std::string& relative, const std::string& name) {
    WString text = Wide(name);
    auto control = ControlAt(relative);
    return control ? control->Rename(WMDM_MODE_BLOCK, &text[0], nullptr) : E_FAIL;
  }

  TemporaryFolder player_, computer_;
  std::shared_ptr<PlayerModel> model_ = PlayerModel::Create();
  DeviceManagerRegistration registration_;
  ComPtr<IWMDeviceManager3> manager_;
  ComPtr<IWMDMStorage> medium_;
  ObjectId device_ = 0;
  WString mediumName_;
  int sent_ = 0;
};

TEST_F(FolderPlayerTest, ListsTheFolderAsItIs) {
  player_.Write("Music/Album/a.mp3", test_tracks::Mp3(10));
  player_.Write("Music/b.wav", test_tracks::Wav(100));
  player_.Write("Music/F\xC3\xAAte/\xC3\xA9t\xC3\xA9.mp3", test_tracks::Mp3(2));
  player_.Write(".hidden", "x");
  player_.Write(".mdsend-1-1-cut.mp3", "a send cut short");
  player_.Write("locked.mp3", test_tracks::Mp3(1));
  chmod((player_.Path() + "/locked.mp3").c_str(), 0444);
  Open();

  EXPECT_EQ(ChildrenOf(""), (std::vector<WString>{W(".hidden"), W("locked.mp3"), W("Music")}));
  EXPECT_EQ(ChildrenOf("Music"), (std::vector<WString>{W("Album"), W("b.wav"), Wide("F\xC3\xAAte")}));
  EXPECT_EQ(model_->Inspect(Find("Music/Album/a.mp3"))->size, 4170u);
  EXPECT_NE(Find("Music/F\xC3\xAAte/\xC3\xA9t\xC3\xA9.mp3"), 0u);
  // A read-only file is reported so, and stays when deleted.
  const DWORD marks = WMDM_FILE_ATTR_MUSIC | WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_FOLDER | WMDM_FILE_ATTR_READONLY |
                      WMDM_FILE_ATTR_CANDELETE;
  std::vector<DWORD> marked;
  for (const char* name : {"Music/Album/a.mp3", ".hidden", "Music", "locked.mp3"})
    marked.push_back(model_->Inspect(Find(name))->attributes & marks);
  EXPECT_EQ(marked, (std::vector<DWORD>{WMDM_FILE_ATTR_MUSIC | WMDM_FILE_ATTR_CANDELETE,
                                        WMDM_FILE_ATTR_HIDDEN | WMDM_FILE_ATTR_CANDELETE,
                                        WMDM_FILE_ATTR_FOLDER | WMDM_FILE_ATTR_CANDELETE,
                                        WMDM_FILE_ATTR_MUSIC | WMDM_FILE_ATTR_READONLY}));
  EXPECT_EQ(ControlAt("locked.mp3")->Delete(WMDM_MODE_BLOCK, nullptr), E_ACCESSDENIED);
  EXPECT_TRUE(player_.Exists("locked.mp3"));

  // The file's date is its modification time, in UTC.
  WMDMDATETIME date = {};
  ASSERT_EQ(At("Music/b.wav")->GetDate(&date), S_OK);
  struct stat info = {};
  ASSERT_EQ(stat((player_.Path() + "/Music/b.wav").c_str(), &info), 0);
  EXPECT_EQ(date.wSecond, info.st_mtime % 60);
  EXPECT_EQ(date.wMinute, info.st_mtime / 60 % 60);

  // The medium's space is the file system's.
  ComPtr<IWMDMStorageGlobals> globals;
  ASSERT_EQ(medium_->GetStorageGlobals(&globals), S_OK);
  DWORD low = 0, high = 0;
  ASSERT_EQ(globals->GetTotalSize(&low, &high), S_OK);
  struct statvfs volume = {};
  ASSERT_EQ(statvfs(player_.Path().c_str(), &volume), 0);
  EXPECT_EQ((ULONGLONG{high} << 32) | low, ULONGLONG{volume.f_blocks} * volume.f_frsize);
  ASSERT_EQ(globals->GetTotalFree(&low, &high), S_OK);
  EXPECT_GT((ULONGLONG{high} << 32) | low, 0u);
}

// What a caller marks is what the player reports and obeys; a file stays a file.
TEST_F(FolderPlayerTest, SetAttributesMarksATrackButNeverMakesItAFolder) {
  player_.Write("a.mp3", test_tracks::Mp3(1));
  Open();
  const DWORD kind = WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_FOLDER | WMDM_FILE_ATTR_READONLY;
  ASSERT_EQ(At("a.mp3")->SetAttributes(WMDM_FILE_ATTR_FOLDER | WMDM_FILE_ATTR_READONLY, nullptr), S_OK);
  EXPECT_EQ(model_->Inspect(Find("a.mp3"))->attributes & kind, WMDM_FILE_ATTR_FILE | WMDM_FILE_ATTR_READONLY);
  EXPECT_EQ(ControlAt("a.mp3")->Delete(WMDM_MODE_BLOCK, nullptr), E_ACCESSDENIED);

  _WAVEFORMATEX format = {};
  format.wFormatTag = 1;
  format.nSamplesPerSec = 22050;
  ASSERT_EQ(At("a.mp3")->SetAttributes(WMDM_FILE_ATTR_FILE, &format), S_OK);
  EXPECT_EQ(model_->Inspect(Find("a.mp3"))->format.nSamplesPerSec, 22050u);
  EXPECT_EQ(ControlAt("a.mp3")->Delete(WMDM_MODE_BLOCK, nullptr), S_OK);
  EXPECT_FALSE(player_.Exists("a.mp3"));
}

// Sends, renames and deletes through the plug-in are checked on disk in
// folder_plugin_test.cpp; here what the plug-in has no slot for.
TEST_F(FolderPlayerTest, ErasingTheMediumKeepsOnlyThePlayersFacts) {
  player_.Write("Old/Deep/y.wav", test_tracks::Wav(10));
  player_.Write(".config/x", "x");
  player_.Write(kPlayerFactsFile, "{}");
  Open();
  EXPECT_EQ(ControlAt("Old")->Delete(WMDM_MODE_BLOCK, nullptr), HRESULT_FROM_WIN32(145));
  EXPECT_TRUE(player_.Exists("Old/Deep/y.wav"));
  ASSERT_EQ(ControlAt("")->Delete(WMDM_MODE_BLOCK | WMDM_MODE_RECURSIVE, nullptr), S_OK);
  EXPECT_EQ(player_.Everything(), (std::vector<std::string>{kPlayerFactsFile}));
}

// Tags sent with a track are in the file, where any other program reads them.
TEST_F(FolderPlayerTest, TagsSentWithATrackAreInTheFile) {
  struct Case {
    const char* name;
    DWORD formatCode;
    std::string bytes;
    ULONGLONG milliseconds;  // the length TagLib finds, as the stand-in reports it
  };
  const Case cases[] = {
      {"a.mp3", WMDM_FORMATCODE_MP3, test_tracks::Mp3(20), 522},  // 20 frames of 1152 samples
      {"b.wav", WMDM_FORMATCODE_WAVE, test_tracks::Wav(1000), 1000},
      {"c.flac", WMDM_FORMATCODE_FLAC, test_tracks::Flac(), 1000},
      {"d.ogg", WMDM_FORMATCODE_OGG, test_tracks::OggVorbis(), 1000},
      {"e.m4a", WMDM_FORMATCODE_MP4, test_tracks::Mp4(), 0},  // no track: no length
      {"f.wma", WMDM_FORMATCODE_WMA, test_tracks::Wma(), 1000},
  };
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto metadata = Metadata(c.formatCode,
                             {{g_wszWMDMTitle, W("Caf\u00e9 Song")}, {g_wszWMDMAuthor, W("The Band")},
                              {g_wszWMDMAlbumTitle, W("First")}, {g_wszWMDMAlbumArtist, W("Various")},
                              {g_wszWMDMGenre, W("Jazz")}, {g_wszWMDMYear, W("2004")}},
                             7);
    ASSERT_EQ(Send("", c.name, c.bytes, metadata.Get()), S_OK);
    metadata.Reset();

    TagLib::FileRef file((player_.Path() + "/" + c.name).c_str());
    ASSERT_FALSE(file.isNull());
    const TagLib::PropertyMap properties = file.file()->properties();
    std::vector<std::string> values;
    for (const char* key : {"TITLE", "ARTIST", "ALBUM", "ALBUMARTIST", "GENRE", "DATE", "TRACKNUMBER"}) {
      auto found = properties.find(key);
      values.push_back(found == properties.end() || found->second.isEmpty() ? "" : found->second.front().to8Bit(true));
    }
    values.back().resize(1);  // "7" or "7/0", as the format writes it
    EXPECT_EQ(values,
              (std::vector<std::string>{"Caf\xC3\xA9 Song", "The Band", "First", "Various", "Jazz", "2004", "7"}));
    const auto info = model_->Inspect(Find(c.name));
    EXPECT_EQ(info->size, std::filesystem::file_size(player_.Path() + "/" + c.name));
    ULONGLONG hundreds = ~0ull;
    for (const ModelTag& tag : info->tags)
      if (tag.name == g_wszWMDMDuration && tag.value.size() == sizeof(hundreds))
        std::memcpy(&hundreds, tag.value.data(), sizeof(hundreds));
    EXPECT_NEAR(static_cast<double>(hundreds), c.milliseconds * 10000.0, 20000.0) << "100 ns units";
  }
  EXPECT_EQ(player_.Everything(), (std::vector<std::string>{"a.mp3", "b.wav", "c.flac", "d.ogg", "e.m4a", "f.wma"}))
      << "no temporary file left";

  const auto wav = model_->Inspect(Find("b.wav"))->format;
  EXPECT_EQ(std::tie(wav.wFormatTag, wav.nSamplesPerSec), std::make_tuple(WORD{1}, DWORD{44100}));

  // Tags changed later are written into the file too.
  auto retitle = Metadata(WMDM_FORMATCODE_MP3, {{g_wszWMDMTitle, W("Second Take")}});
  ASSERT_EQ(At("a.mp3")->SetMetadata(retitle.Get()), S_OK);
  TagLib::FileRef again((player_.Path() + "/a.mp3").c_str());
  EXPECT_EQ(again.tag()->title().to8Bit(true), "Second Take");
  EXPECT_EQ(again.tag()->artist().to8Bit(true), "The Band");
}

TEST_F(FolderPlayerTest, ASentMp3KeepsItsOwnTagsUnderTheNewOnes) {
  const std::string tagged = computer_.Write("tagged.mp3", test_tracks::Mp3(20));
  {
    TagLib::FileRef file(tagged.c_str());
    file.tag()->setTitle("Old");
    file.tag()->setComment("keep me");
    ASSERT_TRUE(file.save());
  }
  Open();
  auto metadata = Metadata(WMDM_FORMATCODE_MP3, {{g_wszWMDMTitle, W("New")}});
  ASSERT_EQ(Send("", "sent.mp3", computer_.Read("tagged.mp3"), metadata.Get()), S_OK);
  TagLib::FileRef sent((player_.Path() + "/sent.mp3").c_str());
  EXPECT_EQ(sent.tag()->title().to8Bit(true), "New");
  EXPECT_EQ(sent.tag()->comment().to8Bit(true), "keep me");
  EXPECT_NEAR(sent.audioProperties()->lengthInMilliseconds(), 522, 2) << "every frame copied after the tag";
  TagLib::MPEG::File mpeg((player_.Path() + "/sent.mp3").c_str());
  ASSERT_TRUE(mpeg.hasID3v1Tag());
  EXPECT_EQ(mpeg.ID3v1Tag()->title().to8Bit(true), "New") << "the source's old ID3v1 tag is brought up to date";
}

// A track whose name on disk no playlist line can hold (a line feed would
// end the line, a "\\" split the path) is not written into a playlist.
TEST_F(FolderPlayerTest, ANameNoPlaylistLineCanHoldIsNotWritten) {
  player_.Write("Music/line\nfeed.mp3", test_tracks::Mp3(1));
  player_.Write("Music/back\\slash.mp3", test_tracks::Mp3(1));
  player_.Write("Music/ok.mp3", test_tracks::Mp3(1));
  Open();
  ComPtr<IWMDMStorage4> playlist = NewPlaylist("", "Mix.m3u8");
  ComPtr<IWMDMStorage> ok = At("Music/ok.mp3");
  IWMDMStorage* first[] = {ok.Get()};
  ASSERT_EQ(playlist->SetReferences(1, first), S_OK);
  const std::string before = player_.Read("Mix.m3u8");
  const WString escape(1, 0x29F5);
  for (const WString& name : {W("line") + escape + W("x0Afeed.mp3"), W("back") + escape + W("slash.mp3")}) {
    SCOPED_TRACE(wide::ToUtf8(name));
    ComPtr<IWMDMStorage> odd = At("Music/" + wide::ToUtf8(name));
    ASSERT_TRUE(odd);
    IWMDMStorage* both[] = {ok.Get(), odd.Get()};
    EXPECT_EQ(playlist->SetReferences(2, both), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_EQ(player_.Read("Mix.m3u8"), before);
  }
}

// A playlist is written as M3U8 under a name players find ("Run.pla" and
// "Mix" take ".m3u8"), its locations relative to its own folder as other
// players read them, and read again as one.
TEST_F(FolderPlayerTest, PlaylistsAreWrittenAsM3u8) {
  player_.Write("Music/Album/a.mp3", test_tracks::Mp3(3));
  player_.Write("Music/b.wav", test_tracks::Wav(2000));
  player_.Write("Music/notes", "Music/b.wav\n");
  player_.MakeFolder("Playlists");
  Retitle("Music/Album/a.mp3", "Two\r\nlines\x01");
  Open();

  ComPtr<IWMDMStorage4> playlist = NewPlaylist("Playlists", "Run.pla");
  ComPtr<IWMDMStorage4> unnamed = NewPlaylist("", "Mix");
  ASSERT_TRUE(playlist && unnamed);
  EXPECT_EQ(player_.Read("Playlists/Run.m3u8"), "#EXTM3U\n");

  ComPtr<IWMDMStorage> entries[] = {At("Music/b.wav"), At("Music/Album/a.mp3")};
  IWMDMStorage* raw[] = {entries[0].Get(), entries[1].Get()};
  ASSERT_EQ(playlist->SetReferences(2, raw), S_OK);
  ASSERT_EQ(unnamed->SetReferences(1, raw), S_OK);
  EXPECT_EQ(player_.Read("Playlists/Run.m3u8"),
            "#EXTM3U\n#EXTINF:2,b.wav\n../Music/b.wav\n#EXTINF:0,Two  lines\n../Music/Album/a.mp3\n");
  EXPECT_EQ(ReadAsOthersDo("Playlists/Run.m3u8"),
            (std::vector<std::string>{"Music/b.wav\tb.wav", "Music/Album/a.mp3\tTwo  lines"}));
  EXPECT_EQ(ReadAsOthersDo("Mix.m3u8"), (std::vector<std::string>{"Music/b.wav\tb.wav"}));

  // The player added again from the folder finds the same entries.
  for (auto& entry : entries) entry.Reset();
  playlist.Reset();
  unnamed.Reset();
  Reopen();
  EXPECT_EQ(ReferencesOf("Playlists/Run.m3u8"), (std::vector<WString>{W("b.wav"), W("a.mp3")}));
  EXPECT_EQ(ReferencesOf("Mix.m3u8"), (std::vector<WString>{W("b.wav")}));
  EXPECT_EQ(DwordTag(Bag("Mix.m3u8").Get(), g_wszWMDMFormatCode), DWORD{WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST});
  EXPECT_EQ(DwordTag(Bag("Music/notes").Get(), g_wszWMDMFormatCode), 0u) << "no first line of a playlist: data";
}

TEST_F(FolderPlayerTest, PlaylistsWrittenByHandAreRead) {
  player_.Write("Music/Album/a.mp3", test_tracks::Mp3(1));
  player_.Write("Music/b.wav", test_tracks::Wav(10));
  player_.Write("Music/D\xC3\xA9j\xC3\xA0 vu.mp3", test_tracks::Mp3(1));
  struct Case { const char* file; std::string text; std::vector<WString> entries; };
  const std::string absolute = player_.Path() + "/Music/b.wav";
  std::string encoded;
  for (char c : player_.Path()) encoded += c == ' ' ? std::string("%20") : std::string(1, c);
  const Case cases[] = {
      {"root.m3u8", "#EXTM3U\n#EXTINF:1,A\nMusic/Album/a.mp3\nMusic/b.wav\n", {W("a.mp3"), W("b.wav")}},
      {"crlf.m3u8", "#EXTM3U\r\nMusic/b.wav\r\nMusic/Album/a.mp3\r\n", {W("b.wav"), W("a.mp3")}},
      {"bom.m3u8", "\xEF\xBB\xBF#EXTM3U\nMusic/b.wav\n", {W("b.wav")}},
      {"bom-no-header.m3u", "\xEF\xBB\xBFMusic/Album/a.mp3\r\n", {W("a.mp3")}},
      {"absolute.m3u", absolute + "\n/Music/Album/a.mp3\n", {W("b.wav"), W("a.mp3")}},
      {"backslash.m3u8", "\\Music\\Album\\a.mp3\n", {W("a.mp3")}},
      {"missing.m3u8", "Music/gone.mp3\nMusic/b.wav\nMusic\n", {W("b.wav")}},
      {"Music/beside.m3u8", "Album/a.mp3\n../Music/b.wav\n", {W("a.mp3"), W("b.wav")}},
      {"Lists/windows.m3u", "..\\Music\\Album\\a.mp3\r\nMusic\\b.wav\r\n", {W("a.mp3"), W("b.wav")}},
      {"Lists/url.m3u8", "file://" + encoded + "/Music/Album/a.mp3\nfile://localhost" + encoded + "/Music/b.wav\n",
       {W("a.mp3"), W("b.wav")}},
      {"Lists/latin.m3u", "#EXTM3U\r\n../Music/D\xE9j\xE0 vu.mp3\r\n", {W("D\u00e9j\u00e0 vu.mp3")}},
      {"not-a-list.pla", "Music/b.wav\n", {}},
  };
  for (const Case& c : cases) player_.Write(c.file, c.text);
  Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(ReferencesOf(c.file), c.entries);
  }
  EXPECT_EQ(DwordTag(Bag("bom.m3u8").Get(), g_wszWMDMFormatCode), DWORD{WMDM_FORMATCODE_ABSTRACTAUDIOVIDEOPLAYLIST});
}

// The hand-made playlists of fixtures/playlists, every form of entry in them.
TEST_F(FolderPlayerTest, HandMadePlaylistsAreReadInEveryForm) {
  ASSERT_TRUE(LayOutHandMadeMedium()) << "the audio corpus is missing: " << MD_AUDIO_CORPUS;
  Open();
  EXPECT_EQ(ReferencesOf("Playlists/Evening walk.m3u8"),
            (std::vector<WString>{W("01 Bell.mp3"), W("02 Fog Horn.flac"), W("Rain.wav"), W("03 Gulls.ogg"),
                                  W("Night Train.m4a"), W("D\u00e9j\u00e0 vu.mp3"), W("01 Bell.mp3"),
                                  W("Night Train.m4a")}));
  EXPECT_EQ(ReferencesOf("Playlists/Viejos tiempos.m3u"),
            (std::vector<WString>{W("D\u00e9j\u00e0 vu.mp3"), W("01 Bell.mp3")}));
}

// A rename changes the lines naming what was renamed, in every playlist and
// each in its own form (and encoding); no other byte.
TEST_F(FolderPlayerTest, ARenameChangesOnlyTheLinesNamingIt) {
  ASSERT_TRUE(LayOutHandMadeMedium()) << "the audio corpus is missing: " << MD_AUDIO_CORPUS;
  const auto url = [](const std::string& path) {
    std::string text = "file://";
    for (char c : path) text += c == ' ' ? std::string("%20") : std::string(1, c);
    return text;
  };
  const std::string host = player_.Path() + "/Music/Misc/Night Train.m4a";
  const std::string renamed = player_.Path() + "/Music/Misc/Night Train (live).m4a";
  player_.Write("Playlists/Laptop.m3u8", "#EXTM3U\n" + host + "\n" + url(host) + "\n");
  Open();
  ASSERT_EQ(RenameTo("Music/Misc/Night Train.m4a", "Night Train (live).m4a"), S_OK);
  ASSERT_EQ(RenameTo("Music/Caf\xC3\xA9 Tacuba", "Caf\xC3\xA9 Tacvba"), S_OK);

  std::string evening = Fixture("Evening walk.m3u8");
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"\nMusic/Misc/Night Train.m4a\n", "\nMusic/Misc/Night Train (live).m4a\n"},
           {"\n\\Music\\Misc\\Night Train.m4a\n", "\n\\Music\\Misc\\Night Train (live).m4a\n"},
           {"../Music/Caf\xC3\xA9 Tacuba/", "../Music/Caf\xC3\xA9 Tacvba/"}}) {
    ASSERT_NE(evening.find(from), std::string::npos) << from;
    evening.replace(evening.find(from), from.size(), to);
  }
  EXPECT_EQ(player_.Read("Playlists/Evening walk.m3u8"), evening);
  std::string viejos = Fixture("Viejos tiempos.m3u");
  viejos.replace(viejos.find("Caf\xE9 Tacuba\\"), 11, "Caf\xE9 Tacvba");
  EXPECT_EQ(player_.Read("Playlists/Viejos tiempos.m3u"), viejos) << "still Windows-1252";
  EXPECT_EQ(player_.Read("Playlists/Laptop.m3u8"), "#EXTM3U\n" + renamed + "\n" + url(renamed) + "\n");
  EXPECT_EQ(ReadAsOthersDo("Playlists/Laptop.m3u8"),
            (std::vector<std::string>{"Music/Misc/Night Train (live).m4a\t", "Music/Misc/Night Train (live).m4a\t"}));
}

// A delete takes out the entries naming the track from every playlist, with
// the lines that describe them; every other line stays.
TEST_F(FolderPlayerTest, ADeleteTakesOutOnlyTheEntriesNamingIt) {
  ASSERT_TRUE(LayOutHandMadeMedium()) << "the audio corpus is missing: " << MD_AUDIO_CORPUS;
  Open();
  ASSERT_EQ(ControlAt("Music/Harbour Lights/01 Bell.mp3")->Delete(WMDM_MODE_BLOCK, nullptr), S_OK);
  std::string evening = Fixture("Evening walk.m3u8");
  for (const std::string gone : {"#EXTINF:5,Harbour Lights - Bell\n../Music/Harbour Lights/01 Bell.mp3\n",
                                 "#EXTVLCOPT:stop-time=30\n../music/harbour lights/01 BELL.mp3\n"})
    evening.erase(evening.find(gone), gone.size());
  EXPECT_EQ(player_.Read("Playlists/Evening walk.m3u8"), evening);
  std::string viejos = Fixture("Viejos tiempos.m3u");
  viejos.erase(viejos.find("#EXTINF:5"));
  EXPECT_EQ(player_.Read("Playlists/Viejos tiempos.m3u"), viejos);
}

// New references change the entries they are about: an entry kept keeps its
// lines, one moved takes them along, the lines no reference stands for stay
// where they were.
TEST_F(FolderPlayerTest, SettingReferencesKeepsEveryLineItDoesNotUnderstand) {
  ASSERT_TRUE(LayOutHandMadeMedium()) << "the audio corpus is missing: " << MD_AUDIO_CORPUS;
  Open();
  ComPtr<IWMDMStorage> tracks[] = {At("Music/Caf\xC3\xA9 Tacuba/D\xC3\xA9j\xC3\xA0 vu.mp3"),
                                   At("Music/Harbour Lights/02 Fog Horn.flac"), At("Music/Misc/Rain.wav"),
                                   At("Music/Misc/Night Train.m4a"), At("Music/Harbour Lights/01 Bell.mp3")};
  // Deja vu to the front; Gulls, the second Night Train and the second Bell
  // out; Bell once, moved to the end.
  IWMDMStorage* order[] = {tracks[0].Get(), tracks[1].Get(), tracks[2].Get(), tracks[3].Get(), tracks[4].Get()};
  ComPtr<IWMDMStorage4> playlist = At("Playlists/Evening walk.m3u8");
  ASSERT_EQ(playlist->SetReferences(5, order), S_OK);
  const std::string expected =
      "#EXTM3U\n"
      "# Evening walk - put together by hand on the laptop, summer 2019\n"
      "#PLAYLIST:Evening walk\n"
      "\n"
      "#EXTINF:200,Caf\xC3\xA9 Tacuba - D\xC3\xA9j\xC3\xA0 vu\n"
      "../Music/Caf\xC3\xA9 Tacuba/D\xC3\xA9j\xC3\xA0 vu.mp3\n"
      "#EXTINF:4,Harbour Lights - Fog Horn\n"
      "#EXTVLCOPT:start-time=1\n"
      "..\\Music\\Harbour Lights\\02 Fog Horn.flac\n"
      "#EXTINF:-1,Radio Paradise (needs wifi)\n"
      "http://stream.radioparadise.com/mp3-192\n"
      "/Music/Misc/Rain.wav\n"
      "# the next two are on the laptop only\n"
      "C:\\Users\\ana\\Music\\Unreleased\\demo.mp3\n"
      "D:/Archive/old take.mp3\n"
      "\\\\nas\\music\\Harbour Lights\\05 Lighthouse.mp3\n"
      "Music/Misc/Night Train.m4a\n"
      "../Music/Next Album/01 Soon.mp3\n"
      "rtsp://radio.example.org/live\n"
      "#EXTINF:5,Harbour Lights - Bell\n"
      "../Music/Harbour Lights/01 Bell.mp3\n";
  EXPECT_EQ(player_.Read("Playlists/Evening walk.m3u8"), expected);
  EXPECT_EQ(ReferencesOf("Playlists/Evening walk.m3u8"),
            (std::vector<WString>{W("D\u00e9j\u00e0 vu.mp3"), W("02 Fog Horn.flac"), W("Rain.wav"),
                                  W("Night Train.m4a"), W("01 Bell.mp3")}));

  // A track new to the list is written as other players read it.
  ComPtr<IWMDMStorage> gulls = At("Music/Harbour Lights/03 Gulls.ogg");
  IWMDMStorage* more[] = {tracks[0].Get(), tracks[1].Get(), tracks[2].Get(), tracks[3].Get(), tracks[4].Get(),
                          gulls.Get()};
  ASSERT_EQ(playlist->SetReferences(6, more), S_OK);
  const std::string text = player_.Read("Playlists/Evening walk.m3u8");
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  EXPECT_EQ(ReadAsOthersDo("Playlists/Evening walk.m3u8").back().rfind("Music/Harbour Lights/03 Gulls.ogg\t", 0), 0u);
}

// What a file manager does to a mounted player shows in the next listing,
// and a storage whose file went answers as a deleted one.
TEST_F(FolderPlayerTest, FilesChangedByOtherProgramsShowInTheNextListing) {
  testing_support::RecheckEveryCall recheck;
  player_.Write("Music/a.mp3", test_tracks::Mp3(1));
  player_.Write("Music/b.mp3", test_tracks::Mp3(1));
  player_.Write("Music/keep.wav", test_tracks::Wav(10));
  Open();
  const auto listing = [&](const std::string& folder) {
    std::vector<WString> names;
    ComPtr<IWMDMEnumStorage> children;
    EXPECT_EQ(At(folder)->EnumStorage(&children), S_OK);
    ComPtr<IWMDMStorage> child;
    ULONG fetched = 0;
    while (children && children->Next(1, &child, &fetched) == S_OK) {
      WCHAR name[260] = {};
      EXPECT_EQ(child->GetName(name, 260), S_OK);
      names.push_back(name);
      child.Reset();
    }
    return names;
  };
  ASSERT_EQ(listing("Music"), (std::vector<WString>{W("a.mp3"), W("b.mp3"), W("keep.wav")}));
  ComPtr<IWMDMStorage4> renamed = At("Music/a.mp3"), removed = At("Music/b.mp3"), kept = At("Music/keep.wav");
  ASSERT_TRUE(renamed && removed && kept);

  ASSERT_EQ(std::rename((player_.Path() + "/Music/a.mp3").c_str(), (player_.Path() + "/Music/c.mp3").c_str()), 0);
  ASSERT_EQ(unlink((player_.Path() + "/Music/b.mp3").c_str()), 0);
  WCHAR name[260] = {};
  EXPECT_EQ(removed->GetName(name, 260), WMDM_E_INTERFACEDEAD) << "before any listing";
  EXPECT_EQ(renamed->GetName(name, 260), WMDM_E_INTERFACEDEAD);
  EXPECT_EQ(kept->GetName(name, 260), S_OK);

  player_.Write("Music/Album/d.mp3", test_tracks::Mp3(1));
  player_.Write("Music/0.wav", test_tracks::Wav(10));
  EXPECT_EQ(listing("Music"), (std::vector<WString>{W("0.wav"), W("Album"), W("c.mp3"), W("keep.wav")}));
  EXPECT_EQ(listing("Music/Album"), (std::vector<WString>{W("d.mp3")}));
  EXPECT_TRUE(At("Music/c.mp3")) << "found by name";
  EXPECT_EQ(kept->GetName(name, 260), S_OK) << "what stayed keeps its storage";

  std::filesystem::remove_all(player_.Path() + "/Music/Album");
  ComPtr<IWMDMStorage4> root = At("");
  ComPtr<IWMDMStorage> gone;
  EXPECT_EQ(At("Music")->GetStorage(W("Album"), &gone), S_FALSE);

  // A track put in another's place, looked up by name before anything asks it.
  player_.Write("Music/keep.wav", test_tracks::Wav(20));
  ComPtr<IWMDMStorage> replaced;
  ASSERT_EQ(At("Music")->GetStorage(W("keep.wav"), &replaced), S_OK);
  EXPECT_EQ(model_->Inspect(Find("Music/keep.wav"))->size, test_tracks::Wav(20).size());
}

// The play time a listing's format reading found is the one the tags'
// reading hands out, read once.
TEST_F(FolderPlayerTest, AListedTracksPlayTimeIsKeptForItsTags) {
  player_.Write("Music/a.mp3", test_tracks::Mp3(20));  // 20 frames of 1152 samples: 522 ms
  Open();
  DWORD attributes = 0;
  _WAVEFORMATEX format = {};
  ASSERT_EQ(At("Music/a.mp3")->GetAttributes(&attributes, &format), S_OK);
  EXPECT_EQ(format.nSamplesPerSec, 44100u);
  ULONGLONG hundreds = 0;
  const auto info = model_->Inspect(Find("Music/a.mp3"));
  for (const ModelTag& tag : info->tags)
    if (tag.name == g_wszWMDMDuration && tag.value.size() == sizeof(hundreds))
      std::memcpy(&hundreds, tag.value.data(), sizeof(hundreds));
  EXPECT_NEAR(static_cast<double>(hundreds), 522 * 10000.0, 20000.0) << "100 ns units";
}

// A send of the player's own takes the folder's new time as read only when
// the folder was as last read: a file copied in beside it before is still
// found.
TEST_F(FolderPlayerTest, AnOwnSendHidesNoChangeMadeBeforeIt) {
  player_.Write("Music/a.mp3", test_tracks::Mp3(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // past the clock's step: the folder reads as sure
  Open();
  ASSERT_EQ(ChildrenOf("Music"), (std::vector<WString>{W("a.mp3")}));
  player_.Write("Music/outside.mp3", test_tracks::Mp3(1));
  ASSERT_EQ(Send("Music", "sent.mp3", test_tracks::Mp3(1)), S_OK);
  EXPECT_TRUE(At("Music/outside.mp3"));
  EXPECT_EQ(ChildrenOf("Music"), (std::vector<WString>{W("a.mp3"), W("outside.mp3"), W("sent.mp3")}));
}

// On a disk that tells case apart, replacing "a.mp3" where only "A.mp3" is
// replaces that file, under its name: no second file is left unseen.
TEST_F(FolderPlayerTest, AReplacementTakesTheNameItReplaces) {
  player_.Write("Music/A.mp3", test_tracks::Mp3(1));
  Open();
  ASSERT_EQ(Send("Music", "a.mp3", test_tracks::Mp3(2), nullptr, WMDM_FILE_CREATE_OVERWRITE), S_OK);
  EXPECT_EQ(player_.Everything(), (std::vector<std::string>{"Music", "Music/A.mp3"}));
  EXPECT_EQ(player_.Read("Music/A.mp3"), test_tracks::Mp3(2));
  EXPECT_EQ(ChildrenOf("Music"), (std::vector<WString>{W("A.mp3")}));
}

TEST_F(FolderPlayerTest, AFailedSendLeavesNoFile) {
  player_.Write("Music/a.mp3", test_tracks::Mp3(1));
  Open();
  const auto before = player_.Everything();
  WriteLimitGuard guard;
  FolderStore::LimitWritesForTesting(1000);
  EXPECT_EQ(Send("Music", "big.mp3", test_tracks::Mp3(20)), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  EXPECT_EQ(player_.Everything(), before);
  EXPECT_EQ(ChildrenOf("Music"), (std::vector<WString>{W("a.mp3")}));

  // Replacing a file that fails keeps the old one.
  FolderStore::LimitWritesForTesting(100);
  EXPECT_EQ(Send("Music", "a.mp3", test_tracks::Mp3(2), nullptr, WMDM_FILE_CREATE_OVERWRITE),
            HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  EXPECT_EQ(player_.Read("Music/a.mp3"), test_tracks::Mp3(1));
  EXPECT_EQ(player_.Everything(), before);

  // So does a tag edit that runs out of room part way: it is made on a copy.
  FolderStore::LimitWritesForTesting(64);
  auto retitle = Metadata(WMDM_FORMATCODE_MP3, {{g_wszWMDMTitle, W("A much longer title than the file had")}});
  EXPECT_TRUE(FAILED(At("Music/a.mp3")->SetMetadata(retitle.Get())));
  EXPECT_EQ(player_.Read("Music/a.mp3"), test_tracks::Mp3(1));
  EXPECT_EQ(player_.Everything(), before);
}

TEST_F(FolderPlayerTest, NamesTheMediumRefusesAreRefusedBeforeWriting) {
  player_.Write("Music/a.mp3", test_tracks::Mp3(1));
  Open();
  const auto before = player_.Everything();
  const char* refused[] = {"a:b.mp3", "why?.mp3", "star*.mp3", "say \"hi\".mp3", "<a>.mp3", "pipe|.mp3",
                           "tab\t.mp3", "bell\x07.mp3", "dot.", "space "};
  for (const char* name : refused) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Send("Music", name, "x"), kInvalidName);
    EXPECT_EQ(MakeFolder("Music", name), kInvalidName);
    auto control = ControlAt("Music/a.mp3");
    WString newName = Wide(name);
    EXPECT_EQ(control->Rename(WMDM_MODE_BLOCK, &newName[0], nullptr), kInvalidName);
  }
  EXPECT_EQ(player_.Everything(), before);

  const std::string accepted[] = {"Caf\xC3\xA9 \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC.mp3", "it's [live] #2 (a+b).mp3"};
  for (const std::string& name : accepted) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Send("Music", name, "bytes"), S_OK);
    EXPECT_EQ(player_.Read("Music/" + name), "bytes");
  }
}

TEST_F(FolderPlayerTest, DeviceFactsComeFromThePlayersFile) {
  player_.Write(kPlayerFactsFile, R"({ "name": "Pocket 20", "manufacturer": "Aurora Audio", "serial": "0A1B",
                                       "media": [ { "name": "Internal Memory" } ] })");
  player_.Write("a.mp3", test_tracks::Mp3(1));
  Open();
  EXPECT_EQ(model_->FindDevice(W("Pocket 20")), device_);
  EXPECT_EQ(mediumName_, W("Internal Memory"));
  EXPECT_EQ(ChildrenOf(""), (std::vector<WString>{W("a.mp3")})) << "the facts file is no content";

  // A file that describes no player leaves the folder a plain player; no folder, no player.
  TemporaryFolder plain;
  plain.Write(kPlayerFactsFile, "not a description");
  const ObjectId other = AddFolderPlayer(*model_, plain.Path());
  EXPECT_NE(other, 0u);
  EXPECT_EQ(AddFolderPlayer(*model_, plain.Path() + "/no such folder"), 0u);
}

// What a listing asks of a track (attributes, the audio format, the format
// code) comes without reading its tags; they are read once, when first asked
// for, and kept. Retitling the file behind the player's back shows when.
TEST_F(FolderPlayerTest, AListingsQuestionsLeaveTheTagsUnread) {
  player_.Write("a.mp3", test_tracks::Mp3(20));
  player_.Write("b.wav", test_tracks::Wav(100));
  Retitle("a.mp3", "First");
  Open();
  using Format = std::tuple<DWORD, WORD, WORD, DWORD, DWORD, WORD>;  // audio bit, tag, channels, rate, bytes/s, bits
  const auto format = [&](const char* name) {
    DWORD attributes = 0, extra = 0;
    _WAVEFORMATEX wave = {};
    EXPECT_EQ(At(name)->GetAttributes2(&attributes, &extra, &wave, nullptr), S_OK);
    return Format(attributes & WMDM_FILE_ATTR_AUDIO, wave.wFormatTag, wave.nChannels, wave.nSamplesPerSec,
                  wave.nAvgBytesPerSec, wave.wBitsPerSample);
  };
  EXPECT_EQ(format("a.mp3"), Format(WMDM_FILE_ATTR_AUDIO, 0x55, 2, 44100, 16000, 0));
  EXPECT_EQ(format("b.wav"), Format(WMDM_FILE_ATTR_AUDIO, 1, 2, 44100, 176400, 16)) << "a WAV's format is its own";
  auto listed = Bag("a.mp3");
  EXPECT_EQ(DwordTag(listed.Get(), g_wszWMDMFormatCode), DWORD{WMDM_FORMATCODE_MP3});

  Retitle("a.mp3", "Second");
  EXPECT_EQ(StringTag(listed.Get(), g_wszWMDMTitle), W("Second")) << "the listing's bag reads the tags when asked";
  Retitle("a.mp3", "Third");
  EXPECT_EQ(StringTag(Bag("a.mp3").Get(), g_wszWMDMTitle), W("Second")) << "once read, the file is not read again";
  EXPECT_EQ(StringTag(listed.Get(), g_wszWMDMTitle), W("Second"));
}

TEST_F(FolderPlayerTest, EveryWayOfReadingABagReadsTheWholeSet) {
  player_.Write("a.mp3", test_tracks::Mp3(20));
  const std::pair<const char*, std::function<HRESULT(IWMDMMetaData*)>> ways[] = {
      {"GetItemCount", [](IWMDMMetaData* bag) {
         UINT count = 0;
         return bag->GetItemCount(&count) == S_OK && count > 1 ? S_OK : E_FAIL;
       }},
      {"QueryByIndex", [](IWMDMMetaData* bag) {
         WCHAR* name = nullptr;
         BYTE* value = nullptr;
         WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
         UINT length = 0;
         const HRESULT result = bag->QueryByIndex(1, &name, &type, &value, &length);
         CoTaskMemFree(name);
         CoTaskMemFree(value);
         return result;
       }},
      {"AddItem", [](IWMDMMetaData* bag) {
         DWORD rating = 3;
         return bag->AddItem(WMDM_TYPE_DWORD, W("Rating"), reinterpret_cast<BYTE*>(&rating), sizeof rating);
       }},
  };
  for (const auto& [what, ask] : ways) {
    SCOPED_TRACE(what);
    Retitle("a.mp3", "Before");
    Reopen();
    auto bag = Bag("a.mp3");
    Retitle("a.mp3", "After");
    EXPECT_EQ(ask(bag.Get()), S_OK);
    EXPECT_EQ(StringTag(bag.Get(), g_wszWMDMTitle), W("After"));
    EXPECT_EQ(DwordTag(bag.Get(), g_wszWMDMFormatCode), DWORD{WMDM_FORMATCODE_MP3});
  }
}

}  // namespace
}  // namespace wmdm_standin

namespace wmdm_standin {
namespace {

// The medium really full: a 64 KB tmpfs mounted in a user and mount namespace
// of a child process, where no root is needed. Skipped where the kernel
// refuses unprivileged namespaces.
TEST(FolderPlayerDiskTest, AFullFileSystemLeavesNoFile) {
  TemporaryFolder medium, computer;
  const std::string big = computer.Write("big.wav", test_tracks::Wav(500));  // 88 KB
  const int status = testing_support::OnSmallTmpfs(medium.Path(), "64k", [&] {
    auto model = PlayerModel::Create();
    if (!AddFolderPlayer(*model, medium.Path())) return false;
    const auto root = model->HandleOf(model->PresentDevices().at(0)->media.at(0)->root);
    NewObject request;
    request.name = W("big.wav");
    request.sourcePath = Wide(big);
    request.size = std::filesystem::file_size(big);
    // Too big for what statvfs says is free: refused before writing.
    const HRESULT refused = model->CreateObject(root, request, nullptr);
    // Size unknown beforehand: the copy itself runs out of room.
    request.size = 0;
    const HRESULT failed = model->CreateObject(root, request, nullptr);
    return refused == HRESULT_FROM_WIN32(ERROR_DISK_FULL) && failed == HRESULT_FROM_WIN32(ERROR_DISK_FULL) &&
           std::filesystem::is_empty(medium.Path());
  });
  if (status == 77) GTEST_SKIP() << "no unprivileged user namespaces here";
  EXPECT_EQ(status, 0) << "a full medium answers ERROR_DISK_FULL and keeps no partial file";
}

// Sends share a look at the free room for a moment; room another program
// freed in that moment is still found before a send is refused as full, and
// what a send wrote counts against the room seen.
TEST(FolderPlayerDiskTest, RoomFreedByAnotherProgramIsSeenAtOnce) {
  TemporaryFolder medium, computer;
  const std::string track = computer.Write("track.wav", test_tracks::Wav(150));  // 26 KB
  const int status = testing_support::OnSmallTmpfs(medium.Path(), "64k", [&] {
    std::ofstream(medium.Path() + "/other.bin", std::ios::binary) << std::string(40 << 10, 'o');
    auto model = PlayerModel::Create();
    if (!AddFolderPlayer(*model, medium.Path())) return false;
    const auto root = model->HandleOf(model->PresentDevices().at(0)->media.at(0)->root);
    NewObject request;
    request.name = W("first.wav");
    request.sourcePath = Wide(track);
    request.size = std::filesystem::file_size(track);
    const HRESULT full = model->CreateObject(root, request, nullptr);
    std::filesystem::remove(medium.Path() + "/other.bin");
    const HRESULT freed = model->CreateObject(root, request, nullptr);
    request.name = W("second.wav");
    const HRESULT second = model->CreateObject(root, request, nullptr);
    request.name = W("third.wav");
    const HRESULT third = model->CreateObject(root, request, nullptr);
    return full == HRESULT_FROM_WIN32(ERROR_DISK_FULL) && freed == S_OK && second == S_OK &&
           third == HRESULT_FROM_WIN32(ERROR_DISK_FULL) &&
           !std::filesystem::exists(medium.Path() + "/third.wav");
  });
  if (status == 77) GTEST_SKIP() << "no unprivileged user namespaces here";
  EXPECT_EQ(status, 0) << "a send refused as full although another program had freed the room, or one let through";
}

}  // namespace
}  // namespace wmdm_standin
