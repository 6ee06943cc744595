// A lossless track made at build time, for the demo's conversion and the
// conversion benchmark: music-like chords over a little noise (so that an
// encoder has real work, not silence), encoded by libavcodec's FLAC encoder.
#pragma once

#include <string>

#include "sample_tracks.h"

namespace sample_tracks {

// Writes `seconds` of stereo 44.1 kHz 16-bit audio to `path` as FLAC; the
// chords follow `seed`. False when the encoder or the file refuses.
bool WriteFlac(const std::string& path, unsigned seed, int seconds);

// Writes `track` (its file named .flac) into `folder` and tags it with
// Vorbis comments. False with a message.
bool WriteFlacTrack(const std::string& folder, const Track& track, std::string* error);

// The lossless track the build makes beside the MP3s.
const Track& LosslessTrack();

}  // namespace sample_tracks
