// make_sample_tracks FOLDER [LOSSLESS_FOLDER]: writes the sample tracks into
// FOLDER and the lossless one into LOSSLESS_FOLDER (each made if missing).
// The build runs it to fill bin/samples/tracks/ and bin/samples/lossless/;
// the lossless track stays apart so that what syncs the MP3s converts nothing.
#include <sys/stat.h>

#include <iostream>

#include "sample_flac.h"
#include "sample_tracks.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::cerr << "usage: make_sample_tracks FOLDER [LOSSLESS_FOLDER]\n";
    return 2;
  }
  const std::string folder = argv[1];
  mkdir(folder.c_str(), 0755);
  std::string error;
  for (const sample_tracks::Track& track : sample_tracks::DefaultTracks()) {
    if (!sample_tracks::WriteTrack(folder, track, &error)) {
      std::cerr << "make_sample_tracks: " << error << "\n";
      return 1;
    }
  }
  if (argc == 3) {
    const std::string lossless = argv[2];
    mkdir(lossless.c_str(), 0755);
    if (!sample_tracks::WriteFlacTrack(lossless, sample_tracks::LosslessTrack(), &error)) {
      std::cerr << "make_sample_tracks: " << error << "\n";
      return 1;
    }
  }
  return 0;
}
