// mdhost sync of 1,000 small tracks into a folder player, beside rsync of the
// same folder into an empty folder, each run as its program on the same
// machine (goals: a first sync within 2x of rsync's copy; a second sync,
// which sends nothing, within 2x of rsync's run that finds nothing to do),
// and beside rsync --fsync, which makes each file durable as the folder
// player does.
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
std::vector<std::string> RsyncCommand(const Folders& f, bool fsync) {
  std::vector<std::string> command = {"rsync", "-a", f.source.string() + "/", f.copy.string() + "/"};
  if (fsync) command.insert(command.begin() + 1, "--fsync");
  return command;
}

enum class Program { kSync, kRsync, kRsyncFsync };

// Each iteration starts from an empty destination (and, for the sync, no
// record of an earlier one); with `again`, the timed run is the second.
void Measure(benchmark::State& state, Program program, bool again) {
  Folders& f = Shared();
  const bool sync = program == Program::kSync;
  for (auto _ : state) {
    f.Empty(sync ? f.player : f.copy);
    f.Empty(f.state);
    const std::vector<std::string> command = sync ? SyncCommand(f) : RsyncCommand(f, program == Program::kRsyncFsync);
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

void BM_MdhostSyncFirst(benchmark::State& state) { Measure(state, Program::kSync, false); }
void BM_RsyncFirst(benchmark::State& state) { Measure(state, Program::kRsync, false); }
// The folder player makes each file it receives durable before it is named
// (fsync); rsync does the same only when asked.
void BM_RsyncFsyncFirst(benchmark::State& state) { Measure(state, Program::kRsyncFsync, false); }
void BM_MdhostSyncAgain(benchmark::State& state) { Measure(state, Program::kSync, true); }
void BM_RsyncAgain(benchmark::State& state) { Measure(state, Program::kRsync, true); }

BENCHMARK(BM_RsyncFsyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RsyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MdhostSyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RsyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MdhostSyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
