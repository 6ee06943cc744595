// A track's tags and audio format read from and written into the file itself
// (MP3, WMA, WAV, FLAC, Ogg Vorbis and Opus, MP4/M4A), under the platform's metadata names
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
// does not carry is left out. `format` gets the audio format players report:
// the one its first headers give where they are read (audio_format.h), else
// TagLib's. `size` is the file's. `headerMilliseconds`, when not 0, is the
// play time its first headers gave with `format` (read just before): they are
// not read again.
void ReadTrackDetails(const std::string& path, const WString& name, unsigned long long size,
                      std::vector<ModelTag>* tags, _WAVEFORMATEX* format, unsigned long long headerMilliseconds = 0);

// The same, with the format its first headers give, of a file the caller
// has open (a send's copy just written: no second open), where those
// headers tell the play time (an MP3's). False, with nothing read, for any
// other file, which ReadTrackDetails reads by its path. `path` names the
// file as TagLib should take it (its extension).
bool ReadTrackDetailsAt(int descriptor, const std::string& path, const WString& name, unsigned long long size,
                        std::vector<ModelTag>* tags, _WAVEFORMATEX* format);

}  // namespace wmdm_standin
