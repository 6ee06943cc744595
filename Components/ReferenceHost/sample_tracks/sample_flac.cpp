#include "sample_flac.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstdint>
#include <random>

#include <taglib/flacfile.h>
#include <taglib/xiphcomment.h>

namespace sample_tracks {

namespace {

constexpr int kRate = 44100;

// Fills `frame` with the chords from sample `done` on: the root changes each
// second, so no two seconds encode alike.
void FillChords(AVFrame* frame, long long done, unsigned seed, std::mt19937& noise) {
  std::uniform_int_distribution<int> hiss(-300, 300);
  auto* samples = reinterpret_cast<int16_t*>(frame->data[0]);
  for (int i = 0; i < frame->nb_samples; ++i) {
    const double t = static_cast<double>(done + i) / kRate;
    const double root = 110.0 * std::pow(2.0, ((seed + static_cast<unsigned>(t)) % 12) / 12.0);
    const double wave = std::sin(2 * M_PI * root * t) + 0.5 * std::sin(2 * M_PI * root * 1.5 * t) +
                        0.25 * std::sin(2 * M_PI * root * 2.52 * t);
    samples[2 * i] = static_cast<int16_t>(6000 * wave + hiss(noise));
    samples[2 * i + 1] = static_cast<int16_t>(6000 * std::sin(2 * M_PI * root * 1.26 * t) + hiss(noise));
  }
}

}  // namespace

bool WriteFlac(const std::string& path, unsigned seed, int seconds) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLAC);
  AVFormatContext* out = nullptr;
  if (!codec || avformat_alloc_output_context2(&out, nullptr, "flac", path.c_str()) < 0) return false;
  AVCodecContext* encoder = avcodec_alloc_context3(codec);
  encoder->sample_rate = kRate;
  encoder->sample_fmt = AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&encoder->ch_layout, 2);
  encoder->time_base = {1, kRate};
  AVStream* stream = avformat_new_stream(out, nullptr);
  bool ok = stream && avcodec_open2(encoder, codec, nullptr) >= 0 &&
            avcodec_parameters_from_context(stream->codecpar, encoder) >= 0 &&
            avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(out, nullptr) >= 0;
  std::mt19937 noise(seed);
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  const int size = encoder->frame_size > 0 ? encoder->frame_size : 4096;
  const long long total = static_cast<long long>(kRate) * seconds;
  // The pass that finds nothing left hands the encoder no frame, which drains
  // it: only then does it give its last packets and the stream's length.
  for (long long done = 0; ok; done += size) {
    AVFrame* given = nullptr;
    if (done < total) {
      frame->nb_samples = static_cast<int>(std::min<long long>(size, total - done));
      frame->format = encoder->sample_fmt;
      av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
      ok = av_frame_get_buffer(frame, 0) >= 0;
      if (ok) FillChords(frame, done, seed, noise);
      frame->pts = done;
      given = frame;
    }
    ok = ok && avcodec_send_frame(encoder, given) >= 0;
    while (ok && avcodec_receive_packet(encoder, packet) >= 0) {
      av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
      ok = av_interleaved_write_frame(out, packet) >= 0;
    }
    av_frame_unref(frame);
    if (!given) break;
  }
  ok = ok && av_write_trailer(out) >= 0;
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&encoder);
  avio_closep(&out->pb);
  avformat_free_context(out);
  return ok;
}

bool WriteFlacTrack(const std::string& folder, const Track& track, std::string* error) {
  const std::string path = folder + "/" + track.file;
  if (!WriteFlac(path, track.number, static_cast<int>(std::ceil(track.seconds)))) {
    *error = "could not encode " + path;
    return false;
  }
  TagLib::FLAC::File file(path.c_str());
  TagLib::Ogg::XiphComment* comment = file.xiphComment(true);
  if (!file.isValid() || !comment) {
    *error = "TagLib cannot read " + path;
    return false;
  }
  const auto text = [](const std::string& value) { return TagLib::String(value, TagLib::String::UTF8); };
  comment->setTitle(text(track.title));
  comment->setArtist(text(track.artist));
  comment->addField("ALBUMARTIST", text(track.albumArtist));
  comment->setAlbum(text(track.album));
  comment->setGenre(text(track.genre));
  comment->setYear(track.year);
  comment->setTrack(track.number);
  if (!file.save()) {
    *error = "TagLib cannot tag " + path;
    return false;
  }
  return true;
}

const Track& LosslessTrack() {
  static const Track track = {"04 Harbour Lights.flac", "Harbour Lights", "The Lanterns", "The Lanterns",
                              "Harbour Songs", "Folk", 2004, 4, 3.0};
  return track;
}

}  // namespace sample_tracks
