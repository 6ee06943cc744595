// A track's tags and audio format read from and written into the file itself
// (MP3, WMA, WAV, FLAC, Ogg Vorbis, MP4), under the platform's metadata names
// and types.
#pragma once

#include <string>
#include <vector>

#include "model_types.h"

namespace wmdm_standin {

// "WMDM/FormatCode" of a file by its name; 0 for a kind players do not play.
DWORD FormatCodeOfName(const WString& name);

// Title, author, album title, album artist, genre, track, year, duration (in
// 100 ns), bit rate, sample rate, channels and the format code; what the file
// does not carry is left out. `format` gets the audio format players report.
void ReadTrackDetails(const std::string& path, const WString& name, std::vector<ModelTag>* tags,
                      _WAVEFORMATEX* format);

// Writes the text and number tags it knows into the file; the others (the
// format code, duration and such, which the file says for itself) are passed
// over. False when the file cannot be tagged.
bool WriteTrackTags(const std::string& path, const std::vector<ModelTag>& tags);

// For an MP3: the ID3v2 tag the copy of `source` should start with (the
// source's own, with these values over it), and where the source's audio
// starts after its own tag. A large file is then written once instead of
// being shifted to make room for its tag. False when the source is no MP3
// TagLib reads.
// `trailer` is the ID3v1 tag that replaces the source's last `trailerSize`
// bytes (empty and 0 when the source has none).
struct Mp3Tags {
  std::string tag;
  unsigned long long audioStart = 0;
  std::string trailer;
  unsigned long long trailerSize = 0;
};
bool RenderMp3Tag(const std::string& source, const std::vector<ModelTag>& tags, Mp3Tags* rendered);

}  // namespace wmdm_standin
