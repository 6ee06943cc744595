#include "sample_tracks.h"

#include <cmath>
#include <cstdint>
#include <fstream>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

namespace sample_tracks {

namespace {

constexpr unsigned kSampleRate = 44100;
constexpr unsigned kSamplesPerFrame = 1152;
constexpr unsigned kBitRate = 128000;

void PutLittle(std::string* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

const std::vector<Track>& DefaultTracks() {
  static const std::vector<Track> tracks = {
      {"01 First Light.mp3", "First Light", "The Lanterns", "The Lanterns", "Harbour Songs", "Folk", 2004, 1, 2.0},
      {"02 Low Tide.mp3", "Low Tide", "The Lanterns", "The Lanterns", "Harbour Songs", "Folk", 2004, 2, 1.5},
      {"03 Breakwater.mp3", "Breakwater", "The Lanterns feat. Mara Quay", "The Lanterns", "Harbour Songs", "Folk",
       2004, 3, 1.0},
      {"Night Bus.mp3", "Night Bus", "Ostrava Sound System", "Ostrava Sound System", "City Lights", "Electronic",
       2003, 7, 1.0},
      {"Caf\xC3\xA9 \xC3\xA0 minuit.mp3", "Caf\xC3\xA9 \xC3\xA0 minuit", "L\xC3\xA9" "a Fontaine", "L\xC3\xA9" "a Fontaine",
       "Chansons", "Chanson", 2002, 4, 1.0},
      {"Rain on a Tin Roof.wav", "Rain on a Tin Roof", "Field Recordings", "Field Recordings", "Weather", "Ambient",
       2001, 1, 0.5},
  };
  return tracks;
}

std::string SilentMp3(unsigned frames) {
  // A frame holds 144 * bit rate / sample rate bytes: 417.96 at these rates,
  // so an encoder pads a frame by one byte whenever the fraction carried
  // over reaches a whole byte, keeping the bit rate exact.
  constexpr unsigned kWhole = 144 * kBitRate / kSampleRate;
  constexpr unsigned kFraction = 144 * kBitRate % kSampleRate;
  std::string bytes;
  unsigned carried = 0;
  for (unsigned i = 0; i < frames; ++i) {
    carried += kFraction;
    const bool padded = carried >= kSampleRate;
    if (padded) carried -= kSampleRate;
    // Sync, MPEG-1, Layer III, no CRC; 128 kbit/s, 44.1 kHz, padding bit;
    // joint stereo.
    const unsigned char header[4] = {0xFF, 0xFB, static_cast<unsigned char>(0x90 | (padded ? 0x02 : 0x00)), 0x40};
    bytes.append(reinterpret_cast<const char*>(header), 4);
    // Side information and main data all zero: no Huffman data, so every
    // granule decodes to silence.
    bytes.append(kWhole + (padded ? 1 : 0) - 4, '\0');
  }
  return bytes;
}

std::string SilentWav(double seconds) {
  const uint32_t channels = 2, bitsPerSample = 16;
  const uint32_t blockAlign = channels * bitsPerSample / 8;
  const uint32_t frames = static_cast<uint32_t>(std::lround(seconds * kSampleRate));
  const uint32_t dataBytes = frames * blockAlign;
  std::string out = "RIFF";
  PutLittle(&out, 36 + dataBytes, 4);
  out += "WAVEfmt ";
  PutLittle(&out, 16, 4);
  PutLittle(&out, 1, 2);  // PCM
  PutLittle(&out, channels, 2);
  PutLittle(&out, kSampleRate, 4);
  PutLittle(&out, kSampleRate * blockAlign, 4);
  PutLittle(&out, blockAlign, 2);
  PutLittle(&out, bitsPerSample, 2);
  out += "data";
  PutLittle(&out, dataBytes, 4);
  out.append(dataBytes, '\0');
  return out;
}

bool WriteTrack(const std::string& folder, const Track& track, std::string* error) {
  const std::string path = folder + "/" + track.file;
  const bool wav = track.file.size() > 4 && track.file.compare(track.file.size() - 4, 4, ".wav") == 0;
  const unsigned frames =
      static_cast<unsigned>(std::ceil(track.seconds * kSampleRate / kSamplesPerFrame));
  const std::string bytes = wav ? SilentWav(track.seconds) : SilentMp3(frames);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      *error = "cannot write " + path;
      return false;
    }
  }
  TagLib::FileRef file(path.c_str());
  if (file.isNull() || !file.tag()) {
    *error = "TagLib cannot open " + path;
    return false;
  }
  TagLib::PropertyMap properties;
  auto text = [](const std::string& value) { return TagLib::StringList(TagLib::String(value, TagLib::String::UTF8)); };
  properties["TITLE"] = text(track.title);
  properties["ARTIST"] = text(track.artist);
  properties["ALBUMARTIST"] = text(track.albumArtist);
  properties["ALBUM"] = text(track.album);
  properties["GENRE"] = text(track.genre);
  properties["DATE"] = text(std::to_string(track.year));
  properties["TRACKNUMBER"] = text(std::to_string(track.number));
  file.file()->setProperties(properties);
  if (!file.save()) {
    *error = "TagLib cannot tag " + path;
    return false;
  }
  return true;
}

}  // namespace sample_tracks
