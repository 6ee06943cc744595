// A folder-backed player measured beside the plain file-system work it wraps,
// side by side in one run on the same folder:
//   - listing 10,000 tracks through FindFirstItem/FindNextItem beside
//     readdir and stat of the same folder (goal: within 2x): the first
//     listing after the player came (each track's format read from its
//     file), a listing again, the stand-in's part alone (the WMDM calls
//     the plug-in makes for each child, straight) and the format reads alone;
//     and beside readdir, stat and each file's format read straight, which
//     is what a first listing reports of a track;
//   - DeleteItem of one track on a player that keeps playlists, which walks
//     the whole medium for playlist references;
//   - GetItemInformation with tags of 1,000 MP3s beside TagLib reading the
//     same files (goal: within 1.5x): the first reading on a player just
//     added, and the reading again;
//   - DownloadFile of a tagged 100 MB MP3 (cover art and other frames the
//     send keeps, its title replaced) beside a plain read/write copy of it
//     (goal: at least 90 % of its throughput).
// The folders are made once under $TMPDIR (or /tmp) and removed at exit.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <objbase.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/uniquefileidentifierframe.h>

#include "host_sdk/kc_ipp_item.h"
#include "audio_format.h"
#include "content/storage_node.h"
#include "plugin/kc_wmdm10_plugin.h"
#include "folder_player.h"
#include "player_model.h"
#include "registration.h"
#include "storage_children.h"
#include "temporary_root.h"
#include "sample_tracks.h"

namespace {

// MD_BENCH_LISTED=1000 makes a smaller listing, for a profiler's run.
size_t Listed() {
  static const size_t listed = [] {
    const char* given = getenv("MD_BENCH_LISTED");
    const long value = given ? std::atol(given) : 0;
    return value > 0 ? static_cast<size_t>(value) : size_t{10000};
  }();
  return listed;
}
constexpr size_t kTagged = 1000;
constexpr size_t kBigBytes = 100u << 20;

// The player folder: Listing/ with 10,000 one-frame MP3s, Tagged/ with
// 1,000 tagged MP3s, and beside it (not on the player) a 100 MB source file.
class BenchFolder {
 public:
  BenchFolder() {
    const std::string made = MakeTemporaryRoot("md-folder-bench");
    if (made.empty()) return;
    base_ = made;
    player_ = base_ + "/Bench Player";
    mkdir(player_.c_str(), 0755);
    mkdir((player_ + "/Listing").c_str(), 0755);
    mkdir((player_ + "/Tagged").c_str(), 0755);
    mkdir((player_ + "/Received").c_str(), 0755);
    const std::string frame = sample_tracks::SilentMp3(1);
    for (size_t i = 0; i < Listed(); ++i) {
      std::ofstream out(player_ + "/Listing/track" + std::to_string(i) + ".mp3", std::ios::binary);
      out << frame;
    }
    sample_tracks::Track track = sample_tracks::DefaultTracks().front();
    std::string error;
    for (size_t i = 0; i < kTagged; ++i) {
      track.file = "tagged" + std::to_string(i) + ".mp3";
      track.number = static_cast<unsigned>(i % 99 + 1);
      if (!sample_tracks::WriteTrack(player_ + "/Tagged", track, &error)) return;
    }
    source_ = base_ + "/big source.mp3";
    std::ofstream big(source_, std::ios::binary);
    const std::string chunk = sample_tracks::SilentMp3(2500);  // about 1 MB of frames
    for (size_t written = 0; written < kBigBytes; written += chunk.size()) big << chunk;
    big.close();
    ready_ = static_cast<bool>(big) && TagSource();
  }
  // The big source tagged as a library leaves it: text frames, 200 KB of
  // cover art, a comment and an identifier, all of which a send keeps.
  bool TagSource() {
    TagLib::MPEG::File file(source_.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle("Big");
    tag->setArtist("Bench Artist");
    auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
    picture->setMimeType("image/jpeg");
    picture->setPicture(TagLib::ByteVector(200 * 1024, 'p'));
    tag->addFrame(picture);
    auto* comment = new TagLib::ID3v2::CommentsFrame;
    comment->setText("kept");
    tag->addFrame(comment);
    tag->addFrame(new TagLib::ID3v2::UniqueFileIdentifierFrame("bench", "0001"));
    return file.save(TagLib::MPEG::File::ID3v2);
  }
  ~BenchFolder() {
    if (!base_.empty()) std::system(("rm -rf '" + base_ + "'").c_str());
  }
  bool Ready() const { return ready_; }
  const std::string& Player() const { return player_; }
  const std::string& Source() const { return source_; }
  std::string Scratch() const { return base_ + "/copy.mp3"; }

 private:
  std::string base_, player_, source_;
  bool ready_ = false;
};

BenchFolder& Folder() {
  static BenchFolder folder;
  return folder;
}

// The plug-in initialised over the folder player, its device list and its
// one medium read, as a host leaves them.
class Host {
 public:
  Host() {
    CoInitialize(nullptr);
    if (!wmdm_standin::AddFolderPlayer(*model_, Folder().Player(), wmdm_standin::PlayerModel::Presence::Connected))
      return;
    registration_.Register(model_);
    plugin_.Initialize(W("C:\\Library"), W(""));
    plugin_.UnregisterNotifications();
    DWORD number = 0;
    IPPFINDHANDLE find = nullptr;
    if (plugin_.FindFirstDevice(&number, &find) != S_OK) return;
    plugin_.FindDeviceClose(find);
    BSTR location = nullptr;
    if (plugin_.FindFirstMedia(number, &location, &find) != S_OK) return;
    location_ = location;
    SysFreeString(location);
    plugin_.FindMediaClose(find);
  }
  ~Host() {
    plugin_.Shutdown();
    registration_.Revoke();
    CoUninitialize();
  }
  bool Ready() const { return !location_.empty(); }

  size_t List(const WCHAR* folder) {
    kcIPPItem item;
    IPPFINDHANDLE find = nullptr;
    size_t count = 0;
    HRESULT hr = plugin_.FindFirstItem(location_.c_str(), folder, &item, &find);
    while (hr == S_OK) {
      ++count;
      hr = plugin_.FindNextItem(find, &item);
    }
    if (find) plugin_.FindItemClose(find);
    return count;
  }
  bool ItemWithTags(const WString& path) {
    kcIPPItem item;
    if (plugin_.GetItemInformation(location_.c_str(), path.c_str(), &item) != S_OK) return false;
    BSTR title = item.GetTitle();
    const bool tagged = title && SysStringLen(title) > 0;
    SysFreeString(title);
    return tagged;
  }
  // Sends `source` into the folder `target`.
  HRESULT Send(const std::string& source, const WString& target) {
    kcIPPItem item;
    item.SetKind(4);  // a track
    item.SetTitle(W("Big, sent"));
    DWORD outcome = 0;
    return plugin_.DownloadFile(location_.c_str(), target.c_str(), wide::FromUtf8(source).c_str(), &item, 0, 0,
                                &outcome);
  }
  HRESULT Delete(const WString& path) { return plugin_.DeleteItem(location_.c_str(), path.c_str()); }

  // What the plug-in asks WMDM of each child of `folder` in a listing, asked
  // straight: name, attributes with the audio format, size and format code.
  size_t ListStandInAlone(const WCHAR* folder) {
    NodeRef node = plugin_.Resolver().ResolveStorage(location_, folder, 0);
    if (!node) return 0;
    return CountChildren(node->storage.Get(), [](ComPtr<IWMDMStorage>& child) {
      WCHAR name[260] = {};
      DWORD attributes = 0, low = 0, high = 0;
      _WAVEFORMATEX format = {};
      child->GetName(name, 259);
      child->GetAttributes(&attributes, &format);
      child->GetSize(&low, &high);
      ComPtr<IWMDMStorage4> storage4;
      ComPtr<IWMDMMetaData> metadata;
      if (FAILED(child.As(&storage4)) || FAILED(storage4->GetMetadata(&metadata)) || !metadata) return false;
      WMDM_TAG_DATATYPE type = WMDM_TYPE_DWORD;
      BYTE* value = nullptr;
      UINT length = 0;
      const bool answered = SUCCEEDED(metadata->QueryByName(g_wszWMDMFormatCode, &type, &value, &length));
      CoTaskMemFree(value);
      return answered;
    });
  }

 private:
  std::shared_ptr<wmdm_standin::PlayerModel> model_ = wmdm_standin::PlayerModel::Create();
  wmdm_standin::DeviceManagerRegistration registration_;
  kcWMDM10Plugin plugin_;
  WString location_;
};

bool Prepare(benchmark::State& state, Host* host) {
  if (!Folder().Ready()) {
    state.SkipWithError("the bench folder could not be made");
    return false;
  }
  if (host && !host->Ready()) {
    state.SkipWithError("the folder player did not come up");
    return false;
  }
  return true;
}

// Each iteration lists a player just added (its formats not read yet), as
// the first listing after a player is plugged in; adding it is not timed.
void ListFreshPlayers(benchmark::State& state, size_t (Host::*list)(const WCHAR*)) {
  if (!Prepare(state, nullptr)) return;
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<Host>();
    state.ResumeTiming();
    if (!host->Ready()) {
      state.SkipWithError("the folder player did not come up");
      break;
    }
    if (((*host).*list)(W("\\Listing")) != Listed()) state.SkipWithError("the listing missed tracks");
    state.PauseTiming();
    host.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Listed()));
}

void BM_ListThroughPlugin(benchmark::State& state) { ListFreshPlayers(state, &Host::List); }

// The same folder listed again: what was read the first time is kept.
void BM_ListThroughPluginAgain(benchmark::State& state) {
  Host host;
  if (!Prepare(state, &host)) return;
  host.List(W("\\Listing"));
  for (auto _ : state)
    if (host.List(W("\\Listing")) != Listed()) state.SkipWithError("the listing missed tracks");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Listed()));
}

// The stand-in's part of the first listing: the same WMDM calls, straight.
void BM_ListStandInAlone(benchmark::State& state) { ListFreshPlayers(state, &Host::ListStandInAlone); }

// Each visible file of the listing folder, read by `read` (given its path
// and its stat); counts the files it answered true for.
template <typename Read>
size_t ReadEachFile(Read read) {
  const std::string folder = Folder().Player() + "/Listing";
  size_t count = 0;
  DIR* dir = opendir(folder.c_str());
  while (const dirent* entry = dir ? readdir(dir) : nullptr) {
    if (entry->d_name[0] == '.') continue;
    const std::string path = folder + "/" + entry->d_name;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && read(path, info)) ++count;
  }
  if (dir) closedir(dir);
  return count;
}

void BM_ListWithReaddirStat(benchmark::State& state) {
  if (!Prepare(state, nullptr)) return;
  for (auto _ : state)
    if (ReadEachFile([](const std::string&, const struct stat&) { return true; }) != Listed())
      state.SkipWithError("readdir missed files");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Listed()));
}

// What a first listing reports of each track, read straight from the file
// system: the name, the size and date, and the audio format from the
// file's headers (a listing's play time needs it; readdir and stat alone
// read no file).
void BM_ListWithReaddirStatFormat(benchmark::State& state) {
  if (!Prepare(state, nullptr)) return;
  const auto readFormat = [](const std::string& path, const struct stat& info) {
    _WAVEFORMATEX format = {};
    return wmdm_standin::ReadAudioFormat(path, WMDM_FORMATCODE_MP3, static_cast<unsigned long long>(info.st_size),
                                         &format);
  };
  for (auto _ : state)
    if (ReadEachFile(readFormat) != Listed()) state.SkipWithError("a format was not read");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Listed()));
}

// The floor of the stand-in's part: each track's format read from its
// headers (an open, one read and a close), as the first listing does.
void BM_FormatHeadersAlone(benchmark::State& state) {
  if (!Prepare(state, nullptr)) return;
  const std::string folder = Folder().Player() + "/Listing/track";
  const unsigned long long size = sample_tracks::SilentMp3(1).size();
  for (auto _ : state) {
    size_t count = 0;
    for (size_t i = 0; i < Listed(); ++i) {
      _WAVEFORMATEX format = {};
      if (wmdm_standin::ReadAudioFormat(folder + std::to_string(i) + ".mp3", WMDM_FORMATCODE_MP3, size, &format))
        ++count;
    }
    if (count != Listed()) state.SkipWithError("a format was not read");
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Listed()));
}

void BM_TagsThroughPlugin(benchmark::State& state) {
  Host host;
  if (!Prepare(state, &host)) return;
  for (auto _ : state)
    for (size_t i = 0; i < kTagged; ++i)
      if (!host.ItemWithTags(W("\\Tagged\\tagged") + wide::FromUnsigned(i) + W(".mp3"))) {
        state.SkipWithError("an item came without its tags");
        break;
      }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTagged));
}

// Each iteration reads the tags of a player just added, as the first
// browse after it is plugged in; adding it is not timed.
void BM_TagsFirstReadingThroughPlugin(benchmark::State& state) {
  if (!Prepare(state, nullptr)) return;
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<Host>();
    state.ResumeTiming();
    for (size_t i = 0; i < kTagged; ++i)
      if (!host->ItemWithTags(W("\\Tagged\\tagged") + wide::FromUnsigned(i) + W(".mp3"))) {
        state.SkipWithError("an item came without its tags");
        break;
      }
    state.PauseTiming();
    host.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTagged));
}

void BM_TagsWithTagLib(benchmark::State& state) {
  if (!Prepare(state, nullptr)) return;
  for (auto _ : state)
    for (size_t i = 0; i < kTagged; ++i) {
      TagLib::FileRef file((Folder().Player() + "/Tagged/tagged" + std::to_string(i) + ".mp3").c_str());
      if (file.isNull() || file.tag()->title().isEmpty() || !file.audioProperties()) {
        state.SkipWithError("TagLib missed a tag");
        break;
      }
      benchmark::DoNotOptimize(file.audioProperties()->lengthInMilliseconds());
    }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kTagged));
}

void BM_SendThroughPlugin(benchmark::State& state) {
  Host host;
  if (!Prepare(state, &host)) return;
  for (auto _ : state) {
    const HRESULT hr = host.Send(Folder().Source(), W("\\Received"));
    // The delete that makes room for the next send walks the whole medium
    // for playlist references (11,000 tracks here): not part of a send.
    state.PauseTiming();
    host.Delete(W("\\Received\\big source.mp3"));
    state.ResumeTiming();
    if (hr != S_OK) {
      char text[64];
      std::snprintf(text, sizeof text, "DownloadFile answered 0x%08X", static_cast<unsigned>(hr));
      state.SkipWithError(text);
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigBytes));
}

// A delete on a player that keeps playlists walks the whole medium (11,000
// tracks here) for playlists that name the deleted track.
void BM_DeleteThroughPlugin(benchmark::State& state) {
  Host host;
  if (!Prepare(state, &host)) return;
  const std::string small = Folder().Player() + "/../small.mp3";
  std::ofstream(small, std::ios::binary) << sample_tracks::SilentMp3(1);
  for (auto _ : state) {
    state.PauseTiming();
    const HRESULT sent = host.Send(small, W("\\Received"));
    state.ResumeTiming();
    const HRESULT deleted = host.Delete(W("\\Received\\small.mp3"));
    if (sent != S_OK || deleted != S_OK) {
      state.SkipWithError("the send or the delete failed");
      break;
    }
  }
  unlink(small.c_str());
}

void BM_PlainCopy(benchmark::State& state) {
  if (!Prepare(state, nullptr)) return;
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
    const int in = open(Folder().Source().c_str(), O_RDONLY);
    const int out = open(Folder().Scratch().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ssize_t got = 0;
    while (in >= 0 && out >= 0 && (got = read(in, buffer.data(), buffer.size())) > 0)
      if (write(out, buffer.data(), static_cast<size_t>(got)) != got) break;
    if (out >= 0) {
      fsync(out);  // as a send does before it renames into place
      close(out);
    }
    if (in >= 0) close(in);
    unlink(Folder().Scratch().c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBigBytes));
}

}  // namespace

BENCHMARK(BM_ListThroughPlugin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListThroughPluginAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListStandInAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatHeadersAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWithReaddirStat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWithReaddirStatFormat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteThroughPlugin)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TagsFirstReadingThroughPlugin)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TagsThroughPlugin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagsWithTagLib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendThroughPlugin)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(3);
