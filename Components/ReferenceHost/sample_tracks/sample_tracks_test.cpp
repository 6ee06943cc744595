// The made tracks are what a player and TagLib take them for: frames that
// chain from sync to sync at the stated rate, a well-formed RIFF header, and
// tags that read back.
#include "sample_flac.h"
#include "sample_tracks.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <utility>
#include <vector>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

namespace sample_tracks {
namespace {

uint32_t Little(const std::string& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(SampleTracksTest, Mp3FramesChainAtTheirBitRate) {
  for (unsigned frames : {1u, 2u, 39u, 200u}) {
    SCOPED_TRACE(frames);
    const std::string bytes = SilentMp3(frames);
    size_t at = 0, count = 0, padded = 0;
    while (at + 4 <= bytes.size()) {
      ASSERT_EQ(static_cast<unsigned char>(bytes[at]), 0xFF) << "no sync at " << at;
      ASSERT_EQ(static_cast<unsigned char>(bytes[at + 1]), 0xFB) << "not MPEG-1 Layer III without CRC";
      const unsigned char third = static_cast<unsigned char>(bytes[at + 2]);
      ASSERT_EQ(third & 0xFC, 0x90) << "not 128 kbit/s at 44.1 kHz";
      const bool pad = third & 0x02;
      padded += pad;
      at += 417 + (pad ? 1 : 0);
      ++count;
    }
    EXPECT_EQ(at, bytes.size()) << "the last frame is cut short or followed by junk";
    EXPECT_EQ(count, frames);
    // 417.96 bytes a frame on average: all but about one in 25 frames padded.
    EXPECT_NEAR(static_cast<double>(bytes.size()) / frames, 144.0 * 128000 / 44100, 1.0);
    if (frames >= 39) {
      EXPECT_GT(padded, frames * 9 / 10);
    }
  }
}

TEST(SampleTracksTest, WavHeaderDescribesItsData) {
  const std::string bytes = SilentWav(0.5);
  ASSERT_EQ(bytes.size(), 44u + 22050u * 4);
  EXPECT_EQ(bytes.substr(0, 4) + bytes.substr(8, 8) + bytes.substr(36, 4), "RIFFWAVEfmt data");
  // Size after the first eight bytes; PCM, stereo, 44.1 kHz, 16-bit: half a second of it.
  const std::vector<uint32_t> fields = {Little(bytes, 4, 4),  Little(bytes, 20, 2), Little(bytes, 22, 2),
                                        Little(bytes, 24, 4), Little(bytes, 28, 4), Little(bytes, 32, 2),
                                        Little(bytes, 34, 2), Little(bytes, 40, 4)};
  EXPECT_EQ(fields, (std::vector<uint32_t>{36 + 22050 * 4, 1, 2, 44100, 44100 * 4, 4, 16, 22050 * 4}));
}

TEST(SampleTracksTest, EveryTrackReadsBackThroughTagLib) {
  char pattern[] = "/tmp/md-tracks-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  std::vector<Track> tracks = DefaultTracks();
  tracks.push_back(LosslessTrack());
  for (const Track& track : tracks) {
    SCOPED_TRACE(track.file);
    std::string error;
    const bool lossless = track.file.find(".flac") != std::string::npos;
    ASSERT_TRUE(lossless ? WriteFlacTrack(folder, track, &error) : WriteTrack(folder, track, &error)) << error;
    TagLib::FileRef file((folder + "/" + track.file).c_str());
    ASSERT_FALSE(file.isNull());
    const TagLib::PropertyMap tags = file.file()->properties();
    auto tag = [&](const char* name) {
      return tags.contains(name) ? tags[name].front().to8Bit(true) : std::string("<none>");
    };
    EXPECT_EQ((std::vector<std::string>{tag("TITLE"), tag("ARTIST"), tag("ALBUMARTIST"), tag("ALBUM"), tag("GENRE")}),
              (std::vector<std::string>{track.title, track.artist, track.albumArtist, track.album, track.genre}));
    EXPECT_EQ(std::make_pair(file.tag()->year(), file.tag()->track()), std::make_pair(track.year, track.number));
    ASSERT_NE(file.audioProperties(), nullptr);
    EXPECT_EQ(std::make_pair(file.audioProperties()->sampleRate(), file.audioProperties()->channels()),
              std::make_pair(44100, 2));
    EXPECT_NEAR(file.audioProperties()->lengthInMilliseconds(), track.seconds * 1000, 60);
    if (track.file.find(".mp3") != std::string::npos) {
      EXPECT_EQ(file.audioProperties()->bitrate(), 128);
    }
  }
  std::system(("rm -rf '" + folder + "'").c_str());
}

}  // namespace
}  // namespace sample_tracks
