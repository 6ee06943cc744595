// The audio half of a conversion: decodes the source's first audio stream
// with libavformat/libavcodec, resamples it with libswresample to a rate and
// channel count MP3 carries, and encodes it with LAME through libavcodec into
// an MP3 file that holds no tag yet (TagLib writes those afterwards). The
// MP3 muxer writes the Xing/LAME header with the encoder delay and padding.
#pragma once

#include <atomic>
#include <string>

#include "convert/encode_settings.h"

struct TranscodeResult {
  bool ok = false;
  bool stopped = false;
  std::string problem;
};

TranscodeResult TranscodeToMp3(const std::string& source, const std::string& destination,
                               const EncodeSettings& settings, const std::atomic<bool>& stop);
