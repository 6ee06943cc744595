// mdhost sync converting 200 FLAC tracks of 30 s into an empty folder player,
// beside what a person would do by hand: the ffmpeg program converting two
// at a time (xargs -P 2, LAME at -q:a 2, the sync's default V2), then rsync
// of the MP3s onto the player (goal: within 1.2x of that wall time); and a
// second sync, which converts and sends nothing, beside rsync -a's second
// run (goal: within 2x).
// Every program starts afresh each time: what is timed is the whole run,
// from start to exit. The tracks are generated once (sample_flac.h, through
// libavcodec's FLAC encoder) under $TMPDIR (or /tmp), with the sync's record
// and conversion cache, and removed at exit.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "quiet_command.h"
#include "temporary_root.h"
#include "sample_flac.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 200;
constexpr int kSeconds = 30;

struct Folders {
  fs::path root, source, player, converted, copy, state, cache;
  std::string mdhost;
  bool made = true;

  Folders() {
    root = MakeTemporaryRoot("mdplugin-convert-bench");
    if (root.empty()) {
      std::perror("no temporary folder");
      std::exit(1);
    }
    source = root / "source";
    player = root / "player";
    converted = root / "converted";
    copy = root / "copy";
    state = root / "state";
    cache = root / "cache";
    for (int i = 0; i < kTracks && made; ++i) {
      const fs::path album = source / ("Album " + std::to_string(i / 20));
      fs::create_directories(album);
      made = sample_tracks::WriteFlac((album / ("Track " + std::to_string(i) + ".flac")).string(),
                                      static_cast<unsigned>(i), kSeconds);
    }
    mdhost = (fs::read_symlink("/proc/self/exe").parent_path() / "mdhost").string();
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  }
  ~Folders() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  static void Empty(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
};

Folders& Shared() {
  static Folders folders;
  return folders;
}

double Run(const std::vector<std::string>& argv) { return TimeQuietly(argv); }

std::vector<std::string> SyncCommand(const Folders& f) {
  return {f.mdhost, "sync", f.source.string(), f.player.string(), "/Music"};
}

// Two conversions at a time into a folder of MP3s beside the source's,
// then rsync of that folder onto the player.
std::vector<std::string> ByHandCommand(const Folders& f) {
  const std::string script =
      "cd \"$1\" && find . -name '*.flac' -print0 | xargs -0 -P 2 -I{} sh -c "
      "'mkdir -p \"$0/$(dirname \"$1\")\" && ffmpeg -nostdin -loglevel error -y -i \"$1\" -codec:a libmp3lame "
      "-q:a 2 \"$0/${1%.flac}.mp3\"' \"$2\" {} && rsync -a \"$2/\" \"$3/\"";
  return {"sh", "-c", script, "sh", f.source.string(), f.converted.string(), f.copy.string()};
}

enum class Way { kSync, kByHand, kRsync };

// A first run starts from an empty player, no record and an empty cache.
// A second run's first, untimed, may take its MP3s from the cache the
// earlier iterations filled: what is timed is the run that finds nothing.
void Measure(benchmark::State& state, Way way, bool again) {
  Folders& f = Shared();
  if (!f.made) {
    state.SkipWithError("the FLAC tracks could not be made");
    return;
  }
  if (way == Way::kRsync && (!fs::exists(f.converted) || fs::is_empty(f.converted)) && Run(ByHandCommand(f)) < 0)
    state.SkipWithError("ffmpeg or rsync failed (are they installed?)");
  for (auto _ : state) {
    Folders::Empty(way == Way::kSync ? f.player : f.copy);
    Folders::Empty(f.state);
    if (!again) Folders::Empty(f.cache);
    if (way == Way::kByHand) Folders::Empty(f.converted);
    const std::vector<std::string> command =
        way == Way::kSync    ? SyncCommand(f)
        : way == Way::kRsync ? std::vector<std::string>{"rsync", "-a", f.converted.string() + "/", f.copy.string() + "/"}
                             : ByHandCommand(f);
    if (again && Run(command) < 0) state.SkipWithError("the first run failed");
    const double seconds = Run(command);
    if (seconds < 0) {
      state.SkipWithError(way == Way::kSync ? "mdhost sync failed" : "ffmpeg or rsync failed (are they installed?)");
      break;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["tracks"] = kTracks;
}

void BM_MdhostSyncConvertingFirst(benchmark::State& state) { Measure(state, Way::kSync, false); }
void BM_FfmpegTwoAtATimeThenRsync(benchmark::State& state) { Measure(state, Way::kByHand, false); }
void BM_MdhostSyncConvertingAgain(benchmark::State& state) { Measure(state, Way::kSync, true); }
void BM_RsyncOfTheMp3sAgain(benchmark::State& state) { Measure(state, Way::kRsync, true); }

BENCHMARK(BM_FfmpegTwoAtATimeThenRsync)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MdhostSyncConvertingFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RsyncOfTheMp3sAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MdhostSyncConvertingAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
