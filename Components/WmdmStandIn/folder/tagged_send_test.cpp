// Real tracks from a public corpus sent onto a folder player, each read back
// by mutagen: the tags handed over are in the file, every other tag, frame
// and byte of audio is as the source had it, and a send that cannot write
// its tags leaves nothing.
#include <stdio.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "folder_player.h"
#include "folder_test_support.h"
#include "track_tags.h"

namespace wmdm_standin {
namespace {

using testing_support::TemporaryFolder;
using testing_support::WriteLimitGuard;

const std::string kCorpus = MD_AUDIO_CORPUS;

// Japanese, an emoji, a combining accent, and long: 1,000 characters and more.
const std::string kTitle = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x8E\xB5 Cafe\xCC\x81 " + std::string(1000, 'x');

// What the plug-in hands over with a send, a track number 0 among them (the
// host knew none).
std::vector<ModelTag> SentTags(const WString& title) {
  return {ModelTag::String(g_wszWMDMAlbumTitle, W("Album \u00c5")),
          ModelTag::String(g_wszWMDMAlbumArtist, W("Various Artists")),
          ModelTag::String(g_wszWMDMAuthor, W("Track Artist")),
          ModelTag::String(g_wszWMDMGenre, W("Jazz")),
          ModelTag::String(g_wszWMDMTitle, title),
          ModelTag::Dword(g_wszWMDMBitrate, 128000),
          ModelTag::String(g_wszWMDMTrack, W("0")),
          ModelTag::Dword(g_wszWMDMUserRating, 0)};
}

// The checker's output, and its exit status in `status`.
std::string Check(const std::vector<std::string>& args, int* status) {
  std::string command = "/usr/bin/python3 '" MD_SENT_TRACK_CHECK "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  std::string output;
  char buffer[4096];
  while (pipe && fgets(buffer, sizeof buffer, pipe)) output += buffer;
  const int result = pipe ? pclose(pipe) : -1;
  *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}

class TaggedSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::is_directory(kCorpus)) << "the audio corpus is missing: " << kCorpus;
    int status = 0;
    ASSERT_EQ(Check({"make", made_.Path(), kCorpus}, &status), "");
    ASSERT_EQ(status, 0);
    ASSERT_NE(AddFolderPlayer(*model_, player_.Path()), 0u);
  }

  HRESULT Send(const std::string& source, const std::string& name, const std::vector<ModelTag>& tags) {
    const auto root = model_->HandleOf(model_->PresentDevices().at(0)->media.at(0)->root);
    NewObject request;
    request.name = wide::FromUtf8(name);
    request.sourcePath = wide::FromUtf8(source);
    request.size = std::filesystem::file_size(source);
    request.tags = tags;
    return model_->CreateObject(root, request, nullptr);
  }

  TemporaryFolder player_, made_;
  std::shared_ptr<PlayerModel> model_ = PlayerModel::Create();
};

TEST_F(TaggedSendTest, RealTracksKeepEveryOtherTagAndTheirAudio) {
  const char* corpus[] = {
      "silence-44-s.mp3", "id3v1v2-combined.mp3", "id3v22-test.mp3", "bad-xing.mp3", "apev2-lyricsv2.mp3",
      "no-tags.mp3", "97-unknown-23-update.mp3", "vbri.mp3", "bad-POPM-frame.mp3", "flac_application.flac",
      "silence-44-s.flac", "variable-block.flac", "no-tags.flac", "multipage-setup.ogg", "multipagecomment.ogg",
      "example.opus", "alac.m4a", "covr-with-name.m4a", "no-tags.m4a", "issue_29.wma", "silence-1.wma",
      "silence-2s-PCM-44100-16-ID3v23.wav", "silence-2s-PCM-16000-08-notags.wav"};
  std::vector<std::string> sources;
  for (const char* name : corpus) sources.push_back(kCorpus + "/" + name);
  for (const char* name : {"rich.mp3", "junk-first.mp3"}) sources.push_back(made_.Path() + "/" + name);

  std::vector<std::string> args = {"check", made_.Path() + "/expected.json"};
  std::ofstream(args[1]) << R"({"title": ")" << kTitle << R"(", "artist": "Track Artist",
      "albumartist": "Various Artists", "album": "Album \u00c5", "genre": "Jazz", "tracknumber": null})";
  for (const std::string& source : sources) {
    const std::string name = std::filesystem::path(source).filename().string();
    SCOPED_TRACE(name);
    ASSERT_EQ(Send(source, name, SentTags(wide::FromUtf8(kTitle))), S_OK);
    args.insert(args.end(), {source, player_.Path() + "/" + name});
  }
  int status = 0;
  EXPECT_EQ(Check(args, &status), "");
  EXPECT_EQ(status, 0);
}

// A sent track answers with the size, format and tags its file holds, as a
// player reading the folder afresh finds them (an MP3's read from the copy
// while it was still open, any other kind's from the file when asked), and
// keeps the sent tags the file cannot carry.
TEST_F(TaggedSendTest, ASentTrackAnswersWhatItsFileHolds) {
  std::vector<std::string> sources;
  for (const char* name : {"silence-44-s.mp3", "id3v1v2-combined.mp3", "vbri.mp3", "no-tags.mp3", "bad-xing.mp3",
                           "apev2-lyricsv2.mp3", "silence-44-s.flac", "issue_29.wma"})
    sources.push_back(kCorpus + "/" + name);
  for (const char* name : {"rich.mp3", "junk-first.mp3"}) sources.push_back(made_.Path() + "/" + name);
  for (const std::string& source : sources)
    ASSERT_EQ(Send(source, std::filesystem::path(source).filename().string(), SentTags(W("Sent Title"))), S_OK);

  auto fresh = PlayerModel::Create();
  ASSERT_NE(AddFolderPlayer(*fresh, player_.Path()), 0u);
  const auto at = [](PlayerModel& model, const std::string& name) {
    const auto device = model.PresentDevices().at(0);
    return model.Inspect(model.Find(device->id, device->media.at(0)->root->name + W("\\") + wide::FromUtf8(name)));
  };
  for (const std::string& source : sources) {
    const std::string name = std::filesystem::path(source).filename().string();
    SCOPED_TRACE(name);
    const auto sent = at(*model_, name);
    const auto read = at(*fresh, name);
    ASSERT_TRUE(sent && read);
    EXPECT_EQ(sent->size, std::filesystem::file_size(player_.Path() + "/" + name));
    EXPECT_EQ(sent->size, read->size);
    EXPECT_EQ(std::memcmp(&sent->format, &read->format, sizeof sent->format), 0) << "the audio format";
    for (const ModelTag& tag : read->tags) {
      SCOPED_TRACE(wide::ToUtf8(tag.name));
      const auto same = std::find_if(sent->tags.begin(), sent->tags.end(), [&](const ModelTag& t) { return t.name == tag.name; });
      ASSERT_NE(same, sent->tags.end()) << "a tag the file holds is missing";
      EXPECT_EQ(same->type, tag.type);
      EXPECT_EQ(same->value, tag.value);
    }
    EXPECT_TRUE(std::any_of(sent->tags.begin(), sent->tags.end(), [](const ModelTag& t) { return t.name == g_wszWMDMUserRating; }))
        << "the sent tag the file cannot carry";
  }
}

// The track's own artist is handed out after the album artist: a client
// taking the later of the two shows a compilation's tracks by their artists.
TEST_F(TaggedSendTest, TheTracksArtistComesAfterTheAlbumArtist) {
  std::vector<ModelTag> tags;
  _WAVEFORMATEX format = {};
  const std::string rich = made_.Path() + "/rich.mp3";
  ReadTrackDetails(rich, W("rich.mp3"), std::filesystem::file_size(rich), &tags, &format);
  std::vector<WString> artists;
  for (const ModelTag& tag : tags) {
    WString text;
    if ((tag.name == g_wszWMDMAlbumArtist || tag.name == g_wszWMDMAuthor) && tag.AsString(&text)) artists.push_back(text);
  }
  EXPECT_EQ(artists, (std::vector<WString>{W("Various Artists"), W("Track Artist")}));
}

// A send lands with its tags or fails and leaves nothing: a format whose tags
// TagLib cannot write, and the medium full when the tags are written.
TEST_F(TaggedSendTest, ASendWhoseTagsCannotBeWrittenFailsAndLeavesNothing) {
  struct Case {
    std::string source;
    long long room;  // bytes the medium takes past the source's own size; -1: no limit
    HRESULT result;
  };
  const Case cases[] = {
      {made_.Path() + "/theora.ogg", -1, WMDM_E_NOTSUPPORTED},
      {kCorpus + "/silence-44-s.flac", 0, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
      {kCorpus + "/covr-with-name.m4a", 0, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
      {kCorpus + "/issue_29.wma", 0, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
      {kCorpus + "/silence-2s-PCM-16000-08-notags.wav", 100, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
      {made_.Path() + "/rich.mp3", 0, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
  };
  WriteLimitGuard guard;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    const long long size = static_cast<long long>(std::filesystem::file_size(c.source));
    FolderStore::LimitWritesForTesting(c.room < 0 ? -1 : size + c.room);
    EXPECT_EQ(Send(c.source, std::filesystem::path(c.source).filename().string(), SentTags(wide::FromUtf8(kTitle))),
              c.result);
    EXPECT_EQ(player_.Everything(), std::vector<std::string>{});
  }
}

// Every kind TagLib reads is offered and listed, each under its own code.
TEST_F(TaggedSendTest, APlainFolderOffersAndListsEveryFormatTagLibReads) {
  const std::pair<const char*, DWORD> kinds[] = {
      {"silence-44-s.mp3", WMDM_FORMATCODE_MP3}, {"silence-1.wma", WMDM_FORMATCODE_WMA},
      {"silence-2s-PCM-16000-08-notags.wav", WMDM_FORMATCODE_WAVE}, {"no-tags.flac", WMDM_FORMATCODE_FLAC},
      {"multipage-setup.ogg", WMDM_FORMATCODE_OGG}, {"example.opus", WMDM_FORMATCODE_OGG},
      {"alac.m4a", WMDM_FORMATCODE_M4A}, {"no-tags.m4a", WMDM_FORMATCODE_M4A}};
  TemporaryFolder folder;
  for (const auto& [name, code] : kinds) std::filesystem::copy_file(kCorpus + "/" + name, folder.Path() + "/" + name);
  const ObjectId device = AddFolderPlayer(*model_, folder.Path());
  const auto described = model_->PresentDevices().at(1);
  ASSERT_EQ(described->id, device);
  const std::vector<DWORD>& offered = *described->description.formatsSupported;
  for (const auto& [name, code] : kinds) {
    SCOPED_TRACE(name);
    EXPECT_NE(std::find(offered.begin(), offered.end(), code), offered.end());
    const auto info = model_->Inspect(model_->Find(device, described->media.at(0)->root->name + W("\\") +
                                                              wide::FromUtf8(name)));
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->attributes & WMDM_FILE_ATTR_AUDIO);
    DWORD listed = 0;
    for (const ModelTag& tag : info->tags)
      if (tag.name == g_wszWMDMFormatCode) tag.AsDword(&listed);
    EXPECT_EQ(listed, code);
  }

  // A player's own file may offer fewer; naming none, it offers the folder's.
  TemporaryFolder narrow, plain;
  narrow.Write(kPlayerFactsFile, R"({ "name": "Narrow", "formatsSupported": ["0x3009"] })");
  plain.Write(kPlayerFactsFile, R"({ "name": "Plain" })");
  AddFolderPlayer(*model_, narrow.Path());
  AddFolderPlayer(*model_, plain.Path());
  EXPECT_EQ(*model_->PresentDevices().at(2)->description.formatsSupported, std::vector<DWORD>{WMDM_FORMATCODE_MP3});
  EXPECT_EQ(*model_->PresentDevices().at(3)->description.formatsSupported, offered);
}

}  // namespace
}  // namespace wmdm_standin

namespace wmdm_standin {
namespace {

// A medium really full when the tags are written: a tmpfs just big enough
// for the source's bytes.
TEST(TaggedSendDiskTest, AMediumFullForTheTagsKeepsNothing) {
  const std::string source = kCorpus + "/covr-with-name.m4a";
  ASSERT_TRUE(std::filesystem::exists(source)) << "the audio corpus is missing: " << kCorpus;
  TemporaryFolder medium;
  const auto pages = (std::filesystem::file_size(source) + 4095) / 4096;
  const int status = testing_support::OnSmallTmpfs(medium.Path(), std::to_string(pages * 4096), [&] {
    auto model = PlayerModel::Create();
    if (!AddFolderPlayer(*model, medium.Path())) return false;
    NewObject request;
    request.name = W("a.m4a");
    request.sourcePath = wide::FromUtf8(source);
    request.size = std::filesystem::file_size(source);
    // A title far longer than the room the copy leaves.
    request.tags = SentTags(WString(16384, W('t')));
    const HRESULT result =
        model->CreateObject(model->HandleOf(model->PresentDevices().at(0)->media.at(0)->root), request, nullptr);
    return result == HRESULT_FROM_WIN32(ERROR_DISK_FULL) && std::filesystem::is_empty(medium.Path());
  });
  if (status == 77) GTEST_SKIP() << "no unprivileged user namespaces here";
  EXPECT_EQ(status, 0) << "the tags did not fit: the send fails with ERROR_DISK_FULL and leaves no file";
}

}  // namespace
}  // namespace wmdm_standin
