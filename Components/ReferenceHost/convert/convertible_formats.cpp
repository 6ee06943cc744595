#include <algorithm>

#include "convert/mp3_conversion.h"

// A format question alone, the same in every build, so that the plan reads
// alike on both (a build without a converter never asks for conversion).
const std::vector<std::string>& ConvertedExtensions() {
  static const std::vector<std::string> kConverted = {".flac", ".m4a", ".mp4", ".aac", ".ogg", ".oga", ".opus"};
  return kConverted;
}

bool ConvertibleExtension(const std::string& extension) {
  const std::vector<std::string>& converted = ConvertedExtensions();
  return std::find(converted.begin(), converted.end(), extension) != converted.end();
}
