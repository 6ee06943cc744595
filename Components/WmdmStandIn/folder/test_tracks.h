// Small valid audio files made in memory for the tests: TagLib reads and
// tags them like real tracks.
#pragma once

#include <cstdint>
#include <string>

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

}  // namespace test_tracks
}  // namespace wmdm_standin
