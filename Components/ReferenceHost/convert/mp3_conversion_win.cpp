#include "convert/mp3_conversion.h"

// The Windows build carries no decoder or encoder: a file the player does not
// play is skipped there, as before conversion existed.
bool CanConvert() { return false; }

ConversionResult ConvertToMp3(const std::string&, const std::string&, const EncodeSettings&,
                              const std::atomic<bool>&) {
  return {false, false, "this build has no converter"};
}
