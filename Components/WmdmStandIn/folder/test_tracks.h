// Small valid audio files made in memory for the tests: TagLib reads and
// tags them like real tracks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wmdm_standin {
namespace test_tracks {

inline void PutLe(std::string* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
inline void PutBe(std::string* out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// 16-bit stereo PCM at 44.1 kHz, silent.
inline std::string Wav(unsigned milliseconds) {
  const uint32_t data = 44100u * 4u * milliseconds / 1000u;
  std::string out = "RIFF";
  PutLe(&out, 36 + data, 4);
  out += "WAVEfmt ";
  PutLe(&out, 16, 4);
  PutLe(&out, 1, 2);  // PCM
  PutLe(&out, 2, 2);
  PutLe(&out, 44100, 4);
  PutLe(&out, 44100 * 4, 4);
  PutLe(&out, 4, 2);
  PutLe(&out, 16, 2);
  out += "data";
  PutLe(&out, data, 4);
  out.append(data, '\0');
  return out;
}

// Silent MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz, joint stereo: 417
// bytes each, all side information zero (no main data).
inline std::string Mp3(int frames) {
  std::string out;
  for (int i = 0; i < frames; ++i) {
    out += "\xFF\xFB\x90\x64";
    out.append(417 - 4, '\0');
  }
  return out;
}

// A FLAC stream with its STREAMINFO block and no audio frames.
inline std::string Flac() {
  std::string out = "fLaC";
  out += '\x80';  // last metadata block, STREAMINFO
  PutBe(&out, 34, 3);
  PutBe(&out, 4096, 2);  // block sizes
  PutBe(&out, 4096, 2);
  PutBe(&out, 0, 3);  // frame sizes unknown
  PutBe(&out, 0, 3);
  // 20 bits sample rate, 3 bits channels-1, 5 bits bits-1, 36 bits samples.
  const uint64_t packed = (uint64_t{44100} << 44) | (uint64_t{1} << 41) | (uint64_t{15} << 36) | 44100u;
  PutBe(&out, packed, 8);
  out.append(16, '\0');  // MD5 of nothing given
  return out;
}

inline uint32_t OggCrc(const std::string& bytes) {
  uint32_t crc = 0;
  for (unsigned char byte : bytes) {
    crc ^= uint32_t{byte} << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

// One Ogg page holding whole packets (each under 255 bytes).
inline std::string OggPage(uint8_t flags, uint64_t granule, uint32_t sequence, const std::vector<std::string>& packets) {
  std::string page = "OggS";
  page += '\0';
  page += static_cast<char>(flags);
  PutLe(&page, granule, 8);
  PutLe(&page, 0x4D44, 4);  // stream serial
  PutLe(&page, sequence, 4);
  PutLe(&page, 0, 4);  // checksum, filled in below
  page += static_cast<char>(packets.size());
  for (const std::string& packet : packets) page += static_cast<char>(packet.size());
  for (const std::string& packet : packets) page += packet;
  const uint32_t crc = OggCrc(page);
  for (int i = 0; i < 4; ++i) page[22 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
  return page;
}

// An Ogg Vorbis stream of one second: its three headers and one packet.
inline std::string OggVorbis() {
  std::string identification = "\x01vorbis";
  PutLe(&identification, 0, 4);
  identification += '\x02';
  PutLe(&identification, 44100, 4);
  PutLe(&identification, 0, 4);
  PutLe(&identification, 128000, 4);
  PutLe(&identification, 0, 4);
  identification += "\xB8\x01";
  std::string comment = "\x03vorbis";
  PutLe(&comment, 4, 4);
  comment += "test";
  PutLe(&comment, 0, 4);
  comment += '\x01';
  const std::string setup = std::string("\x05vorbis") + std::string(16, '\0');
  return OggPage(0x02, 0, 0, {identification}) + OggPage(0, 0, 1, {comment, setup}) +
         OggPage(0x04, 44100, 2, {std::string(32, '\0')});
}

inline std::string Atom(const char* type, const std::string& body) {
  std::string atom;
  PutBe(&atom, 8 + body.size(), 4);
  return atom + type + body;
}

// An MP4 audio file with its movie header and no tracks: one second long.
inline std::string Mp4() {
  std::string movieHeader;
  PutBe(&movieHeader, 0, 4);     // version, flags
  PutBe(&movieHeader, 0, 8);     // created, modified
  PutBe(&movieHeader, 1000, 4);  // time scale
  PutBe(&movieHeader, 1000, 4);  // duration
  PutBe(&movieHeader, 0x00010000, 4);
  PutBe(&movieHeader, 0x0100, 2);
  movieHeader.append(10, '\0');
  for (uint32_t value : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u}) PutBe(&movieHeader, value, 4);
  movieHeader.append(24, '\0');
  PutBe(&movieHeader, 2, 4);
  return Atom("ftyp", std::string("M4A ") + std::string(4, '\0') + "M4A isom") + Atom("moov", Atom("mvhd", movieHeader));
}

// An ASF (WMA) header with the two objects every such file has: one second
// of stereo 44.1 kHz audio at 128 kbit/s.
inline std::string Wma() {
  const std::string headerId("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
  const std::string filePropertiesId("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
  const std::string streamPropertiesId("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
  std::string fileProperties(80, '\0');
  std::string duration;
  PutLe(&duration, 10000000, 8);  // play duration in 100 ns
  fileProperties.replace(40, 8, duration);
  std::string stream(78, '\0');
  std::string format;
  PutLe(&format, 0x0161, 2);
  PutLe(&format, 2, 2);
  PutLe(&format, 44100, 4);
  PutLe(&format, 16000, 4);
  PutLe(&format, 0, 2);
  PutLe(&format, 16, 2);
  stream.replace(54, format.size(), format);
  const auto object = [](const std::string& id, const std::string& body) {
    std::string out = id;
    PutLe(&out, 24 + body.size(), 8);
    return out + body;
  };
  const std::string objects = object(filePropertiesId, fileProperties) + object(streamPropertiesId, stream);
  std::string header = headerId;
  PutLe(&header, 30 + objects.size(), 8);
  PutLe(&header, 2, 4);
  header += "\x01\x02";
  return header + objects;
}

}  // namespace test_tracks
}  // namespace wmdm_standin
