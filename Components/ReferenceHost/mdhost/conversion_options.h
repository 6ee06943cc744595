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
  bool asked = false;  // no --no-convert
  bool convert = false;
  EncodeSettings settings;
  unsigned jobs = 1;
};

// False with the reason for a --quality or --jobs that is no such value.
bool ConversionFromOptions(const CommandLine& line, ConversionChoice* choice, std::string* error);

// Once a run meets a track it would have converted: that this build has
// none (said once per run, and only without --no-convert).
void SayWhenNotConverted(const ConversionChoice& choice, const std::string& extension, const char* command,
                         std::ostream& out);
