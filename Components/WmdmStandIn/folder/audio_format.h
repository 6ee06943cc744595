// A track's audio format read from its first headers (an MP3's first frame,
// a WAV's fmt chunk, a FLAC's stream info, an Ogg Vorbis or Opus identification
// packet): a few hundred bytes, where reading the tags means parsing the
// whole file. A listing asks every file for its format.
#pragma once

#include <functional>
#include <string>

#include "model_types.h"

namespace wmdm_standin {

// Reads up to `length` bytes at `offset` into `buffer`; answers how many it got.
using ReadAt = std::function<size_t(unsigned long long offset, unsigned char* buffer, size_t length)>;

// The format of the content `read` gives (`size` bytes in all), of the kind
// `formatCode` names. False, with `format` zeroed, when the kind is not one
// read here or the headers are not what that kind starts with.
// `milliseconds`, when asked for, gets the play time where the headers tell
// it (an MP3's), else 0.
bool AudioFormatFromHeaders(DWORD formatCode, unsigned long long size, const ReadAt& read, _WAVEFORMATEX* format,
                            unsigned long long* milliseconds = nullptr);

// The same, of a file whose size the caller knows already (a listing has
// just read it: one system call less for each file).
bool ReadAudioFormat(const std::string& path, DWORD formatCode, unsigned long long size, _WAVEFORMATEX* format,
                     unsigned long long* milliseconds = nullptr);

// The same, of a file the caller has open (its offset is left alone).
bool ReadAudioFormatAt(int descriptor, DWORD formatCode, unsigned long long size, _WAVEFORMATEX* format,
                       unsigned long long* milliseconds = nullptr);

}  // namespace wmdm_standin
