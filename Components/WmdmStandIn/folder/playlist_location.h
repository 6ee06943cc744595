// Where a playlist entry's location points on a medium, and the form it was
// written in, so that an entry pointed elsewhere is written as it was before:
// relative to the playlist's folder as players read M3U, from the medium's
// root, absolute, or a file URL, with "/" or "\" between names.
#pragma once

#include <string>
#include <vector>

namespace wmdm_standin {

enum class LocationAnchor {
  PlaylistFolder,  // "../Music/a.mp3"
  MediumRoot,      // "Music/a.mp3" in a playlist below the root
  MediumAbsolute,  // "/Music/a.mp3"
  HostAbsolute,    // "/media/me/PLAYER/Music/a.mp3"
  FileUrl,         // "file:///media/me/PLAYER/Music/a%20b.mp3"
};

struct LocationForm {
  LocationAnchor anchor = LocationAnchor::PlaylistFolder;
  char separator = '/';
};

// One reading of a location: the names from the medium's root to what it
// names.
struct LocationReading {
  LocationForm form;
  std::vector<std::string> names;
};

// The places on the medium a location can name, the likeliest first: a
// relative location from the playlist's folder, then from the medium's root.
// None for a URL of another kind, a path on a drive or outside the medium,
// or one that climbs above the medium's root. `mediumPath` is the medium's
// folder on this machine.
std::vector<LocationReading> ReadLocation(const std::string& location, const std::vector<std::string>& playlistFolder,
                                          const std::string& mediumPath);

// `names` (from the medium's root) as a location in `form`.
std::string WriteLocation(const LocationForm& form, const std::vector<std::string>& names,
                          const std::vector<std::string>& playlistFolder, const std::string& mediumPath);

}  // namespace wmdm_standin
