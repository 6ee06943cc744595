#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <tuple>

#include "testing/content_changes_test.h"
#include "testing/resolver_test_player.h"
#include "testing/stale_answers.h"
#include "core/map_result.h"
#include "host_sdk/ipp_result_codes.h"

namespace resolver_testing {
namespace {

using wmdm_standin::ModelTag;
using wmdm_standin::ObjectKind;
using EventLines = std::vector<std::string>;

constexpr DWORD kCookie = 77;
constexpr DWORD kKeep = 2, kRefuse = 3, kReplace = 0;

struct Tags {
  const WCHAR *title = W(""), *artist = W(""), *album = W(""), *genre = W("");
  LONG bitrate = 0, track = -1, rating = -1;  // -1: the item has no such property
};

// Tags as compared: name, type and bytes (strings with their terminator).
std::vector<std::tuple<WString, WMDM_TAG_DATATYPE, std::vector<BYTE>>> Compared(const std::vector<ModelTag>& tags) {
  std::vector<std::tuple<WString, WMDM_TAG_DATATYPE, std::vector<BYTE>>> compared;
  for (const ModelTag& tag : tags) compared.emplace_back(tag.name, tag.type, tag.value);
  return compared;
}

class ContentTransferTest : public ResolverPlayerTest {
 protected:
  void SetUp() override {
    ResolverPlayerTest::SetUp();
    // Other lanes may run the same test at the same time.
    sources_ = std::filesystem::temp_directory_path() / ("mdplugin_transfer_" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(sources_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(sources_, ignored);
    ResolverPlayerTest::TearDown();
  }

  // A file on the computer below the test's own folder; `relative` uses "/".
  WString Source(const std::string& relative, size_t size = 64) {
    const std::filesystem::path path = sources_ / std::filesystem::path(relative).make_preferred();
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < size; ++i) out.put(static_cast<char>(i * 3));
    return wide::FromUtf8(path.u8string());
  }

  HRESULT Send(const WCHAR* target, const WString& source, DWORD mode = kKeep, const Tags& tags = {},
               DWORD* outcome = nullptr) {
    kcIPPItem item;
    item.SetTitle(tags.title);
    item.SetArtist(tags.artist);
    item.SetAlbum(tags.album);
    item.SetGenre(tags.genre);
    item.SetBitrate(tags.bitrate);
    if (tags.track >= 0) item.SetPropertyLong(W("ItemTrackNumber"), tags.track);
    if (tags.rating >= 0) item.SetPropertyLong(W("ItemTrackRanking"), tags.rating);
    DWORD ignored = 0;
    return plugin_.DownloadFile(Internal().c_str(), target, source.c_str(), &item, mode, kCookie,
                                outcome ? outcome : &ignored);
  }

  std::vector<ModelTag> TagsOf(const WString& path) { return model_->Inspect(Find(path))->tags; }
  void UseSettings(LONG checkDisplayName, const WCHAR* alternateRoot = W("")) {
    settings_.CheckDisplayNameOnDownload = checkDisplayName;
    settings_.AlternateRoot = alternateRoot;
    plugin_.FindDeviceRecord(1)->settings = &settings_;
    plugin_.Resolver().ClearNodeCache();
  }
  bool Gone(ObjectId object) { return !model_->Inspect(object) || model_->Inspect(object)->deleted; }
  int Sends() { return Calls(ObjectKind::Storage, "Insert3") + Calls(ObjectKind::Storage, "Insert"); }
  // Insert3 and Insert answer `fault` `times` times.
  void FailInserts(HRESULT fault, int times, ObjectId object = 0) {
    for (const char* method : {"Insert3", "Insert"})
      model_->Faults().Inject(ObjectKind::Storage, method, fault, times, object);
  }

  std::filesystem::path sources_;
  kcDeviceSettings settings_;
};

TEST_F(ContentTransferTest, TheFormatCodeComesFromTheSourcePath) {
  const struct {
    const char* relative;
    const WCHAR* sent;
    DWORD code;
  } cases[] = {
      {"song.mp3", W("song.mp3"), 0x3009},         {"loud.MP3", W("loud.MP3"), 0xB901},  // the search is case-sensitive
      {"x.mp3/track.wav", W("track.wav"), 0x3009},  // ".mp3" first, anywhere in the path
      {"voice.wav", W("voice.wav"), 0x3008},       {"a.wav.mp3", W("a.wav.mp3"), 0x3009},
      {"mp3.wma", W("mp3.wma"), 0xB901},           {"Wav/talk.wma", W("talk.wma"), 0xB901},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.relative);
    ASSERT_EQ(Send(W("\\Music"), Source(c.relative)), S_OK);
    const std::vector<ModelTag> tags = TagsOf(WString(W("\\Music\\")) + c.sent);
    // An item with no tags sends the format code alone.
    EXPECT_EQ(Compared(tags), Compared({ModelTag::Dword(g_wszWMDMFormatCode, c.code)}));
  }
}

TEST_F(ContentTransferTest, TheTrackIsSentWithItsTagsInOrder) {
  // The tags in the order they are written.
  auto tagsInOrder = [](const WCHAR* album, const WCHAR* artist, const WCHAR* genre, const WCHAR* title, DWORD bitrate,
                        DWORD track, DWORD rating, DWORD format) {
    return std::vector<ModelTag>{
        ModelTag::String(g_wszWMDMAlbumTitle, album), ModelTag::String(g_wszWMDMAlbumArtist, artist),
        ModelTag::String(g_wszWMDMAuthor, artist),    ModelTag::String(g_wszWMDMGenre, genre),
        ModelTag::String(g_wszWMDMTitle, title),      ModelTag::Dword(g_wszWMDMBitrate, bitrate),
        ModelTag::Dword(g_wszWMDMTrack, track),      ModelTag::Dword(g_wszWMDMUserRating, rating),
        ModelTag::Dword(g_wszWMDMFormatCode, format)};
  };
  const struct {
    const char* source;
    Tags tags;
    std::vector<ModelTag> expected;
  } cases[] = {
      {"in/01.wma",
       {W("Intro"), W("Band"), W("First"), W("Rock"), 192000, 12, 75},
       tagsInOrder(W("First"), W("Band"), W("Rock"), W("Intro"), 192000, 12, 75, 0xB901)},
      // A tag with no value is not sent: an empty text, a zero, a property the item lacks.
      {"in/bare.mp3", {}, {ModelTag::Dword(g_wszWMDMFormatCode, 0x3009)}},
      {"in/some.mp3",
       {W("Song"), W(""), W(""), W("Pop"), 0, 0, 3},
       {ModelTag::String(g_wszWMDMGenre, W("Pop")), ModelTag::String(g_wszWMDMTitle, W("Song")),
        ModelTag::Dword(g_wszWMDMUserRating, 3), ModelTag::Dword(g_wszWMDMFormatCode, 0x3009)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    callback_.ClearEvents();
    DWORD outcome = 0;
    ASSERT_EQ(Send(W("\\Music"), Source(c.source, 300), kKeep, c.tags, &outcome), S_OK);
    EXPECT_EQ(outcome, 4u);
    const WString path = W("\\Music\\") + wide::FromUtf8(c.source + 3);
    EXPECT_EQ(model_->Inspect(Find(path))->bytes.size(), 300u);
    EXPECT_EQ(Compared(TagsOf(path)), Compared(c.expected));
    // The log line, the end of the operation, then the new track with its folder.
    EXPECT_EQ(Lines(callback_.Events()),
              (EventLines{"WMDM10::DownloadFile called to create a file named \\Music\n", "ended 77",
                          "+ \\Music:1 " + wide::ToUtf8(path) + ":4 @" + wide::ToUtf8(path)}));
  }
}

// A player that refuses a tag (one it does not keep, a value outside its
// range) gets the file with the other tags; the host reads which were left
// out in the log.
TEST_F(ContentTransferTest, TagsThePlayerRefusesAreLeftOutAndTheRestSent) {
  const Tags full{W("Intro"), W("Band"), W("First"), W("Rock"), 192000, 12, 75};
  Tags trackTooHigh = full;
  trackTooHigh.track = 100;
  const std::vector<WString> everyTag{g_wszWMDMAlbumTitle, g_wszWMDMAlbumArtist, g_wszWMDMAuthor,
                                      g_wszWMDMGenre,      g_wszWMDMTitle,       g_wszWMDMBitrate,
                                      g_wszWMDMTrack,      g_wszWMDMUserRating,  g_wszWMDMFormatCode};
  const auto without = [&](std::vector<WString> leftOut) {
    std::vector<WString> kept;
    for (const WString& tag : everyTag)
      if (std::find(leftOut.begin(), leftOut.end(), tag) == leftOut.end()) kept.push_back(tag);
    return kept;
  };
  const struct {
    const char* name;
    wmdm_standin::Personality personality;
    std::optional<std::vector<WString>> kept;  // by the player; none: every tag
    Tags tags;
    std::vector<WString> sent;
    const char* logged;  // the line naming what was left out, or null
  } cases[] = {
      {"mtp, a track number past 99", wmdm_standin::Personality::Mtp, std::nullopt, trackTooHigh,
       without({g_wszWMDMTrack}), "the tags the device refused: WMDM/Track"},
      {"mtp, tags the player does not keep", wmdm_standin::Personality::Mtp,
       std::vector<WString>{g_wszWMDMTitle, g_wszWMDMAuthor, g_wszWMDMTrack}, full,
       {g_wszWMDMAuthor, g_wszWMDMTitle, g_wszWMDMTrack, g_wszWMDMFormatCode},
       "the tags the device refused: WMDM/AlbumTitle, WMDM/AlbumArtist, WMDM/Genre, WMDM/Bitrate, "
       "WMDM/UserRating"},
      {"mtp, every tag taken", wmdm_standin::Personality::Mtp, std::nullopt, full, everyTag, nullptr},
      {"mass storage takes any track number", wmdm_standin::Personality::MassStorage, std::nullopt, trackTooHigh,
       everyTag, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(model_->SetPersonality(player_, c.personality));
    ASSERT_TRUE(model_->SetTagsSupported(player_, c.kept));
    callback_.ClearEvents();
    const std::string file = std::string(c.name).substr(0, 3) + std::to_string(&c - cases) + ".mp3";
    ASSERT_EQ(Send(W("\\Music"), Source(file), kKeep, c.tags), S_OK);
    std::vector<WString> sent;
    for (const ModelTag& tag : TagsOf(W("\\Music\\") + wide::FromUtf8(file))) sent.push_back(tag.name);
    EXPECT_EQ(sent, c.sent);
    std::string logged;
    for (const WString& line : callback_.LogLines())
      if (line.find(W("refused")) != WString::npos) logged += wide::ToUtf8(line);
    if (c.logged) {
      EXPECT_NE(logged.find(c.logged), std::string::npos) << logged;
    } else {
      EXPECT_EQ(logged, "");
    }
  }
}

TEST_F(ContentTransferTest, AnExistingFileIsKeptRefusedOrReplaced) {
  const struct {
    const char* name;
    DWORD mode;
    const char* relative;
    const WCHAR* existing;
    HRESULT result;
    DWORD outcome;
    bool sent;
  } cases[] = {
      {"kept", kKeep, "a.mp3", W("a.mp3"), S_OK, 4, false},
      {"refused", kRefuse, "a.mp3", W("a.mp3"), IPP_E_ALREADYEXISTS, 4, false},
      {"other case, kept", kKeep, "A.MP3", W("a.mp3"), S_OK, 4, false},
      {"replaced", kReplace, "a.mp3", W("a.mp3"), S_OK, 1, true},
      {"any other mode replaces", 7, "a.mp3", W("a.mp3"), S_OK, 1, true},
      {"a folder is never replaced", kReplace, "Pop", W("Pop"), IPP_E_ALREADYEXISTS, 4, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const WString source = Source(std::string(c.name) + "/" + c.relative, 10);
    const WString existing = WString(W("\\Music\\")) + c.existing;
    const ObjectId before = Find(existing);
    ASSERT_NE(before, 0u);
    model_->Faults().ResetCalls();
    callback_.ClearEvents();
    DWORD outcome = 0;
    EXPECT_EQ(Send(W("\\Music"), source, c.mode, {}, &outcome), c.result);
    EXPECT_EQ(outcome, c.outcome);
    const ObjectId after = Find(existing);
    ASSERT_NE(after, 0u);
    EXPECT_EQ(after != before, c.sent);
    // A replacement asks the device about the name before it sends, and the
    // old file goes with the send, not before it.
    EXPECT_EQ(Sends(), c.sent ? 2 : 0);
    EXPECT_EQ(Calls(ObjectKind::Storage, "Delete"), 0);
    EXPECT_EQ(EventsOf(HostEvent::kOperationEnded).size(), c.sent ? 1u : 0u);
    if (c.sent) {
      EXPECT_EQ(model_->Inspect(after)->bytes.size(), 10u);
    }
  }
}

TEST_F(ContentTransferTest, TheDisplayNameIsCheckedWhenTheDeviceAsksForIt) {
  const struct {
    const char* name;
    LONG check;
    DWORD mode;
    const WCHAR* title;
    HRESULT result;
    DWORD outcome;
    bool introKept, sent;
  } cases[] = {
      {"checked, kept", 1, kKeep, W("Intro"), S_OK, 4, true, false},
      {"checked, refused", 1, kRefuse, W("Intro"), IPP_E_ALREADYEXISTS, 4, true, false},
      {"checked, replaced", 1, kReplace, W("Intro"), S_OK, 1, false, true},
      {"not asked for", 0, kRefuse, W("Intro"), S_OK, 4, true, true},
      {"no title", 1, kRefuse, W(""), S_OK, 4, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UseSettings(c.check);
    const ObjectId intro = AddFile(music_, W("Intro.wma"), 20);
    DWORD outcome = 0;
    EXPECT_EQ(Send(W("\\Music"), Source(std::string(c.name) + "/01.wma"), c.mode, Tags{c.title}, &outcome), c.result);
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(!Gone(intro), c.introKept);
    // The new file keeps its own name in every case.
    EXPECT_EQ(Find(W("\\Music\\01.wma")) != 0, c.sent);
    // Both go, so that the next case starts from the same folder.
    for (const WCHAR* path : {W("\\Music\\01.wma"), W("\\Music\\Intro.wma")}) {
      if (Find(path)) {
        ASSERT_EQ(plugin_.DeleteItem(Internal().c_str(), path), S_OK);
      }
    }
  }
}

TEST_F(ContentTransferTest, AReplacedTrackGetsBackItsPlaceInEveryPlaylist) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_, zero_});
  const ObjectId top = model_->AddPlaylist(internal_, W("Top.pla"), {b_, zero_, a_});
  model_->SetPlaylistEntries(mix_, {a_, b_});
  DWORD outcome = 0;
  ASSERT_EQ(Send(W("\\Music"), Source("a.mp3", 33), kReplace, {}, &outcome), S_OK);
  EXPECT_EQ(outcome, 1u);
  const ObjectId fresh = Find(W("\\Music\\a.mp3"));
  ASSERT_NE(fresh, a_);
  EXPECT_TRUE(Gone(a_));
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{fresh, b_}));
  EXPECT_EQ(References(other), (std::vector<ObjectId>{b_, fresh, zero_}));
  EXPECT_EQ(References(top), (std::vector<ObjectId>{b_, zero_, fresh}));
  // Out of three playlists, the old file removed, the new one added, back into the three.
  EXPECT_EQ(Signs(Changes()), "===-+===");
}

// A new file whose name cannot be read is not announced, but the entries
// the file it replaced had are the user's: they must not go with it.
TEST_F(ContentTransferTest, AReplacedTrackWhoseNewNameCannotBeReadKeepsItsPlaces) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_});
  // Once: the name cannot be read when the send asks, and can afterwards.
  model_->Faults().Inject(ObjectKind::Storage, "GetName(new child)", E_FAIL, 1, music_);
  DWORD outcome = 0;
  ASSERT_EQ(Send(W("\\Music"), Source("a.mp3", 33), kReplace, {}, &outcome), S_OK);
  model_->Faults().ClearFaults();
  const ObjectId fresh = Find(W("\\Music\\a.mp3"));
  ASSERT_NE(fresh, a_);
  EXPECT_TRUE(Gone(a_));
  EXPECT_EQ(References(mix_), std::vector<ObjectId>{fresh});
  EXPECT_EQ(References(other), (std::vector<ObjectId>{b_, fresh}));
}

TEST_F(ContentTransferTest, APlaylistTargetGetsTheTrackAppended) {
  // The file lands in the medium's root.
  DWORD outcome = 0;
  ASSERT_EQ(Send(W("\\Music\\Mix.pla"), Source("new.mp3"), kRefuse, {}, &outcome), S_OK);
  EXPECT_EQ(outcome, 4u);
  const ObjectId rooted = Find(W("\\new.mp3"));
  ASSERT_NE(rooted, 0u);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, rooted}));
  const EventLines changes = Lines(Changes());
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0], "+ \\new.mp3:4 @\\new.mp3");
  EXPECT_EQ(changes[1][0], '=');

  // A file of that name already there is appended instead, whatever the mode.
  model_->Faults().ResetCalls();
  ASSERT_EQ(Send(W("\\Music\\Mix.pla"), Source("again/new.mp3"), kRefuse), S_OK);
  EXPECT_EQ(Sends(), 0);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, rooted, rooted}));

  // Below an alternate root the file lands in that folder.
  UseSettings(0, W("\\Music"));
  ASSERT_EQ(Send(W("\\Mix.pla"), Source("root/c.mp3")), S_OK);
  const ObjectId inMusic = Find(W("\\Music\\c.mp3"));
  ASSERT_NE(inMusic, 0u);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, rooted, rooted, inMusic}));

  // The medium's root, named as a folder, takes files too.
  UseSettings(0);
  ASSERT_EQ(Send(W("\\"), Source("top.mp3")), S_OK);
  EXPECT_NE(Find(W("\\top.mp3")), 0u);
  EXPECT_EQ(Send(W("\\Nowhere"), Source("lost.mp3")), IPP_E_NOTFOUND);
}

// The older Insert sends no tags: it is taken only when the device lacks the
// richer call. Any other refusal of Insert3 (no room for the tags, a name it
// will not take) fails the send, and nothing lands without the tags asked for.
TEST_F(ContentTransferTest, Insert3FallsBackToInsertOnlyWhenItIsNotSupported) {
  const struct {
    const char* what;
    ObjectKind kind;
    const char* method;
    ObjectId object;  // whose call fails; 0: any
    HRESULT fault;
    const WCHAR* file;
    int insert3, insert;
    HRESULT result;
  } cases[] = {
      {"Insert3 not implemented", ObjectKind::Storage, "Insert3", music_, E_NOTIMPL, W("plain.mp3"), 1, 1, S_OK},
      {"Insert3 not supported", ObjectKind::Storage, "Insert3", music_, WMDM_E_NOTSUPPORTED, W("older.mp3"), 1, 1,
       S_OK},
      {"a folder without the newer interface", ObjectKind::Storage, "QueryInterface(IWMDMStorageControl3)", music_,
       E_NOINTERFACE, W("oldest.mp3"), 0, 1, S_OK},
      {"no room for the tags", ObjectKind::Storage, "Insert3", music_, HRESULT_FROM_WIN32(ERROR_DISK_FULL),
       W("full.mp3"), 1, 0, IPP_E_DISKFULL},
      {"Insert3 fails", ObjectKind::Storage, "Insert3", music_, E_FAIL, W("failed.mp3"), 1, 0, IPP_E_FAIL},
      {"a name the device refuses", ObjectKind::Storage, "Insert3", music_, HRESULT_FROM_WIN32(ERROR_INVALID_NAME),
       W("refused.mp3"), 1, 0, IPP_E_FAIL},
      // Tags that cannot be handed over leave the file to go without them.
      {"tags that cannot be written", ObjectKind::MetaData, "AddItem", 0, E_OUTOFMEMORY, W("untagged.mp3"), 1, 0,
       S_OK},
      {"no metadata object", ObjectKind::Storage, "CreateEmptyMetadataObject", music_, E_OUTOFMEMORY, W("bare.mp3"), 1,
       0, S_OK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    model_->Faults().ResetCalls();
    model_->Faults().Inject(c.kind, c.method, c.fault, 1, c.object);
    callback_.ClearEvents();
    ASSERT_EQ(Send(W("\\Music"), Source(wide::ToUtf8(c.file), 12), kKeep, Tags{W("Lost Title")}), c.result);
    EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), c.insert3);
    EXPECT_EQ(Calls(ObjectKind::Storage, "Insert"), c.insert);
    const ObjectId sent = Find(W("\\Music\\") + WString(c.file));
    if (SUCCEEDED(c.result)) {
      EXPECT_EQ(EventsOf(HostEvent::kOperationEnded).size(), 1u);
    }
    EXPECT_EQ(Changes().size(), SUCCEEDED(c.result) ? 1u : 0u);
    if (FAILED(c.result)) {
      EXPECT_EQ(sent, 0u) << "a file landed although the send failed";
      continue;
    }
    ASSERT_NE(sent, 0u);
    EXPECT_TRUE(model_->Inspect(sent)->tags.empty());
  }
}

// A track that landed but whose name cannot be read: the host hears that
// the operation ended, of no item it could not name, and no playlist gains it.
TEST_F(ContentTransferTest, ASentTrackWhoseNameCannotBeReadIsNotAnnounced) {
  const struct {
    const WCHAR* target;
    ObjectId folder;
    const char* file;
    const WCHAR* sent;
  } cases[] = {
      {W("\\Music"), music_, "n1.mp3", W("\\Music\\n1.mp3")},
      {W("\\Music\\Mix.pla"), internal_, "n2.mp3", W("\\n2.mp3")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    model_->Faults().Inject(ObjectKind::Storage, "GetName(new child)", E_FAIL, wmdm_standin::kEveryCall, c.folder);
    callback_.ClearEvents();
    DWORD outcome = 0;
    EXPECT_EQ(Send(c.target, Source(c.file), kRefuse, {}, &outcome), S_OK);
    model_->Faults().ClearFaults();
    EXPECT_EQ(outcome, 4u);
    EXPECT_NE(Find(c.sent), 0u);
    EXPECT_EQ(EventsOf(HostEvent::kOperationEnded).size(), 1u);
    EXPECT_TRUE(Changes().empty());
    EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
  }
}

TEST_F(ContentTransferTest, AFailedSendLeavesThePlayerAsItWas) {
  const struct {
    const char* name;
    HRESULT fault;  // of every insertion; S_OK: none
    size_t size;
    HRESULT result;
  } cases[] = {
      {"disk full", S_OK, 2 << 20, IPP_E_DISKFULL},
      {"refused", E_ACCESSDENIED, 10, MapResult(E_ACCESSDENIED)},
      {"device gone", WMDM_E_INTERFACEDEAD, 10, IPP_E_CANCELLED},
  };
  const ObjectId root = model_->Find(player_, W("Internal Memory"));
  for (const auto& c : cases) {
    for (const WCHAR* target : {W("\\Music"), W("\\Music\\Mix.pla")}) {
      SCOPED_TRACE(std::string(c.name) + " " + wide::ToUtf8(target));
      const ULONGLONG free = model_->FreeSpace(internal_);
      const size_t children = model_->Inspect(root)->children.size();
      if (c.fault != S_OK) FailInserts(c.fault, wmdm_standin::kEveryCall);
      callback_.ClearEvents();
      DWORD outcome = 0;
      EXPECT_EQ(Send(target, Source(std::string(c.name) + "/big.mp3", c.size), kReplace, {}, &outcome), c.result);
      model_->Faults().ClearFaults();
      EXPECT_EQ(outcome, 4u);
      EXPECT_EQ(model_->FreeSpace(internal_), free);
      EXPECT_EQ(Find(W("\\Music\\big.mp3")), 0u);
      EXPECT_EQ(model_->Inspect(root)->children.size(), children);
      EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
      EXPECT_TRUE(EventsOf(HostEvent::kOperationEnded).empty());
      EXPECT_TRUE(Changes().empty());
    }
  }
}

TEST_F(ContentTransferTest, AReplacementTouchesNothingUntilTheNewFileCanLand) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {a_, b_, a_});
  const struct {
    const char* name;
    std::string source;  // relative to the test's folder; a file made there unless `made` is false
    size_t size;
    bool made;
    HRESULT insert3;  // of the first Insert3 after `passing` and of the next Insert; S_OK: none
    int passing;
    HRESULT result;
    bool checked;  // refused before any playlist was touched
  } cases[] = {
      {"no source", "missing/a.mp3", 0, false, S_OK, 0, MapResult(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), true},
      {"a folder as source", "folder", 0, false, S_OK, 0, MapResult(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)),
       true},
      {"no room beside the old file", "big/a.mp3", 2 << 20, true, S_OK, 0, IPP_E_DISKFULL, true},
      {"a name the device refuses", "name/a.mp3", 10, true, HRESULT_FROM_WIN32(ERROR_INVALID_NAME), 0,
       MapResult(HRESULT_FROM_WIN32(ERROR_INVALID_NAME)), true},
      // Taken out of both playlists, then put back.
      {"a send refused after the checks", "late/a.mp3", 10, true, E_ACCESSDENIED, 1, MapResult(E_ACCESSDENIED),
       false},
  };
  std::filesystem::create_directories(sources_ / "folder");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const WString source =
        c.made ? Source(c.source, c.size) : wide::FromUtf8((sources_ / c.source).make_preferred().u8string());
    if (c.insert3 != S_OK) {
      model_->Faults().Inject(ObjectKind::Storage, "Insert3", c.insert3, 1, 0, c.passing);
      model_->Faults().Inject(ObjectKind::Storage, "Insert", c.insert3, 1);
    }
    model_->Faults().ResetCalls();
    DWORD outcome = 0;
    EXPECT_EQ(Send(W("\\Music"), source, kReplace, {}, &outcome), c.result);
    model_->Faults().ClearFaults();
    EXPECT_EQ(outcome, 4u);
    EXPECT_EQ(Calls(ObjectKind::Storage, "SetReferences"), c.checked ? 0 : 4);
    EXPECT_FALSE(Gone(a_));
    EXPECT_EQ(Find(W("\\Music\\a.mp3")), a_);
    EXPECT_EQ(References(mix_), std::vector<ObjectId>{a_});
    EXPECT_EQ(References(other), (std::vector<ObjectId>{a_, b_, a_}));
    EXPECT_TRUE(EventsOf(HostEvent::kOperationEnded).empty());
    Changes();
  }
}

TEST_F(ContentTransferTest, ADeviceThatWillNotSendOverAFileDeletesItFirst) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {b_, a_});
  // The name is asked about first; the send over the old file is refused.
  auto refuseOverwrite = [&](int times) {
    model_->Faults().Inject(ObjectKind::Storage, "Insert3", HRESULT_FROM_WIN32(ERROR_FILE_EXISTS), times, 0, 1);
    model_->Faults().Inject(ObjectKind::Storage, "Insert", HRESULT_FROM_WIN32(ERROR_FILE_EXISTS), times);
  };
  refuseOverwrite(1);
  DWORD outcome = 0;
  ASSERT_EQ(Send(W("\\Music"), Source("a.mp3", 20), kReplace, {}, &outcome), S_OK);
  EXPECT_EQ(outcome, 1u);
  const ObjectId fresh = Find(W("\\Music\\a.mp3"));
  EXPECT_TRUE(Gone(a_));
  EXPECT_EQ(References(other), (std::vector<ObjectId>{b_, fresh}));

  // When the send still fails once the old file is deleted, the call says so.
  refuseOverwrite(2);
  EXPECT_EQ(Send(W("\\Music"), Source("again/a.mp3"), kReplace, {}, &outcome),
            MapResult(HRESULT_FROM_WIN32(ERROR_FILE_EXISTS)));
  model_->Faults().ClearFaults();
  EXPECT_EQ(outcome, 1u) << "the old file was deleted";
  EXPECT_TRUE(Gone(fresh));
  EXPECT_EQ(References(other), std::vector<ObjectId>{b_});
  const std::vector<HostEvent> lines = EventsOf(HostEvent::kLogLine);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().text.find(W("\\Music\\a.mp3, is already deleted")), WString::npos)
      << wide::ToUtf8(lines.back().text);
}

TEST_F(ContentTransferTest, AnOldFileThatCannotLeaveItsPlaylistsStays) {
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {zero_, b_});
  model_->SetPlaylistEntries(mix_, {b_});
  model_->Faults().Inject(ObjectKind::Storage, "EnumStorage", E_ACCESSDENIED, wmdm_standin::kEveryCall, pop_);
  DWORD outcome = 0;
  EXPECT_EQ(Send(W("\\Music"), Source("b.mp3"), kReplace, {}, &outcome), MapResult(E_ACCESSDENIED));
  model_->Faults().ClearFaults();
  EXPECT_EQ(outcome, 4u);
  EXPECT_FALSE(Gone(b_));
  EXPECT_EQ(References(mix_), std::vector<ObjectId>{b_});
  EXPECT_EQ(References(other), (std::vector<ObjectId>{zero_, b_}));
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert"), 0);
}

// The folder's storage answers a stale object and stays stale, as a real one
// does. Once: only a fresh lookup of the folder sends the file. Twice (the
// fresh one answers so too): given up after the second attempt, and each next
// call may retry again. The player words its own answer (dead, or "path not
// found" for the folder); the MTP codes are planted as they are.
TEST_F(ContentTransferTest, AStaleFolderIsResolvedAfreshOnce) {
  const struct {
    const char* file;
    HRESULT stale;  // 0: the player's own answer
    int deaths;     // storages of the folder that answer stale in turn
    bool gaveUp;
  } rounds[] = {
      // A stale storage is no missing Insert3: the older call is never tried.
      {"one.mp3", 0, 1, false},
      {"two.mp3", MTP_E_INVALID_OBJECT_HANDLE, 2, true},
      {"three.mp3", MTP_E_STALE_OBJECT_REFERENCE, 2, true},
      {"four.mp3", MTP_E_INVALID_OBJECT_HANDLE, 1, false},
      {"five.mp3", 0, 2, true},
  };
  for (const StaleAnswer& stale : kStaleAnswers) {
    ASSERT_TRUE(stale.SetOn(*model_, player_));
    for (const auto& round : rounds) {
      const std::string file = std::string(stale.fileErrors ? "w" : "d") + round.file;
      SCOPED_TRACE(file + ", " + stale.name);
      model_->Faults().ResetCalls();
      if (round.stale)
        model_->Faults().InjectDeath(ObjectKind::Storage, "Insert3", round.stale, round.deaths, music_);
      else
        model_->Faults().InjectStale(ObjectKind::Storage, "Insert3", round.deaths, music_);
      const HRESULT result = round.gaveUp ? MapResult(round.stale ? round.stale : stale.folder) : S_OK;
      EXPECT_EQ(Send(W("\\Music"), Source(file)), result);
      EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), 2);
      EXPECT_EQ(Calls(ObjectKind::Storage, "Insert"), 0);
      EXPECT_EQ(Find(W("\\Music\\") + wide::FromUtf8(file)) != 0, result == S_OK);
    }
  }
}

TEST_F(ContentTransferTest, MissingArgumentsAreRefusedWithoutALogLine) {
  const WString loc = Internal();
  const WString source = Source("x.mp3");
  kcIPPItem item;
  callback_.ClearEvents();
  const struct {
    const WCHAR *location, *target, *source;
    kiIPPItem* item;
  } cases[] = {
      {nullptr, W("\\Music"), source.c_str(), &item},
      {loc.c_str(), nullptr, source.c_str(), &item},
      {loc.c_str(), W("\\Music"), nullptr, &item},
      {loc.c_str(), W("\\Music"), source.c_str(), nullptr},
  };
  for (const auto& c : cases) {
    DWORD outcome = 0;
    EXPECT_EQ(plugin_.DownloadFile(c.location, c.target, c.source, c.item, kKeep, kCookie, &outcome), IPP_E_FAIL);
    EXPECT_EQ(outcome, 4u);
  }
  EXPECT_TRUE(callback_.Events().empty());
  EXPECT_EQ(plugin_.DownloadFile(loc.c_str(), W("\\Music"), source.c_str(), &item, kKeep, kCookie, nullptr), S_OK);
}

}  // namespace
}  // namespace resolver_testing
