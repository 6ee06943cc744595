// The folder player driven through the plug-in as a host drives it: what the
// host lists and edits is what is in the folder.
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include "host_sdk/kc_ipp_item.h"
#include "content/locations.h"
#include "testing/plugin_test_harness.h"
#include "folder_player.h"
#include "folder_test_support.h"
#include "host_sdk/ipp_result_codes.h"
#include "host_support/host_item_id_list.h"
#include "m3u8.h"
#include "test_tracks.h"

namespace wmdm_standin {
namespace {

using testing_support::TemporaryFolder;

const WCHAR kCanonical[] = W("\\\\?\\usb#vid_0b70#pid_0101#f1");

class FolderThroughPluginTest : public PluginHarness {
 protected:
  void SetUp() override {
    PluginHarness::SetUp();
    ASSERT_FALSE(folder_.Path().empty());
    folder_.Write(kPlayerFactsFile, R"({ "name": "Rover", "canonicalName": "\\\\?\\usb#vid_0b70#pid_0101#f1",
                                         "formatsSupported": ["0x3009", "0x3008", "0xBA05"],
                                         "media": [ { "name": "Internal Memory" } ] })");
    {
      const std::string a = folder_.Write("Music/a.mp3", test_tracks::Mp3(20));
      TagLib::FileRef tagged(a.c_str());
      tagged.tag()->setTitle(TagLib::String("Low Tide"));
      tagged.tag()->setArtist(TagLib::String("Harbour"));
      ASSERT_TRUE(tagged.save());
    }
    folder_.Write("Music/b.wav", test_tracks::Wav(1000));
    folder_.Write("Music/Mix.m3u8", "#EXTM3U\nMusic/b.wav\nMusic/a.mp3\n");
    ASSERT_NE(AddFolderPlayer(*model_, folder_.Path(), PlayerModel::Presence::Connected), 0u);
    Start();
    ASSERT_EQ(ListDevices(), std::vector<DWORD>{1});
  }

  static WString Where() { return locations::ComposeMediaLocation(kCanonical, W("Internal Memory")); }

  std::vector<WString> List(const WString& path) {
    std::vector<WString> names;
    const auto note = [&names](kcIPPItem& item) {
      UniqueBstr location;
      location.Reset(item.GetLocation());
      names.push_back(location.ToString());
    };
    kcIPPItem first;
    IPPFINDHANDLE find = nullptr;
    if (plugin_.FindFirstItem(Where().c_str(), path.c_str(), &first, &find) != S_OK) return names;
    note(first);
    for (;;) {
      kcIPPItem next;
      if (plugin_.FindNextItem(find, &next) != S_OK) break;
      note(next);
    }
    EXPECT_EQ(plugin_.FindItemClose(find), S_OK);
    return names;
  }

  std::vector<std::string> PlaylistPaths(const std::string& relative) {
    std::vector<std::string> paths;
    for (const M3u8Entry& entry : ParseM3u8(folder_.Read(relative))) paths.push_back(entry.path);
    return paths;
  }

  TemporaryFolder folder_;
};

TEST_F(FolderThroughPluginTest, TheHostListsTheFolderWithItsTags) {
  EXPECT_EQ(List(W("\\Music")),
            (std::vector<WString>{W("\\Music\\a.mp3"), W("\\Music\\b.wav"), W("\\Music\\Mix.m3u8")}))
      << "listed in the order of their names, case aside";
  kcIPPItem item;
  ASSERT_EQ(plugin_.GetItemInformation(Where().c_str(), W("\\Music\\a.mp3"), &item), S_OK);
  UniqueBstr text;
  text.Reset(item.GetTitle());
  EXPECT_EQ(text.ToString(), W("Low Tide"));
  text.Reset(item.GetArtist());
  EXPECT_EQ(text.ToString(), W("Harbour"));
  EXPECT_EQ(item.GetSize(), std::filesystem::file_size(folder_.Path() + "/Music/a.mp3"));

  kcIPPItem wave;
  ASSERT_EQ(plugin_.GetItemInformation(Where().c_str(), W("\\Music\\b.wav"), &wave), S_OK);
  EXPECT_EQ(wave.GetDuration(), 10000) << "the host's units for the file's own second";
  EXPECT_TRUE(LockIsFree());
}

TEST_F(FolderThroughPluginTest, TheHostsEditsReachTheFolder) {
  UniqueBstr made;
  ASSERT_EQ(plugin_.CreateFolder(Where().c_str(), W("\\"), W("Podcasts"), made.Put()), S_OK);
  EXPECT_TRUE(std::filesystem::is_directory(folder_.Path() + "/Podcasts"));

  ASSERT_EQ(plugin_.RenameItem(Where().c_str(), W("\\Music\\a.mp3"), W("Low Tide.mp3")), S_OK);
  EXPECT_FALSE(folder_.Exists("Music/a.mp3"));
  EXPECT_TRUE(folder_.Exists("Music/Low Tide.mp3"));
  EXPECT_EQ(PlaylistPaths("Music/Mix.m3u8"), (std::vector<std::string>{"Music/b.wav", "Music/Low Tide.mp3"}));

  // A playlist is named as players find playlists, and the host is told that name.
  UniqueBstr playlist;
  ASSERT_EQ(plugin_.CreatePlaylist(Where().c_str(), W("\\"), W("Run.pla"), playlist.Put()), S_OK);
  EXPECT_EQ(playlist.ToString(), W("\\Run.m3u8"));
  UniqueBstr road;
  ASSERT_EQ(plugin_.CreatePlaylist(Where().c_str(), W("\\Music"), W("Road"), road.Put()), S_OK);
  EXPECT_EQ(road.ToString(), W("\\Music\\Road.m3u8"));
  HostItemIdList entries({W("\\Run.m3u8|\\Music\\Low Tide.mp3"), W("\\Run.m3u8|\\Music\\b.wav")});
  ASSERT_EQ(plugin_.UpdatePlaylist(Where().c_str(), W("\\Run.m3u8"), &entries), S_OK);
  EXPECT_EQ(PlaylistPaths("Run.m3u8"), (std::vector<std::string>{"Music/Low Tide.mp3", "Music/b.wav"}));

  ASSERT_EQ(plugin_.DeleteItem(Where().c_str(), W("\\Music\\b.wav")), S_OK);
  EXPECT_FALSE(folder_.Exists("Music/b.wav"));
  EXPECT_EQ(PlaylistPaths("Run.m3u8"), (std::vector<std::string>{"Music/Low Tide.mp3"}))
      << "the plug-in takes a deleted track out of the playlists first";
  EXPECT_EQ(folder_.Everything(),
            (std::vector<std::string>{"Music", "Music/Low Tide.mp3", "Music/Mix.m3u8", "Music/Road.m3u8", "Podcasts",
                                      "Run.m3u8", kPlayerFactsFile}));
  EXPECT_TRUE(LockIsFree());
}

// A file manager's changes reach the host without the player being added
// again: a track renamed or removed beside the plug-in is looked up afresh.
TEST_F(FolderThroughPluginTest, TheHostSeesWhatOtherProgramsChanged) {
  testing_support::RecheckEveryCall recheck;
  kcIPPItem before;
  ASSERT_EQ(plugin_.GetItemInformation(Where().c_str(), W("\\Music\\a.mp3"), &before), S_OK);
  ASSERT_EQ(std::rename((folder_.Path() + "/Music/a.mp3").c_str(), (folder_.Path() + "/Music/c.mp3").c_str()), 0);
  std::filesystem::remove(folder_.Path() + "/Music/b.wav");
  folder_.Write("Music/d.wav", test_tracks::Wav(500));

  kcIPPItem gone, moved;
  EXPECT_EQ(plugin_.GetItemInformation(Where().c_str(), W("\\Music\\b.wav"), &gone), IPP_E_NOTFOUND);
  ASSERT_EQ(plugin_.GetItemInformation(Where().c_str(), W("\\Music\\c.mp3"), &moved), S_OK);
  UniqueBstr title;
  title.Reset(moved.GetTitle());
  EXPECT_EQ(title.ToString(), W("Low Tide"));
  EXPECT_EQ(List(W("\\Music")),
            (std::vector<WString>{W("\\Music\\c.mp3"), W("\\Music\\d.wav"), W("\\Music\\Mix.m3u8")}));
  EXPECT_TRUE(LockIsFree());
}

TEST_F(FolderThroughPluginTest, SentTracksCarryTheirTagsInTheFile) {
  TemporaryFolder computer;
  for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"sent.mp3", test_tracks::Mp3(20)},
                                    {"sent.wav", test_tracks::Wav(500)}}) {
    SCOPED_TRACE(name);
    const WString source = wide::FromUtf8(computer.Write(name, bytes));
    kcIPPItem item;
    item.SetTitle(W("Night Drive"));
    item.SetArtist(W("Coast"));
    item.SetAlbum(W("Roads"));
    item.SetGenre(W("Synth"));
    item.SetPropertyLong(W("ItemTrackNumber"), 3);
    DWORD outcome = 0;
    ASSERT_EQ(plugin_.DownloadFile(Where().c_str(), W("\\Music"), source.c_str(), &item, 2, 77, &outcome), S_OK);

    TagLib::FileRef file((folder_.Path() + "/Music/" + name).c_str());
    ASSERT_FALSE(file.isNull());
    const TagLib::Tag& tag = *file.tag();
    EXPECT_EQ(std::make_tuple(tag.title().to8Bit(true), tag.artist().to8Bit(true), tag.album().to8Bit(true),
                              tag.genre().to8Bit(true), tag.track()),
              std::make_tuple("Night Drive", "Coast", "Roads", "Synth", 3u));
  }
  for (const std::string& name : folder_.Everything()) EXPECT_EQ(name.find(".mdsend"), std::string::npos) << name;
  EXPECT_TRUE(LockIsFree());
}

}  // namespace
}  // namespace wmdm_standin
