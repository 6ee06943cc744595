// Turns a track the player cannot play (FLAC, ALAC or AAC in M4A, Ogg
// Vorbis, Opus) into an MP3 with the source's tags, ReplayGain values and
// front cover, through FFmpeg's libraries and TagLib. The MP3 starts with a
// LAME header giving the encoder delay and padding, so that it plays for
// exactly the source's length and gaplessly. The Windows build has none.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "convert/encode_settings.h"

// Whether this build converts at all.
bool CanConvert();

// Whether a file with this lower-cased extension (".flac") is one to convert.
bool ConvertibleExtension(const std::string& extension);

// Those extensions, lower-cased (ConvertsForPlayer says whether this build
// converts them for a player).
const std::vector<std::string>& ConvertedExtensions();

struct ConversionResult {
  bool ok = false;
  bool stopped = false;  // `stop` was raised; nothing is left at `destination`
  std::string problem;   // in words, for "failed FILE: ..." when not ok
};

// Writes `destination` from `source`. On any failure or stop the partial
// file is removed. `stop` is looked at between packets.
ConversionResult ConvertToMp3(const std::string& source, const std::string& destination,
                              const EncodeSettings& settings, const std::atomic<bool>& stop);
