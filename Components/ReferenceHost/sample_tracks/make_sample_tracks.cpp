// make_sample_tracks FOLDER: writes the sample tracks into FOLDER (made if
// missing). The build runs it to fill bin/samples/tracks/.
#include <sys/stat.h>

#include <iostream>

#include "sample_tracks.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_sample_tracks FOLDER\n";
    return 2;
  }
  const std::string folder = argv[1];
  mkdir(folder.c_str(), 0755);
  for (const sample_tracks::Track& track : sample_tracks::DefaultTracks()) {
    std::string error;
    if (!sample_tracks::WriteTrack(folder, track, &error)) {
      std::cerr << "make_sample_tracks: " << error << "\n";
      return 1;
    }
  }
  return 0;
}
