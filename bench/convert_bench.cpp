// mdhost sync converting 200 FLAC tracks of 30 s into an empty folder player,
// beside what a person would do by hand: the ffmpeg program converting two
// at a time (xargs -P 2, LAME at -q:a 2, the sync's default V2), then rsync
// of the MP3s onto the player (goal: within 1.2x of that wall time); and a
// second sync, which converts and sends nothing, beside rsync -a's second
// run (goal: within 2x).
// Every program starts afresh each time: what is timed is the whole run,
// from start to exit. The tracks are generated once with libavcodec's FLAC
// encoder under $TMPDIR (or /tmp), with the sync's record and conversion
// cache, and removed at exit.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "quiet_command.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kTracks = 200;
constexpr int kSeconds = 30;
constexpr int kRate = 44100;

// One 30-second stereo track: chords that change each second over a little
// noise, so that the encoders have music-like work, not silence.
bool WriteFlac(const std::string& path, unsigned seed) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLAC);
  AVFormatContext* out = nullptr;
  if (!codec || avformat_alloc_output_context2(&out, nullptr, "flac", path.c_str()) < 0) return false;
  AVCodecContext* encoder = avcodec_alloc_context3(codec);
  encoder->sample_rate = kRate;
  encoder->sample_fmt = AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&encoder->ch_layout, 2);
  encoder->time_base = {1, kRate};
  AVStream* stream = avformat_new_stream(out, nullptr);
  bool ok = avcodec_open2(encoder, codec, nullptr) >= 0 &&
            avcodec_parameters_from_context(stream->codecpar, encoder) >= 0 &&
            avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(out, nullptr) >= 0;
  std::mt19937 noise(seed);
  std::uniform_int_distribution<int> hiss(-300, 300);
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  const int size = encoder->frame_size > 0 ? encoder->frame_size : 4096;
  for (long long done = 0; ok && done <= static_cast<long long>(kRate) * kSeconds; done += size) {
    const long long left = static_cast<long long>(kRate) * kSeconds - done;
    AVFrame* given = nullptr;
    if (left > 0) {
      frame->nb_samples = static_cast<int>(std::min<long long>(size, left));
      frame->format = encoder->sample_fmt;
      av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
      ok = av_frame_get_buffer(frame, 0) >= 0;
      auto* samples = reinterpret_cast<int16_t*>(frame->data[0]);
      for (int i = 0; ok && i < frame->nb_samples; ++i) {
        const double t = static_cast<double>(done + i) / kRate;
        const double root = 110.0 * std::pow(2.0, ((seed + static_cast<int>(t)) % 12) / 12.0);
        const double wave = std::sin(2 * M_PI * root * t) + 0.5 * std::sin(2 * M_PI * root * 1.5 * t) +
                            0.25 * std::sin(2 * M_PI * root * 2.52 * t);
        samples[2 * i] = static_cast<int16_t>(6000 * wave + hiss(noise));
        samples[2 * i + 1] = static_cast<int16_t>(6000 * std::sin(2 * M_PI * root * 1.26 * t) + hiss(noise));
      }
      frame->pts = done;
      given = frame;
    }
    ok = ok && avcodec_send_frame(encoder, given) >= 0;
    while (ok && avcodec_receive_packet(encoder, packet) >= 0) {
      av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
      ok = av_interleaved_write_frame(out, packet) >= 0;
    }
    av_frame_unref(frame);
  }
  ok = ok && av_write_trailer(out) >= 0;
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&encoder);
  avio_closep(&out->pb);
  avformat_free_context(out);
  return ok;
}

struct Folders {
  fs::path root, source, player, converted, copy, state, cache;
  std::string mdhost;
  bool made = true;

  Folders() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/mdplugin-convert-bench-XXXXXX";
    root = mkdtemp(pattern.data());
    source = root / "source";
    player = root / "player";
    converted = root / "converted";
    copy = root / "copy";
    state = root / "state";
    cache = root / "cache";
    for (int i = 0; i < kTracks && made; ++i) {
      const fs::path album = source / ("Album " + std::to_string(i / 20));
      fs::create_directories(album);
      made = WriteFlac((album / ("Track " + std::to_string(i) + ".flac")).string(), static_cast<unsigned>(i));
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
