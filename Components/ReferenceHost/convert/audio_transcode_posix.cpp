#include "convert/audio_transcode.h"
#include "convert/transcode_module.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <fstream>
#include <memory>
#include <type_traits>

namespace {

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct OutputCloser {
  void operator()(AVFormatContext* context) const {
    if (context->pb) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ResamplerFreer {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
struct FifoFreer {
  void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using Input = std::unique_ptr<AVFormatContext, InputCloser>;
using Output = std::unique_ptr<AVFormatContext, OutputCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// MPEG-1, 2 and 2.5 rates; any other is resampled to the nearest family's.
int Mp3Rate(int rate) {
  for (int allowed : {48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000})
    if (rate == allowed) return rate;
  return rate % 11025 == 0 ? 44100 : 48000;
}

// A file the demuxers all refuse: a damaged file of a format that is known
// by its first bytes, or no audio file at all.
std::string Unrecognised(const std::string& source) {
  char head[12] = {};
  std::ifstream(source, std::ios::binary).read(head, sizeof head);
  const std::string start(head, sizeof head);
  if (start.compare(0, 4, "fLaC") == 0) return "corrupt FLAC file: its header cannot be read";
  if (start.compare(0, 4, "OggS") == 0) return "corrupt Ogg file: its header cannot be read";
  if (start.compare(4, 4, "ftyp") == 0) return "corrupt M4A file: its header cannot be read";
  return "not an audio file (no format this host decodes)";
}

bool Protected(const AVStream& stream) {
  const uint32_t tag = stream.codecpar->codec_tag;
  if (tag == MKTAG('d', 'r', 'm', 's') || tag == MKTAG('d', 'r', 'm', 'i') || tag == MKTAG('e', 'n', 'c', 'a'))
    return true;
  return av_stream_get_side_data(&stream, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr) != nullptr;
}

class Transcoder {
 public:
  Transcoder(const EncodeSettings& settings, const std::atomic<bool>& stop) : settings_(settings), stop_(stop) {}

  TranscodeResult Run(const std::string& source, const std::string& destination) {
    if (!OpenInput(source) || !OpenDecoder() || !OpenEncoder() || !OpenOutput(destination) || !Pump()) return result_;
    result_.ok = true;
    return result_;
  }

 private:
  bool Fail(const std::string& problem) {
    result_.problem = problem;
    return false;
  }

  bool OpenInput(const std::string& source) {
    AVFormatContext* opened = nullptr;
    const int status = avformat_open_input(&opened, source.c_str(), nullptr, nullptr);
    if (status == AVERROR_INVALIDDATA) return Fail(Unrecognised(source));
    if (status < 0) return Fail("cannot be read (" + ErrorText(status) + ")");
    input_.reset(opened);
    format_ = input_->iformat->name;
    if (avformat_find_stream_info(input_.get(), nullptr) < 0) return Fail(Corrupt("its stream cannot be read"));
    const int index = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return Fail("not an audio file (nothing in it is audio)");
    stream_ = input_->streams[index];
    if (Protected(*stream_)) return Fail("protected by DRM: its audio cannot be decoded");
    return true;
  }

  std::string Corrupt(const std::string& detail) const {
    std::string name = format_ == "flac" ? "FLAC" : format_ == "ogg" ? "Ogg" : format_;
    if (format_.find("mp4") != std::string::npos) name = "M4A";
    return "corrupt " + name + " file: " + detail;
  }

  bool OpenDecoder() {
    const AVCodec* codec = avcodec_find_decoder(stream_->codecpar->codec_id);
    if (!codec) {
      const char* name = avcodec_get_name(stream_->codecpar->codec_id);
      char tag[AV_FOURCC_MAX_STRING_SIZE] = {};
      av_fourcc_make_string(tag, stream_->codecpar->codec_tag);
      return Fail(std::string("unsupported codec (") + (stream_->codecpar->codec_id == AV_CODEC_ID_NONE ? tag : name) +
                  "): no decoder for its audio");
    }
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_ || avcodec_parameters_to_context(decoder_.get(), stream_->codecpar) < 0)
      return Fail("out of memory");
    decoder_->pkt_timebase = stream_->time_base;
    const int status = avcodec_open2(decoder_.get(), codec, nullptr);
    if (status < 0) return Fail(Corrupt("its decoder refused it (" + ErrorText(status) + ")"));
    if (decoder_->ch_layout.nb_channels <= 0 || decoder_->sample_rate <= 0)
      return Fail(Corrupt("no sample rate or channel count"));
    return true;
  }

  bool OpenEncoder() {
    const AVCodec* codec = avcodec_find_encoder_by_name("libmp3lame");
    if (!codec) return Fail("this host's libavcodec has no LAME encoder");
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) return Fail("out of memory");
    encoder_->sample_rate = Mp3Rate(decoder_->sample_rate);
    av_channel_layout_default(&encoder_->ch_layout, decoder_->ch_layout.nb_channels == 1 ? 1 : 2);
    encoder_->sample_fmt = codec->sample_fmts[0];
    encoder_->time_base = AVRational{1, encoder_->sample_rate};
    if (settings_.bitrateKbps) {
      encoder_->bit_rate = settings_.bitrateKbps * 1000LL;
    } else {
      // As LAME's -V: the quality scale, which libavcodec reads as lambda.
      encoder_->flags |= AV_CODEC_FLAG_QSCALE;
      encoder_->global_quality = settings_.vbrQuality * FF_QP2LAMBDA;
    }
    const int status = avcodec_open2(encoder_.get(), codec, nullptr);
    if (status < 0) return Fail("the encoder refused its settings (" + ErrorText(status) + ")");
    SwrContext* resampler = nullptr;
    if (swr_alloc_set_opts2(&resampler, &encoder_->ch_layout, encoder_->sample_fmt, encoder_->sample_rate,
                            &decoder_->ch_layout, decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr) < 0 ||
        swr_init(resampler) < 0) {
      swr_free(&resampler);
      return Fail("cannot convert its " + std::to_string(decoder_->sample_rate) + " Hz samples");
    }
    resampler_.reset(resampler);
    fifo_.reset(av_audio_fifo_alloc(encoder_->sample_fmt, encoder_->ch_layout.nb_channels, encoder_->frame_size * 4));
    return fifo_ ? true : Fail("out of memory");
  }

  bool OpenOutput(const std::string& destination) {
    AVFormatContext* made = nullptr;
    if (avformat_alloc_output_context2(&made, nullptr, "mp3", nullptr) < 0) return Fail("no MP3 writer");
    output_.reset(made);
    AVStream* stream = avformat_new_stream(output_.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, encoder_.get()) < 0) return Fail("out of memory");
    stream->time_base = encoder_->time_base;
    const int status = avio_open(&output_->pb, destination.c_str(), AVIO_FLAG_WRITE);
    if (status < 0) return Fail("cannot write " + destination + " (" + ErrorText(status) + ")");
    // TagLib writes the tags; the muxer's own would only be replaced.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "id3v2_version", "0", 0);
    const int written = avformat_write_header(output_.get(), &options);
    av_dict_free(&options);
    return written >= 0 ? true : Fail("cannot write " + destination + " (" + ErrorText(written) + ")");
  }

  bool Pump() {
    Packet packet(av_packet_alloc());
    Frame frame(av_frame_alloc());
    if (!packet || !frame) return Fail("out of memory");
    for (;;) {
      if (stop_.load()) {
        result_.stopped = true;
        return Fail("stopped");
      }
      const int read = av_read_frame(input_.get(), packet.get());
      if (read == AVERROR_EOF) break;
      if (read < 0) return Fail(Corrupt("cannot be read past " + Seconds() + " (" + ErrorText(read) + ")"));
      const bool ours = packet->stream_index == stream_->index;
      const int sent = ours ? avcodec_send_packet(decoder_.get(), packet.get()) : 0;
      av_packet_unref(packet.get());
      if (sent < 0) return Fail(Corrupt("bad audio data at " + Seconds() + " (" + ErrorText(sent) + ")"));
      if (ours && !Decode(frame.get())) return false;
    }
    avcodec_send_packet(decoder_.get(), nullptr);
    if (!Decode(frame.get())) return false;
    if (decodedSamples_ == 0) return Fail(Corrupt("no audio could be decoded"));
    if (!Resample(nullptr) || !Encode(true)) return false;
    const int trailer = av_write_trailer(output_.get());
    return trailer >= 0 ? true : Fail("cannot finish the MP3 (" + ErrorText(trailer) + ")");
  }

  std::string Seconds() const {
    return std::to_string(decodedSamples_ / std::max(decoder_ ? decoder_->sample_rate : 1, 1)) + " s";
  }

  bool Decode(AVFrame* frame) {
    for (;;) {
      const int status = avcodec_receive_frame(decoder_.get(), frame);
      if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
      if (status < 0) return Fail(Corrupt("bad audio data at " + Seconds() + " (" + ErrorText(status) + ")"));
      decodedSamples_ += frame->nb_samples;
      const bool ok = Resample(frame) && Encode(false);
      av_frame_unref(frame);
      if (!ok) return false;
    }
  }

  // Into the FIFO, from which the encoder takes whole frames.
  bool Resample(const AVFrame* frame) {
    const int in = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(resampler_.get(), in);
    if (room <= 0) return true;
    uint8_t** planes = nullptr;
    if (av_samples_alloc_array_and_samples(&planes, nullptr, encoder_->ch_layout.nb_channels, room,
                                           encoder_->sample_fmt, 0) < 0)
      return Fail("out of memory");
    const int out = swr_convert(resampler_.get(), planes, room, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr, in);
    const bool ok = out >= 0 && av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(planes), out) == out;
    av_freep(&planes[0]);
    av_freep(&planes);
    return ok ? true : Fail("cannot convert its samples");
  }

  bool Encode(bool last) {
    const int size = encoder_->frame_size;
    while (av_audio_fifo_size(fifo_.get()) >= size || (last && av_audio_fifo_size(fifo_.get()) > 0)) {
      Frame frame(av_frame_alloc());
      if (!frame) return Fail("out of memory");
      frame->nb_samples = std::min(size, av_audio_fifo_size(fifo_.get()));
      frame->format = encoder_->sample_fmt;
      frame->sample_rate = encoder_->sample_rate;
      if (av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout) < 0 || av_frame_get_buffer(frame.get(), 0) < 0)
        return Fail("out of memory");
      av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), frame->nb_samples);
      frame->pts = encodedSamples_;
      encodedSamples_ += frame->nb_samples;
      if (!Write(frame.get())) return false;
    }
    return last ? Write(nullptr) : true;
  }

  bool Write(const AVFrame* frame) {
    const int sent = avcodec_send_frame(encoder_.get(), frame);
    if (sent < 0) return Fail("the encoder failed (" + ErrorText(sent) + ")");
    Packet packet(av_packet_alloc());
    if (!packet) return Fail("out of memory");
    for (;;) {
      const int status = avcodec_receive_packet(encoder_.get(), packet.get());
      if (status == AVERROR(EAGAIN) || status == AVERROR_EOF) return true;
      if (status < 0) return Fail("the encoder failed (" + ErrorText(status) + ")");
      packet->stream_index = 0;
      av_packet_rescale_ts(packet.get(), encoder_->time_base, output_->streams[0]->time_base);
      const int written = av_write_frame(output_.get(), packet.get());
      av_packet_unref(packet.get());
      if (written < 0) return Fail("cannot write the MP3 (" + ErrorText(written) + ")");
    }
  }

  const EncodeSettings& settings_;
  const std::atomic<bool>& stop_;
  TranscodeResult result_;
  Input input_;
  std::string format_;
  AVStream* stream_ = nullptr;
  Codec decoder_, encoder_;
  std::unique_ptr<SwrContext, ResamplerFreer> resampler_;
  std::unique_ptr<AVAudioFifo, FifoFreer> fifo_;
  Output output_;
  long long decodedSamples_ = 0, encodedSamples_ = 0;
};

}  // namespace

// The module's only exported name; the host looks it up by kTranscodeEntryName.
extern "C" __attribute__((visibility("default"))) void MdTranscodeToMp3(
    const std::string& source, const std::string& destination, const EncodeSettings& settings,
    const std::atomic<bool>& stop, TranscodeResult* result) {
  static_assert(std::is_same_v<decltype(&MdTranscodeToMp3), TranscodeEntry>, "the entry's type is the loader's");
  av_log_set_level(AV_LOG_QUIET);
  *result = Transcoder(settings, stop).Run(source, destination);
}
