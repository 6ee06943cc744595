// What mdhost sync reads from the computer's folder: its audio files with
// their sizes and modification times, the folders that hold them, and its
// M3U/M3U8 playlists with their entries as paths inside the folder. Paths
// are relative to the folder, written with "/".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host_support/source_file.h"

struct SourceTrack {
  std::string relative;
  SourceFile file;
  ULONGLONG size = 0;
  long long modified = 0;  // the file system's own time count
};

struct SourcePlaylist {
  std::string relative;
  std::vector<std::string> tracks;  // in order; only audio files inside the folder
  size_t leftOut = 0;               // entries naming anything else
};

struct SourceTree {
  std::vector<SourceTrack> tracks;  // in path order
  std::vector<SourcePlaylist> playlists;
  size_t others = 0;  // files that are neither
};

// False with a message when `root` is no folder that can be read.
bool ReadSourceTree(const std::string& root, SourceTree* tree, std::string* error);

// The entries of a playlist's text that name files, as written (lines that
// are not comments or directives).
std::vector<std::string> PlaylistLines(const std::string& text);
