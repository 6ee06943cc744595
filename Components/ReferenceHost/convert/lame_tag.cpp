#include "convert/lame_tag.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

constexpr size_t kXingFields = 4 + 4 + 4 + 4 + 100 + 4;  // id, flags, frames, bytes, TOC, quality
constexpr size_t kTagCrcAt = 190;                        // from the frame's start
constexpr char kVersion[] = "LAME3.100";                 // Debian's libmp3lame, the last release
constexpr uint8_t kMethodVbr = 4;                        // LAME's default for -V
constexpr uint8_t kMethodCbr = 1;

// CRC-16 as LAME computes it (polynomial 0x8005, reflected, from 0).
uint16_t Crc16(const uint8_t* data, size_t size) {
  uint16_t crc = 0;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

}  // namespace

bool SignLameTag(std::vector<uint8_t>* head, bool variableBitRate) {
  std::vector<uint8_t>& bytes = *head;
  if (bytes.size() < kTagCrcAt + 2 || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) return false;
  // The Xing id sits after the side information, whose size depends on the
  // MPEG version and channels: looked for within the frame's first bytes.
  size_t xing = 0;
  for (size_t at = 4; at + 4 <= 40 && !xing; ++at)
    if (!std::memcmp(&bytes[at], "Xing", 4) || !std::memcmp(&bytes[at], "Info", 4)) xing = at;
  if (!xing || (bytes[xing + 7] & 0x0F) != 0x0F) return false;
  const size_t tag = xing + kXingFields;
  if (tag + 36 > kTagCrcAt + 2 || std::memcmp(&bytes[tag], "Lav", 3) != 0) return false;
  std::copy(kVersion, kVersion + 9, &bytes[tag]);
  bytes[tag + 9] = variableBitRate ? kMethodVbr : kMethodCbr;  // revision 0 in the high half
  const uint16_t crc = Crc16(bytes.data(), kTagCrcAt);
  bytes[kTagCrcAt] = static_cast<uint8_t>(crc >> 8);
  bytes[kTagCrcAt + 1] = static_cast<uint8_t>(crc);
  return true;
}

bool SignLameTagOf(const std::string& path, bool variableBitRate) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  std::vector<uint8_t> head(kTagCrcAt + 2);
  if (!file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()))) return false;
  if (!SignLameTag(&head, variableBitRate)) return false;
  file.seekp(0);
  file.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  return static_cast<bool>(file.flush());
}
