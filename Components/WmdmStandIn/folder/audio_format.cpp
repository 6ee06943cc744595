#include "audio_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace wmdm_standin {
namespace {

constexpr WORD kWaveTagPcm = 0x0001;
constexpr WORD kWaveTagMp3 = 0x0055;
constexpr WORD kWaveTagExtensible = 0xFFFE;
// How far past its tag an MP3's first frame is looked for; junk beyond that
// is left for the full reader.
constexpr size_t kFrameSearch = 4096;
// Bounds on the chunk and block walks, against a file built to loop.
constexpr int kMostChunks = 64;
constexpr int kMostTags = 4;

unsigned Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
unsigned long Le32(const unsigned char* p) {
  return static_cast<unsigned long>(p[0]) | (static_cast<unsigned long>(p[1]) << 8) |
         (static_cast<unsigned long>(p[2]) << 16) | (static_cast<unsigned long>(p[3]) << 24);
}
unsigned long Be32(const unsigned char* p) {
  return (static_cast<unsigned long>(p[0]) << 24) | (static_cast<unsigned long>(p[1]) << 16) |
         (static_cast<unsigned long>(p[2]) << 8) | static_cast<unsigned long>(p[3]);
}

bool ReadExactly(const ReadAt& read, unsigned long long offset, unsigned char* buffer, size_t length) {
  return read(offset, buffer, length) == length;
}

// Where the content starts after any ID3v2 tags in front of it (FLAC files
// carry them too, against their own rules).
unsigned long long SkipId3v2(const ReadAt& read, unsigned long long size) {
  unsigned long long at = 0;
  for (int i = 0; i < kMostTags; ++i) {
    unsigned char head[10];
    if (!ReadExactly(read, at, head, sizeof head) || std::memcmp(head, "ID3", 3) != 0 || head[3] > 4) break;
    if ((head[6] | head[7] | head[8] | head[9]) & 0x80) break;  // not a synchsafe size
    const unsigned long long body =
        (static_cast<unsigned long long>(head[6]) << 21) | (head[7] << 14) | (head[8] << 7) | head[9];
    const unsigned long long next = at + 10 + body + ((head[5] & 0x10) ? 10 : 0);
    if (next > size) break;
    at = next;
  }
  return at;
}

struct FrameHeader {
  int version = 0;  // 1, 2, or 25 for MPEG 2.5
  int layer = 0;
  unsigned kbps = 0;  // 0: free format
  DWORD sampleRate = 0;
  WORD channels = 0;
  unsigned length = 0;  // bytes, 0 when free format
  unsigned samples = 0;
};

bool ParseFrameHeader(const unsigned char* p, FrameHeader* frame) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  static const int kVersions[] = {25, 0, 2, 1};
  const int version = kVersions[(p[1] >> 3) & 3];
  const int layer = 4 - ((p[1] >> 1) & 3);
  const unsigned bitrateIndex = p[2] >> 4;
  const unsigned rateIndex = (p[2] >> 2) & 3;
  if (version == 0 || layer == 4 || bitrateIndex == 15 || rateIndex == 3) return false;
  static const unsigned kKbps[5][15] = {
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG 1, layer I
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG 1, layer II
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG 1, layer III
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG 2 and 2.5, layer I
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG 2 and 2.5, layers II, III
  };
  static const DWORD kRates[3] = {44100, 48000, 32000};
  const int table = version == 1 ? layer - 1 : (layer == 1 ? 3 : 4);
  frame->version = version;
  frame->layer = layer;
  frame->kbps = kKbps[table][bitrateIndex];
  frame->sampleRate = kRates[rateIndex] / (version == 1 ? 1 : version == 2 ? 2 : 4);
  frame->channels = (p[3] >> 6) == 3 ? 1 : 2;
  frame->samples = layer == 1 ? 384 : (layer == 3 && version != 1) ? 576 : 1152;
  const unsigned padding = (p[2] >> 1) & 1;
  if (frame->kbps == 0)
    frame->length = 0;
  else if (layer == 1)
    frame->length = (12 * frame->kbps * 1000 / frame->sampleRate + padding) * 4;
  else
    frame->length = frame->samples / 8 * frame->kbps * 1000 / frame->sampleRate + padding;
  return true;
}

// A frame sync is two bytes any data can hold: a candidate counts when the
// next frame follows it, or the file (or its trailing tag) ends there.
bool ConfirmedByNext(const ReadAt& read, unsigned long long size, unsigned long long at, const FrameHeader& frame) {
  if (frame.length == 0) return false;
  const unsigned long long next = at + frame.length;
  if (next >= size) return next == size;
  unsigned char p[4];
  const size_t got = read(next, p, sizeof p);
  if (got >= 3 && std::memcmp(p, "TAG", 3) == 0) return true;
  if (got < 4) return false;
  FrameHeader following;
  return ParseFrameHeader(p, &following) && following.version == frame.version && following.layer == frame.layer &&
         following.sampleRate == frame.sampleRate;
}

// The average rate a VBR ("Xing", "Info" or "VBRI") header gives, or 0;
// `counted` gets the frames it counts.
DWORD AverageBytesPerSecond(const ReadAt& read, unsigned long long size, unsigned long long at,
                            const FrameHeader& frame, unsigned long* counted) {
  const unsigned sideInfo = frame.version == 1 ? (frame.channels == 1 ? 17 : 32) : (frame.channels == 1 ? 9 : 17);
  unsigned char p[18];
  unsigned long frames = 0;
  unsigned long long bytes = 0;
  if (frame.layer == 3 && read(at + 4 + sideInfo, p, sizeof p) >= 16 &&
      (std::memcmp(p, "Xing", 4) == 0 || std::memcmp(p, "Info", 4) == 0)) {
    const unsigned long flags = Be32(p + 4);
    const unsigned char* field = p + 8;
    if (flags & 1) {
      frames = Be32(field);
      field += 4;
    }
    if (flags & 2) bytes = Be32(field);
  } else if (ReadExactly(read, at + 4 + 32, p, sizeof p) && std::memcmp(p, "VBRI", 4) == 0) {
    bytes = Be32(p + 10);
    frames = Be32(p + 14);
  }
  *counted = frames;
  if (frames == 0) return 0;
  if (bytes == 0 || bytes > size - at) bytes = size - at;
  const unsigned long long samples = static_cast<unsigned long long>(frames) * frame.samples;
  return static_cast<DWORD>(bytes * frame.sampleRate / samples);
}

// The play time: the frames a VBR header counts, else the audio's bytes
// (up to an ID3v1 tag) at the first frame's rate; 0 for free format.
unsigned long long Mp3Milliseconds(const ReadAt& read, unsigned long long size, unsigned long long at,
                                   const FrameHeader& frame, unsigned long frames) {
  if (frames) return static_cast<unsigned long long>(frames) * frame.samples * 1000 / frame.sampleRate;
  if (frame.kbps == 0) return 0;
  unsigned char trailer[3] = {};
  const unsigned long long end =
      size >= at + 128 && ReadExactly(read, size - 128, trailer, 3) && std::memcmp(trailer, "TAG", 3) == 0 ? size - 128
                                                                                                            : size;
  return ((end - at) * 8 + frame.kbps / 2) / frame.kbps;
}

bool Mp3Format(unsigned long long size, const ReadAt& read, _WAVEFORMATEX* format, unsigned long long* milliseconds) {
  const unsigned long long start = SkipId3v2(read, size);
  unsigned char window[kFrameSearch + 3];
  const size_t got = read(start, window, sizeof window);
  for (size_t i = 0; i + 4 <= got; ++i) {
    FrameHeader frame;
    if (window[i] != 0xFF || !ParseFrameHeader(window + i, &frame)) continue;
    if (!ConfirmedByNext(read, size, start + i, frame)) continue;
    unsigned long frames = 0;
    const DWORD average = AverageBytesPerSecond(read, size, start + i, frame, &frames);
    if (milliseconds) *milliseconds = Mp3Milliseconds(read, size, start + i, frame, frames);
    format->wFormatTag = kWaveTagMp3;
    format->nChannels = frame.channels;
    format->nSamplesPerSec = frame.sampleRate;
    format->nAvgBytesPerSec = average ? average : frame.kbps * 1000 / 8;
    format->nBlockAlign = 1;
    return true;
  }
  return false;
}

bool WaveFormat(unsigned long long size, const ReadAt& read, _WAVEFORMATEX* format) {
  unsigned char head[12];
  if (!ReadExactly(read, 0, head, sizeof head)) return false;
  if ((std::memcmp(head, "RIFF", 4) != 0 && std::memcmp(head, "RF64", 4) != 0) || std::memcmp(head + 8, "WAVE", 4) != 0)
    return false;
  unsigned long long at = sizeof head;
  for (int i = 0; i < kMostChunks && at + 8 <= size; ++i) {
    unsigned char chunk[8];
    if (!ReadExactly(read, at, chunk, sizeof chunk)) return false;
    const unsigned long length = Le32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      unsigned char fmt[40] = {};
      if (length < 16 || read(at + 8, fmt, std::min<size_t>(length, sizeof fmt)) < 16) return false;
      WORD tag = static_cast<WORD>(Le16(fmt));
      // An extensible format names the real one in its sub-format's first bytes.
      if (tag == kWaveTagExtensible && length >= 40) tag = static_cast<WORD>(Le16(fmt + 24));
      format->wFormatTag = tag;
      format->nChannels = static_cast<WORD>(Le16(fmt + 2));
      format->nSamplesPerSec = Le32(fmt + 4);
      format->nAvgBytesPerSec = Le32(fmt + 8);
      format->nBlockAlign = static_cast<WORD>(Le16(fmt + 12));
      format->wBitsPerSample = static_cast<WORD>(Le16(fmt + 14));
      return format->nChannels > 0 && format->nSamplesPerSec > 0;
    }
    at += 8 + length + (length & 1);
  }
  return false;
}

bool FlacFormat(unsigned long long size, const ReadAt& read, _WAVEFORMATEX* format) {
  const unsigned long long start = SkipId3v2(read, size);
  unsigned char head[8 + 34];
  if (!ReadExactly(read, start, head, sizeof head) || std::memcmp(head, "fLaC", 4) != 0) return false;
  // The stream info block comes first, and is 34 bytes.
  if ((head[4] & 0x7F) != 0 || ((head[5] << 16) | (head[6] << 8) | head[7]) < 34) return false;
  const unsigned char* info = head + 8;
  const DWORD rate = (static_cast<DWORD>(info[10]) << 12) | (info[11] << 4) | (info[12] >> 4);
  const WORD channels = static_cast<WORD>(((info[12] >> 1) & 7) + 1);
  const WORD bits = static_cast<WORD>((((info[12] & 1) << 4) | (info[13] >> 4)) + 1);
  const unsigned long long samples = (static_cast<unsigned long long>(info[13] & 0x0F) << 32) | Be32(info + 14);
  if (rate == 0) return false;
  // The audio starts after the last metadata block.
  unsigned long long at = start + 4;
  bool last = false;
  for (int i = 0; i < kMostChunks && !last; ++i) {
    unsigned char block[4];
    if (!ReadExactly(read, at, block, sizeof block)) break;
    last = (block[0] & 0x80) != 0;
    at += 4 + ((static_cast<unsigned long long>(block[1]) << 16) | (block[2] << 8) | block[3]);
  }
  format->nChannels = channels;
  format->nSamplesPerSec = rate;
  format->wBitsPerSample = bits;
  if (samples > 0 && last && at < size) format->nAvgBytesPerSec = static_cast<DWORD>((size - at) * rate / samples);
  return true;
}

bool OggFormat(const ReadAt& read, _WAVEFORMATEX* format) {
  unsigned char page[27 + 255 + 30];
  const size_t got = read(0, page, sizeof page);
  if (got < 27 || std::memcmp(page, "OggS", 4) != 0 || page[4] != 0) return false;
  const size_t packet = 27 + page[26];
  if (packet + 30 > got) return false;
  const unsigned char* id = page + packet;
  // Opus always plays at 48 kHz, whatever rate its source had.
  if (std::memcmp(id, "OpusHead", 8) == 0 && id[9] != 0) {
    format->nChannels = id[9];
    format->nSamplesPerSec = 48000;
    return true;
  }
  if (id[0] != 1 || std::memcmp(id + 1, "vorbis", 6) != 0 || Le32(id + 7) != 0) return false;
  const WORD channels = id[11];
  const DWORD rate = Le32(id + 12);
  const long nominal = static_cast<long>(static_cast<int32_t>(Le32(id + 20)));
  if (channels == 0 || rate == 0) return false;
  format->nChannels = channels;
  format->nSamplesPerSec = rate;
  if (nominal > 0) format->nAvgBytesPerSec = static_cast<DWORD>(nominal / 8);
  return true;
}

}  // namespace

bool AudioFormatFromHeaders(DWORD formatCode, unsigned long long size, const ReadAt& read, _WAVEFORMATEX* format,
                            unsigned long long* milliseconds) {
  *format = _WAVEFORMATEX{};
  if (milliseconds) *milliseconds = 0;
  bool known = false;
  switch (formatCode) {
    case WMDM_FORMATCODE_MP3: known = Mp3Format(size, read, format, milliseconds); break;
    case WMDM_FORMATCODE_WAVE: known = WaveFormat(size, read, format); break;
    case WMDM_FORMATCODE_FLAC: known = FlacFormat(size, read, format); break;
    case WMDM_FORMATCODE_OGG: known = OggFormat(read, format); break;
    default: break;
  }
  if (!known) *format = _WAVEFORMATEX{};
  return known;
}

bool ReadAudioFormat(const std::string& path, DWORD formatCode, unsigned long long size, _WAVEFORMATEX* format,
                     unsigned long long* milliseconds) {
  *format = _WAVEFORMATEX{};
  if (milliseconds) *milliseconds = 0;
  if (formatCode != WMDM_FORMATCODE_MP3 && formatCode != WMDM_FORMATCODE_WAVE && formatCode != WMDM_FORMATCODE_FLAC &&
      formatCode != WMDM_FORMATCODE_OGG)
    return false;
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool known = ReadAudioFormatAt(descriptor, formatCode, size, format, milliseconds);
  close(descriptor);
  return known;
}

bool ReadAudioFormatAt(int descriptor, DWORD formatCode, unsigned long long size, _WAVEFORMATEX* format,
                       unsigned long long* milliseconds) {
  // One read answers most files (a short file is then read whole); the rest
  // (a tag with a picture in it) cost a read or two more.
  unsigned char head[kFrameSearch + 512];
  const ssize_t got = pread(descriptor, head, sizeof head, 0);
  const size_t cached = got > 0 ? static_cast<size_t>(got) : 0;
  const bool whole = cached < sizeof head;
  const ReadAt read = [&](unsigned long long offset, unsigned char* buffer, size_t length) -> size_t {
    if (whole || offset + length <= cached) {
      if (offset >= cached) return 0;
      const size_t part = std::min<size_t>(length, cached - offset);
      std::memcpy(buffer, head + offset, part);
      return part;
    }
    size_t done = 0;
    while (done < length) {
      const ssize_t part = pread(descriptor, buffer + done, length - done, static_cast<off_t>(offset + done));
      if (part < 0 && errno == EINTR) continue;
      if (part <= 0) break;
      done += static_cast<size_t>(part);
    }
    return done;
  };
  return AudioFormatFromHeaders(formatCode, size, read, format, milliseconds);
}

}  // namespace wmdm_standin
