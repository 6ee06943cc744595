// mdhost sync of 1,000 small tracks into a folder player, beside rsync of the
// same folder into an empty folder, each run as its program on the same
// machine (goals: a first sync within 2x of rsync's copy; a second sync,
// which sends nothing, within 2x of rsync's run that finds nothing to do).
// Both programs start afresh each time: what is timed is the whole run, from
// start to exit. The folders are made under $TMPDIR (or /tmp) and removed at
// exit; the sync keeps its record in a state folder of its own there.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "sample_tracks.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 1000;

struct Folders {
  fs::path root, source, player, copy, state;
  std::string mdhost;

  Folders() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mdplugin-sync-bench-XXXXXX";
    root = mkdtemp(pattern.data());
    source = root / "source";
    player = root / "player";
    copy = root / "copy";
    state = root / "state";
    // Ten albums of a hundred tracks, each a tagged one-second MP3.
    sample_tracks::Track track = sample_tracks::DefaultTracks().front();
    std::string error;
    for (int i = 0; i < kTracks; ++i) {
      const fs::path album = source / ("Album " + std::to_string(i / 100));
      fs::create_directories(album);
      track.file = "Track " + std::to_string(i) + ".mp3";
      track.number = static_cast<unsigned>(i % 100 + 1);
      sample_tracks::WriteTrack(album.string(), track, &error);
    }
    mdhost = (fs::read_symlink("/proc/self/exe").parent_path() / "mdhost").string();
    setenv("XDG_STATE_HOME", state.c_str(), 1);
  }
  ~Folders() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  void Empty(const fs::path& folder) const {
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
};

Folders& Shared() {
  static Folders folders;
  return folders;
}

// Runs the program with its output thrown away; the seconds it took, or a
// negative number when it failed.
double Run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  int status = -1;
  if (posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ) == 0) waitpid(child, &status, 0);
  const auto stop = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::chrono::duration<double>(stop - start).count() : -1;
}

std::vector<std::string> SyncCommand(const Folders& f) {
  return {f.mdhost, "sync", f.source.string(), f.player.string(), "/Music"};
}
std::vector<std::string> RsyncCommand(const Folders& f) {
  return {"rsync", "-a", f.source.string() + "/", f.copy.string() + "/"};
}

// Each iteration starts from an empty destination (and, for the sync, no
// record of an earlier one); with `again`, the timed run is the second.
void Measure(benchmark::State& state, bool sync, bool again) {
  Folders& f = Shared();
  for (auto _ : state) {
    f.Empty(sync ? f.player : f.copy);
    f.Empty(f.state);
    const std::vector<std::string> command = sync ? SyncCommand(f) : RsyncCommand(f);
    if (again && Run(command) < 0) state.SkipWithError("the first run failed");
    const double seconds = Run(command);
    if (seconds < 0) {
      state.SkipWithError(sync ? "mdhost sync failed" : "rsync failed (is it installed?)");
      break;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["tracks"] = kTracks;
}

void BM_MdhostSyncFirst(benchmark::State& state) { Measure(state, true, false); }
void BM_RsyncFirst(benchmark::State& state) { Measure(state, false, false); }
void BM_MdhostSyncAgain(benchmark::State& state) { Measure(state, true, true); }
void BM_RsyncAgain(benchmark::State& state) { Measure(state, false, true); }

BENCHMARK(BM_RsyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MdhostSyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RsyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MdhostSyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
