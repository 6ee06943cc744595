#include "audio_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "folder_test_support.h"
#include "test_tracks.h"

namespace wmdm_standin {
namespace {

using test_tracks::PutBe;
using test_tracks::PutLe;

std::string Id3v2(size_t body, bool footer = false) {
  std::string out = std::string("ID3\x03\0", 5) + (footer ? '\x10' : '\0');
  for (int shift : {21, 14, 7, 0}) out += static_cast<char>((body >> shift) & 0x7F);
  out.append(body + (footer ? 10 : 0), '\0');
  return out;
}

// MPEG-2 Layer III, 64 kbit/s, 22.05 kHz, mono: 208 bytes a frame.
std::string MonoMpeg2(int frames) {
  std::string out;
  for (int i = 0; i < frames; ++i) {
    out += "\xFF\xF3\x80\xC4";
    out.append(208 - 4, '\0');
  }
  return out;
}

// A first frame carrying a VBR header: 3 frames, 1,251 bytes in all.
std::string XingFrame() {
  std::string frame = test_tracks::Mp3(1);
  std::string xing = "Xing";
  PutBe(&xing, 3, 4);
  PutBe(&xing, 3, 4);
  PutBe(&xing, 1251, 4);
  frame.replace(4 + 32, xing.size(), xing);
  return frame;
}

std::string Chunk(const char* id, const std::string& body) {
  std::string out = id;
  PutLe(&out, body.size(), 4);
  out += body;
  if (body.size() & 1) out += '\0';
  return out;
}

std::string WavWith(const std::string& chunks) {
  std::string out = "RIFF";
  PutLe(&out, 4 + chunks.size(), 4);
  return out + "WAVE" + chunks;
}

std::string ExtensibleFmt() {
  std::string fmt;
  PutLe(&fmt, 0xFFFE, 2);
  PutLe(&fmt, 2, 2);
  PutLe(&fmt, 48000, 4);
  PutLe(&fmt, 48000 * 6, 4);
  PutLe(&fmt, 6, 2);
  PutLe(&fmt, 24, 2);
  PutLe(&fmt, 22, 2);  // extension size
  PutLe(&fmt, 24, 2);  // valid bits
  PutLe(&fmt, 3, 4);   // channel mask
  PutLe(&fmt, 1, 2);   // sub-format: PCM's GUID starts with its tag
  fmt.append(14, '\0');
  return fmt;
}

ReadAt Reader(const std::string& bytes) {
  return [&bytes](unsigned long long offset, unsigned char* buffer, size_t length) -> size_t {
    if (offset >= bytes.size()) return 0;
    const size_t got = std::min<size_t>(length, bytes.size() - offset);
    std::memcpy(buffer, bytes.data() + offset, got);
    return got;
  };
}

struct Expected { WORD tag, channels; DWORD rate, bytesPerSecond; WORD blockAlign, bits; };

struct Case { const char* what; DWORD code; std::string bytes; bool known; Expected format; };

std::vector<Case> Cases() {
  const Expected mp3 = {0x55, 2, 44100, 16000, 1, 0};
  const Expected none = {};
  std::string junk = test_tracks::Mp3(1).substr(0, 104);  // a sync whose next frame is not there
  return {
      {"MP3, frames alone", WMDM_FORMATCODE_MP3, test_tracks::Mp3(3), true, mp3},
      {"MP3 after an ID3v2 tag", WMDM_FORMATCODE_MP3, Id3v2(1000) + test_tracks::Mp3(3), true, mp3},
      {"MP3 after an ID3v2 tag with a footer", WMDM_FORMATCODE_MP3, Id3v2(300, true) + test_tracks::Mp3(3), true, mp3},
      {"MP3 after junk holding a frame sync", WMDM_FORMATCODE_MP3, junk + test_tracks::Mp3(3), true, mp3},
      {"MP3, one frame and an ID3v1 tag", WMDM_FORMATCODE_MP3, test_tracks::Mp3(1) + "TAG" + std::string(125, ' '),
       true, mp3},
      {"MP3, VBR header", WMDM_FORMATCODE_MP3, XingFrame() + test_tracks::Mp3(2), true,
       {0x55, 2, 44100, 1251ul * 44100 / (3 * 1152), 1, 0}},
      {"MP3, MPEG-2 mono", WMDM_FORMATCODE_MP3, MonoMpeg2(3), true, {0x55, 1, 22050, 8000, 1, 0}},
      {"WAV", WMDM_FORMATCODE_WAVE, test_tracks::Wav(10), true, {1, 2, 44100, 176400, 4, 16}},
      {"WAV, a chunk of odd length before fmt", WMDM_FORMATCODE_WAVE,
       WavWith(Chunk("LIST", "INFOx") + test_tracks::Wav(10).substr(12)), true, {1, 2, 44100, 176400, 4, 16}},
      {"WAV, extensible format", WMDM_FORMATCODE_WAVE, WavWith(Chunk("fmt ", ExtensibleFmt()) + Chunk("data", "")),
       true, {1, 2, 48000, 288000, 6, 24}},
      {"FLAC", WMDM_FORMATCODE_FLAC, test_tracks::Flac() + std::string(44100, '\0'), true, {0, 2, 44100, 44100, 0, 16}},
      {"FLAC after an ID3v2 tag", WMDM_FORMATCODE_FLAC, Id3v2(64) + test_tracks::Flac(), true,
       {0, 2, 44100, 0, 0, 16}},
      {"Ogg Vorbis", WMDM_FORMATCODE_OGG, test_tracks::OggVorbis(), true, {0, 2, 44100, 16000, 0, 0}},
      {"Opus, whatever its source's rate", WMDM_FORMATCODE_OGG,
       test_tracks::OggPage(0x02, 0, 0, {std::string("OpusHead\x01\x02\x38\x01\x44\xAC\0\0\0\0\0", 19)}) +
           test_tracks::OggPage(0, 0, 1, {std::string(64, '\0')}),
       true, {0, 2, 48000, 0, 0, 0}},
      {"WMA: left to the tag reader", WMDM_FORMATCODE_WMA, test_tracks::Wma(), false, none},
      {"MP4: left to the tag reader", WMDM_FORMATCODE_MP4, test_tracks::Mp4(), false, none},
      {"a WAV named .mp3", WMDM_FORMATCODE_MP3, test_tracks::Wav(10), false, none},
      {"an MP3 named .wav", WMDM_FORMATCODE_WAVE, test_tracks::Mp3(3), false, none},
      {"an empty file", WMDM_FORMATCODE_MP3, "", false, none},
      {"an ID3v2 tag longer than the file", WMDM_FORMATCODE_MP3, Id3v2(5000).substr(0, 200), false, none},
      {"zeros", WMDM_FORMATCODE_FLAC, std::string(5000, '\0'), false, none},
  };
}

TEST(AudioFormatTest, ReadsTheFormatFromTheFirstHeaders) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    _WAVEFORMATEX format;
    std::memset(&format, 0x5A, sizeof format);
    EXPECT_EQ(AudioFormatFromHeaders(c.code, c.bytes.size(), Reader(c.bytes), &format), c.known);
    const Expected& e = c.format;
    EXPECT_EQ(std::tie(format.wFormatTag, format.nChannels, format.nSamplesPerSec, format.nAvgBytesPerSec,
                       format.nBlockAlign, format.wBitsPerSample, format.cbSize),
              std::make_tuple(e.tag, e.channels, e.rate, e.bytesPerSecond, e.blockAlign, e.bits, WORD{0}));
  }
}

// A file cut short anywhere is answered, never read past its end.
TEST(AudioFormatTest, TruncatedFilesAreAnsweredSafely) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    for (size_t length = 0; length < std::min<size_t>(c.bytes.size(), 1500); ++length) {
      const std::string cut = c.bytes.substr(0, length);
      _WAVEFORMATEX format = {};
      if (!AudioFormatFromHeaders(c.code, cut.size(), Reader(cut), &format)) {
        EXPECT_EQ(format.nSamplesPerSec, 0u);
      }
    }
  }
}

TEST(AudioFormatTest, ReadsFilesWithLargeTagsAndRefusesMissingOnes) {
  testing_support::TemporaryFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  // A tag holding a picture lies past the first read.
  const std::string bigBytes = Id3v2(20000) + test_tracks::Mp3(3);
  const std::string big = folder.Write("big.mp3", bigBytes);
  _WAVEFORMATEX format = {};
  ASSERT_TRUE(ReadAudioFormat(big, WMDM_FORMATCODE_MP3, bigBytes.size(), &format));
  EXPECT_EQ(std::tie(format.wFormatTag, format.nSamplesPerSec, format.nAvgBytesPerSec),
            std::make_tuple(WORD{0x55}, DWORD{44100}, DWORD{16000}));
  const std::string wavBytes = test_tracks::Wav(10);
  const std::string wav = folder.Write("a.wav", wavBytes);
  ASSERT_TRUE(ReadAudioFormat(wav, WMDM_FORMATCODE_WAVE, wavBytes.size(), &format));
  EXPECT_EQ(format.wBitsPerSample, 16);
  EXPECT_FALSE(ReadAudioFormat(folder.Path() + "/missing.mp3", WMDM_FORMATCODE_MP3, 1251, &format));
  EXPECT_EQ(format.nSamplesPerSec, 0u);
  EXPECT_FALSE(ReadAudioFormat(wav, WMDM_FORMATCODE_WMA, wavBytes.size(), &format));
}

}  // namespace
}  // namespace wmdm_standin
