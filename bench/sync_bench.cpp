// mdhost sync of 1,000 small tracks into a folder player, beside rsync of the
// same folder into an empty folder, each run as its program on the same
// machine (goals: a first sync within 2x of rsync's copy; a second sync,
// which sends nothing, within 2x of rsync's run that finds nothing to do),
// and beside rsync --fsync, which makes each file durable as the folder
// player does. The same pair runs again onto an exFAT volume mounted through
// FUSE, as a card is (tools/lib/exfat_volume.sh: root, /dev/fuse and loop
// devices; those runs are skipped with the reason where it cannot mount).
// Both programs start afresh each time: what is timed is the whole run, from
// start to exit. The folders are made under $TMPDIR (or /tmp) and removed at
// exit; the sync keeps its record in a state folder of its own there.
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
#include "sample_tracks.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 1000;

struct Folders {
  fs::path root, source, player, copy, state;
  std::string mdhost;
  // The card, once an exFAT run asks for it: its mount point, or why not.
  fs::path card;
  std::string noCard;
  bool cardAsked = false;

  Folders() {
    root = MakeTemporaryRoot("mdplugin-sync-bench");
    if (root.empty()) {
      std::perror("no temporary folder");
      std::exit(1);
    }
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
    if (!card.empty()) RunQuietly({MD_EXFAT_SCRIPT, "down", (root / "card").string()});
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  // The exFAT volume's mount point, made on first use; empty when it cannot be.
  const fs::path& Card() {
    if (cardAsked) return card;
    cardAsked = true;
    const fs::path made = root / "card";
    if (RunQuietly({MD_EXFAT_SCRIPT, "up", made.string(), "256M"}) != 0)
      noCard = "no exFAT volume here (tools/lib/exfat_volume.sh can says why)";
    else
      card = made / "mnt";
    return card;
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

double Run(const std::vector<std::string>& argv) { return TimeQuietly(argv); }

std::vector<std::string> SyncCommand(const Folders& f, const fs::path& player) {
  return {f.mdhost, "sync", f.source.string(), player.string(), "/Music"};
}
std::vector<std::string> RsyncCommand(const Folders& f, const fs::path& copy, bool fsync) {
  std::vector<std::string> command = {"rsync", "-a", f.source.string() + "/", copy.string() + "/"};
  if (fsync) command.insert(command.begin() + 1, "--fsync");
  return command;
}

enum class Program { kSync, kRsync, kRsyncFsync };

// Each iteration starts from an empty destination (and, for the sync, no
// record of an earlier one); with `again`, the timed run is the second. On
// the card, both write into folders of the volume's root.
void Measure(benchmark::State& state, Program program, bool again, bool onCard = false) {
  Folders& f = Shared();
  const bool sync = program == Program::kSync;
  if (onCard && f.Card().empty()) {
    state.SkipWithError(f.noCard.c_str());
    return;
  }
  const fs::path player = onCard ? f.card / "player" : f.player;
  const fs::path copy = onCard ? f.card / "copy" : f.copy;
  for (auto _ : state) {
    f.Empty(sync ? player : copy);
    f.Empty(f.state);
    const std::vector<std::string> command =
        sync ? SyncCommand(f, player) : RsyncCommand(f, copy, program == Program::kRsyncFsync);
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
// rsync -a onto a card keeps times and modes that exFAT only partly holds
// (its times are coarse, its modes fixed): it copies as it would onto any
// card, and its second run compares sizes and times as they read back.
void BM_ExfatRsyncFirst(benchmark::State& state) { Measure(state, Program::kRsync, false, true); }
void BM_ExfatMdhostSyncFirst(benchmark::State& state) { Measure(state, Program::kSync, false, true); }
void BM_ExfatRsyncAgain(benchmark::State& state) { Measure(state, Program::kRsync, true, true); }
void BM_ExfatMdhostSyncAgain(benchmark::State& state) { Measure(state, Program::kSync, true, true); }

BENCHMARK(BM_RsyncFsyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RsyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MdhostSyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RsyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MdhostSyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExfatRsyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExfatMdhostSyncFirst)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExfatRsyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExfatMdhostSyncAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
