#include "convert/mp3_conversion.h"

#include <algorithm>
#include <filesystem>

#include "convert/audio_transcode.h"
#include "convert/lame_tag.h"
#include "convert/tag_transfer.h"

bool CanConvert() { return true; }

ConversionResult ConvertToMp3(const std::string& source, const std::string& destination,
                              const EncodeSettings& settings, const std::atomic<bool>& stop) {
  ConversionResult result;
  const TranscodeResult audio = TranscodeToMp3(source, destination, settings, stop);
  result.stopped = audio.stopped;
  result.problem = audio.problem;
  if (audio.ok && !SignLameTagOf(destination, settings.bitrateKbps == 0))
    result.problem = "the MP3 written has no LAME tag for gapless play";
  else
    result.ok = audio.ok && TransferTags(source, destination, &result.problem);
  if (!result.ok) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(destination), ignored);
  }
  return result;
}
