// What send and sync do with a track the player does not play, from their
// options: convert it to MP3 (the default where the build can), with
// --quality's encoding and --jobs conversions at once; --no-convert keeps
// the refusal. The Windows build converts nothing and says so once.
#pragma once

#include <ostream>
#include <string>

#include "convert/encode_settings.h"
#include "mdhost/command.h"

struct ConversionChoice {
  bool convert = false;
  EncodeSettings settings;
  unsigned jobs = 1;
};

// False with the reason for a --quality or --jobs that is no such value.
// `out` hears once that this build has no converter, unless --no-convert
// asked for none anyway.
bool ConversionFromOptions(const CommandLine& line, const char* command, ConversionChoice* choice,
                           std::string* error, std::ostream& out);
