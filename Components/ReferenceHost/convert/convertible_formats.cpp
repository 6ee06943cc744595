#include <set>

#include "convert/mp3_conversion.h"

// A format question alone, the same in every build, so that the plan reads
// alike on both (a build without a converter never asks for conversion).
bool ConvertibleExtension(const std::string& extension) {
  static const std::set<std::string> kConverted = {".flac", ".m4a", ".mp4", ".aac", ".ogg", ".oga", ".opus"};
  return kConverted.count(extension) != 0;
}
