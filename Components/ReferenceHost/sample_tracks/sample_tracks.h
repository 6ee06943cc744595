// Short, valid, tagged audio files made at build time, so that the demo and
// the tests have real tracks without binaries in the repository: MP3 files of
// silent MPEG-1 Layer III frames and WAV files of silent PCM, tagged through
// TagLib.
#pragma once

#include <string>
#include <vector>

namespace sample_tracks {

struct Track {
  std::string file;  // name, with its extension (.mp3 or .wav)
  std::string title, artist, albumArtist, album, genre;
  unsigned year = 0, number = 0;
  double seconds = 1.0;
};

// The tracks the build makes.
const std::vector<Track>& DefaultTracks();

// The bytes of a silent MP3: `frames` frames of MPEG-1 Layer III at
// 128 kbit/s, 44.1 kHz, joint stereo, without tags.
std::string SilentMp3(unsigned frames);
// The bytes of a silent WAV: 16-bit PCM, 44.1 kHz, two channels.
std::string SilentWav(double seconds);

// Writes the track into `folder` and tags it. False with a message.
bool WriteTrack(const std::string& folder, const Track& track, std::string* error);

}  // namespace sample_tracks
