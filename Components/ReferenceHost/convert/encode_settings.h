// How a track the player cannot play is encoded to MP3: a LAME VBR quality
// (V0 best .. V9 smallest) or a constant bit rate. The same settings give
// the same file, so they are part of the conversion cache's key.
#pragma once

#include <string>

struct EncodeSettings {
  int vbrQuality = 2;  // used when bitrateKbps is 0
  int bitrateKbps = 0;

  // "V2" or "CBR320": the cache key's part and what progress shows.
  std::string Name() const;
};

// "V0".."V9" (or "0".."9"), or a constant bit rate "320k" / "CBR320" among
// MP3's rates from 32 to 320 kbit/s; false with the reason otherwise.
bool ParseQuality(const std::string& text, EncodeSettings* settings, std::string* error);
