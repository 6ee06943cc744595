#include <filesystem>
#include <fstream>
#include <random>

#include "content/resolver_test_player.h"
#include "core/map_result.h"
#include "host_sdk/ipp_result_codes.h"

namespace resolver_testing {
namespace {

using wmdm_standin::ModelTag;
using wmdm_standin::ObjectKind;

constexpr DWORD kCookie = 77;
constexpr DWORD kKeep = 2, kRefuse = 3, kReplace = 0;

struct Tags {
  const WCHAR *title = W(""), *artist = W(""), *album = W(""), *genre = W("");
  LONG bitrate = 0, track = -1, rating = -1;  // -1: the item has no such property
};

class ContentTransferTest : public ResolverPlayerTest {
 protected:
  void SetUp() override {
    ResolverPlayerTest::SetUp();
    // Other lanes may run the same test at the same time.
    sources_ = std::filesystem::temp_directory_path() /
               ("mdplugin_transfer_" + std::to_string(std::random_device()()));
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

  static void Fill(kcIPPItem* item, const Tags& tags) {
    item->SetTitle(tags.title);
    item->SetArtist(tags.artist);
    item->SetAlbum(tags.album);
    item->SetGenre(tags.genre);
    item->SetBitrate(tags.bitrate);
    if (tags.track >= 0) item->SetPropertyLong(W("ItemTrackNumber"), tags.track);
    if (tags.rating >= 0) item->SetPropertyLong(W("ItemTrackRanking"), tags.rating);
  }

  HRESULT Send(const WCHAR* target, const WString& source, DWORD mode = kKeep, const Tags& tags = {},
               DWORD* outcome = nullptr) {
    kcIPPItem item;
    Fill(&item, tags);
    DWORD ignored = 0;
    return plugin_.DownloadFile(Internal().c_str(), target, source.c_str(), &item, mode, kCookie,
                                outcome ? outcome : &ignored);
  }

  std::vector<ModelTag> TagsOf(const WString& path) { return model_->Inspect(Find(path))->tags; }
  void UseSettings(LONG checkDisplayName, const WCHAR* alternateRoot = W("")) {
    settings_.CheckDisplayNameOnDownload = checkDisplayName;
    settings_.AlternateRoot = alternateRoot;
    plugin_.FindDeviceRecord(1)->settings = &settings_;
    plugin_.ClearNodeCache();
  }
  bool Gone(ObjectId object) {
    const auto info = model_->Inspect(object);
    return !info || info->deleted;
  }
  int Sends() { return Calls(ObjectKind::Storage, "Insert3") + Calls(ObjectKind::Storage, "Insert"); }

  std::filesystem::path sources_;
  kcDeviceSettings settings_;
};

TEST_F(ContentTransferTest, TheFormatCodeComesFromTheSourcePath) {
  const struct {
    const char* relative;
    const WCHAR* sent;
    DWORD code;
  } cases[] = {
      {"song.mp3", W("song.mp3"), 0x3009},
      {"loud.MP3", W("loud.MP3"), 0xB901},  // the search is case-sensitive
      {"x.mp3/track.wav", W("track.wav"), 0x3009},  // ".mp3" first, anywhere in the path
      {"voice.wav", W("voice.wav"), 0x3008},
      {"a.wav.mp3", W("a.wav.mp3"), 0x3009},
      {"mp3.wma", W("mp3.wma"), 0xB901},
      {"Wav/talk.wma", W("talk.wma"), 0xB901},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.relative);
    ASSERT_EQ(Send(W("\\Music"), Source(c.relative)), S_OK);
    const std::vector<ModelTag> tags = TagsOf(WString(W("\\Music\\")) + c.sent);
    ASSERT_EQ(tags.size(), 9u);
    EXPECT_EQ(tags.back().value, ModelTag::Dword(g_wszWMDMFormatCode, c.code).value);
  }
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentTransferTest, TheTrackIsSentWithItsTagsInOrder) {
  const Tags full{W("Intro"), W("Band"), W("First"), W("Rock"), 192000, 12, 75};
  const struct {
    const char* source;
    Tags tags;
    std::vector<ModelTag> expected;
  } cases[] = {
      {"in/01.wma", full,
       {ModelTag::String(g_wszWMDMAlbumTitle, W("First")), ModelTag::String(g_wszWMDMAlbumArtist, W("Band")),
        ModelTag::String(g_wszWMDMAuthor, W("Band")), ModelTag::String(g_wszWMDMGenre, W("Rock")),
        ModelTag::String(g_wszWMDMTitle, W("Intro")), ModelTag::Dword(g_wszWMDMBitrate, 192000),
        ModelTag::String(g_wszWMDMTrack, W("12")), ModelTag::Dword(g_wszWMDMUserRating, 75),
        ModelTag::Dword(g_wszWMDMFormatCode, 0xB901)}},
      // An item without tags or properties gives empty texts and zeros.
      {"in/bare.mp3", {},
       {ModelTag::String(g_wszWMDMAlbumTitle, W("")), ModelTag::String(g_wszWMDMAlbumArtist, W("")),
        ModelTag::String(g_wszWMDMAuthor, W("")), ModelTag::String(g_wszWMDMGenre, W("")),
        ModelTag::String(g_wszWMDMTitle, W("")), ModelTag::Dword(g_wszWMDMBitrate, 0),
        ModelTag::String(g_wszWMDMTrack, W("0")), ModelTag::Dword(g_wszWMDMUserRating, 0),
        ModelTag::Dword(g_wszWMDMFormatCode, 0x3009)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    callback_.ClearEvents();
    DWORD outcome = 0;
    ASSERT_EQ(Send(W("\\Music"), Source(c.source, 300), kKeep, c.tags, &outcome), S_OK);
    EXPECT_EQ(outcome, 4u);
    const WString path = W("\\Music") + WString(W("\\")) + wide::FromUtf8(c.source + 3);
    EXPECT_EQ(model_->Inspect(Find(path))->bytes.size(), 300u);
    const std::vector<ModelTag> tags = TagsOf(path);
    ASSERT_EQ(tags.size(), c.expected.size());
    for (size_t i = 0; i < tags.size(); ++i) {
      SCOPED_TRACE(wide::ToUtf8(c.expected[i].name));
      EXPECT_EQ(tags[i].name, c.expected[i].name);
      EXPECT_EQ(tags[i].type, c.expected[i].type);
      EXPECT_EQ(tags[i].value, c.expected[i].value) << "strings with their terminator";
    }
    // The log line, the end of the operation, then the new track with its folder.
    const std::vector<HostEvent> events = callback_.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].text, WString(W("WMDM10::DownloadFile called to create a file named \\Music\n")));
    EXPECT_EQ(events[1].kind, HostEvent::kOperationEnded);
    EXPECT_EQ(events[1].number, kCookie);
    const std::vector<HostEvent> changes = Changes();
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, HostEvent::kContentAdded);
    EXPECT_EQ(changes[0].paths, (std::vector<WString>{W("\\Music"), path}));
    EXPECT_EQ(changes[0].kinds, (std::vector<LONG>{KindFolder, KindFile}));
  }
  EXPECT_TRUE(LockIsFree());
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
    const ObjectId before = Find(WString(W("\\Music\\")) + c.existing);
    ASSERT_NE(before, 0u);
    model_->Faults().ResetCalls();
    callback_.ClearEvents();
    DWORD outcome = 0;
    EXPECT_EQ(Send(W("\\Music"), source, c.mode, {}, &outcome), c.result);
    EXPECT_EQ(outcome, c.outcome);
    const ObjectId after = Find(WString(W("\\Music\\")) + c.existing);
    ASSERT_NE(after, 0u);
    EXPECT_EQ(after != before, c.sent);
    EXPECT_EQ(Sends(), c.sent ? 1 : 0);
    EXPECT_EQ(EventsOf(HostEvent::kOperationEnded).size(), c.sent ? 1u : 0u);
    if (c.sent) {
      EXPECT_EQ(model_->Inspect(after)->bytes.size(), 10u);
    }
    EXPECT_TRUE(LockIsFree());
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
    Tags tags;
    tags.title = c.title;
    DWORD outcome = 0;
    EXPECT_EQ(Send(W("\\Music"), Source(std::string(c.name) + "/01.wma"), c.mode, tags, &outcome), c.result);
    EXPECT_EQ(outcome, c.outcome);
    const bool introGone = Gone(intro);
    EXPECT_EQ(!introGone, c.introKept);
    // The new file keeps its own name in every case.
    const ObjectId sent = Find(W("\\Music\\01.wma"));
    EXPECT_EQ(sent != 0, c.sent);
    // Both go, so that the next case starts from the same folder.
    if (sent) {
      ASSERT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\01.wma")), S_OK);
    }
    if (!introGone) {
      ASSERT_EQ(plugin_.DeleteItem(Internal().c_str(), W("\\Music\\Intro.wma")), S_OK);
    }
    EXPECT_TRUE(LockIsFree());
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
  // Out of three playlists, the old file removed, the new one added, back
  // into the three playlists.
  std::vector<HostEvent::Kind> kinds;
  for (const HostEvent& change : Changes()) kinds.push_back(change.kind);
  using K = HostEvent::Kind;
  EXPECT_EQ(kinds, (std::vector<K>{K::kPlaylistChanged, K::kPlaylistChanged, K::kPlaylistChanged, K::kContentRemoved,
                                   K::kContentAdded, K::kPlaylistChanged, K::kPlaylistChanged, K::kPlaylistChanged}));
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentTransferTest, APlaylistTargetGetsTheTrackAppended) {
  // The file lands in the medium's root.
  DWORD outcome = 0;
  ASSERT_EQ(Send(W("\\Music\\Mix.pla"), Source("new.mp3"), kRefuse, {}, &outcome), S_OK);
  EXPECT_EQ(outcome, 4u);
  const ObjectId rooted = Find(W("\\new.mp3"));
  ASSERT_NE(rooted, 0u);
  EXPECT_EQ(References(mix_), (std::vector<ObjectId>{a_, rooted}));
  const std::vector<HostEvent> changes = Changes();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].paths, std::vector<WString>{W("\\new.mp3")});
  EXPECT_EQ(changes[1].kind, HostEvent::kPlaylistChanged);

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
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentTransferTest, AFailedInsert3FallsBackToInsert) {
  model_->Faults().Inject(ObjectKind::Storage, "Insert3", E_FAIL, 1, music_);
  Tags tags;
  tags.title = W("Lost Title");
  ASSERT_EQ(Send(W("\\Music"), Source("plain.mp3", 12), kKeep, tags), S_OK);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), 1);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert"), 1);
  const ObjectId sent = Find(W("\\Music\\plain.mp3"));
  ASSERT_NE(sent, 0u);
  EXPECT_TRUE(model_->Inspect(sent)->tags.empty()) << "the older interface sends no tags";
  EXPECT_EQ(EventsOf(HostEvent::kOperationEnded).size(), 1u);
  EXPECT_EQ(Changes().size(), 1u);

  // A folder without the newer interface takes the file through the older.
  model_->Faults().ResetCalls();
  model_->Faults().Inject(ObjectKind::Storage, "QueryInterface(IWMDMStorageControl3)", E_NOINTERFACE, 1, music_);
  ASSERT_EQ(Send(W("\\Music"), Source("older.mp3")), S_OK);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), 0);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert"), 1);
  EXPECT_NE(Find(W("\\Music\\older.mp3")), 0u);

  // Tags that cannot be written leave the file to go without them.
  model_->Faults().ResetCalls();
  model_->Faults().Inject(ObjectKind::MetaData, "AddItem", E_OUTOFMEMORY, 1);
  ASSERT_EQ(Send(W("\\Music"), Source("untagged.mp3")), S_OK);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), 1);
  EXPECT_TRUE(model_->Inspect(Find(W("\\Music\\untagged.mp3")))->tags.empty());
  EXPECT_TRUE(LockIsFree());
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
      for (const char* method : {"Insert3", "Insert"})
        if (c.fault != S_OK) model_->Faults().Inject(ObjectKind::Storage, method, c.fault, wmdm_standin::kEveryCall);
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
      EXPECT_TRUE(LockIsFree());
    }
  }
}

TEST_F(ContentTransferTest, AReplacementThatCannotBeSentSaysTheOldFileIsGone) {
  model_->Faults().Inject(ObjectKind::Storage, "Insert3", E_ACCESSDENIED, 1);
  model_->Faults().Inject(ObjectKind::Storage, "Insert", E_ACCESSDENIED, 1);
  DWORD outcome = 0;
  EXPECT_EQ(Send(W("\\Music"), Source("a.mp3"), kReplace, {}, &outcome), MapResult(E_ACCESSDENIED));
  EXPECT_EQ(outcome, 1u) << "the old file was deleted";
  EXPECT_TRUE(Gone(a_));
  EXPECT_TRUE(EventsOf(HostEvent::kOperationEnded).empty());
  const std::vector<HostEvent> lines = EventsOf(HostEvent::kLogLine);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().text.find(W("\\Music\\a.mp3, is already deleted")), WString::npos)
      << wide::ToUtf8(lines.back().text);

  // An old file that cannot be taken out of the playlists or deleted stays,
  // in its playlists too.
  const ObjectId other = model_->AddPlaylist(pop_, W("Other.pla"), {zero_, b_});
  model_->SetPlaylistEntries(mix_, {b_});
  const struct {
    const char* name;
    const char* method;
    ObjectId object;
  } cases[] = {{"walk fails", "EnumStorage", pop_}, {"delete refused", "Delete", b_}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    model_->Faults().ResetCalls();
    model_->Faults().Inject(ObjectKind::Storage, c.method, E_ACCESSDENIED, wmdm_standin::kEveryCall, c.object);
    Changes();
    EXPECT_EQ(Send(W("\\Music"), Source(std::string(c.name) + "/b.mp3"), kReplace, {}, &outcome),
              MapResult(E_ACCESSDENIED));
    model_->Faults().ClearFaults();
    EXPECT_EQ(outcome, 4u);
    EXPECT_FALSE(Gone(b_));
    EXPECT_EQ(References(mix_), std::vector<ObjectId>{b_});
    EXPECT_EQ(References(other), (std::vector<ObjectId>{zero_, b_}));
    EXPECT_EQ(Sends(), 0);
  }
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentTransferTest, ADeadFolderIsResolvedAfreshOnce) {
  model_->Faults().Inject(ObjectKind::Storage, "Insert3", WMDM_E_INTERFACEDEAD, 1);
  model_->Faults().Inject(ObjectKind::Storage, "Insert", WMDM_E_INTERFACEDEAD, 1);
  ASSERT_EQ(Send(W("\\Music"), Source("one.mp3")), S_OK);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), 2);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert"), 1);
  EXPECT_NE(Find(W("\\Music\\one.mp3")), 0u);

  // Dead twice: given up after the second attempt, and the next call may
  // retry again.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    model_->Faults().ResetCalls();
    model_->Faults().Inject(ObjectKind::Storage, "Insert3", WMDM_E_INTERFACEDEAD, 2);
    model_->Faults().Inject(ObjectKind::Storage, "Insert", WMDM_E_INTERFACEDEAD, 2);
    EXPECT_EQ(Send(W("\\Music"), Source("two.mp3")), IPP_E_CANCELLED);
    EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), 2);
    EXPECT_EQ(Calls(ObjectKind::Storage, "Insert"), 2);
  }
  model_->Faults().ResetCalls();
  model_->Faults().Inject(ObjectKind::Storage, "Insert3", WMDM_E_INTERFACEDEAD, 1);
  model_->Faults().Inject(ObjectKind::Storage, "Insert", WMDM_E_INTERFACEDEAD, 1);
  EXPECT_EQ(Send(W("\\Music"), Source("two.mp3")), S_OK);
  EXPECT_EQ(Calls(ObjectKind::Storage, "Insert3"), 2);
  EXPECT_TRUE(LockIsFree());
}

TEST_F(ContentTransferTest, MissingArgumentsAreRefusedWithoutALogLine) {
  const WString loc = Internal();
  const WString source = Source("x.mp3");
  kcIPPItem item;
  callback_.ClearEvents();
  const struct {
    const WCHAR* location;
    const WCHAR* target;
    const WCHAR* source;
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
  EXPECT_TRUE(LockIsFree());
}

}  // namespace
}  // namespace resolver_testing
