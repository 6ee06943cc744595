#include "convert/conversion_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Writes `bytes` bytes, or fails as told; counts its calls.
struct FakeConverter {
  int calls = 0;
  size_t bytes = 100;
  bool fail = false;
  bool honourStop = false;

  Converter Bind() {
    return [this](const std::string&, const std::string& destination, const EncodeSettings&,
                  const std::atomic<bool>& stop) {
      ++calls;
      std::ofstream(fs::u8path(destination), std::ios::binary) << std::string(bytes, 'x');
      if (honourStop && stop) return ConversionResult{false, true, "stopped"};
      if (fail) return ConversionResult{false, false, "corrupt FLAC file"};
      return ConversionResult{true, false, ""};
    };
  }
};

class ConversionCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("md-cache-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Every file below the root, unfinished conversions included.
  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& item : fs::recursive_directory_iterator(root_, error))
      if (item.is_regular_file()) files.push_back(item.path().lexically_relative(root_).generic_u8string());
    return files;
  }

  fs::path root_;
  std::atomic<bool> stop_{false};
};

const CacheSource kSong{"/music/Album/01 Song.flac", 1000, 42};

TEST_F(ConversionCacheTest, ConvertsEachSourceAndSettingsOnce) {
  FakeConverter fake;
  const ConversionCache cache(root_.u8string(), 1 << 20, fake.Bind());
  ASSERT_FALSE(cache.Has(kSong, EncodeSettings()));
  ASSERT_TRUE(cache.Make(kSong, EncodeSettings(), stop_).ok);
  EXPECT_TRUE(cache.Has(kSong, EncodeSettings()));
  EXPECT_EQ(fs::u8path(cache.PathFor(kSong, EncodeSettings())).filename(), "01 Song.mp3");

  // Anything that would change the MP3 is another entry: converted again.
  CacheSource resized = kSong, touched = kSong, moved = kSong;
  resized.size += 1;
  touched.modified += 1;
  moved.path = "/music/Other/01 Song.flac";
  EncodeSettings constant;
  constant.bitrateKbps = 320;
  for (const CacheSource& changed : {resized, touched, moved})
    EXPECT_FALSE(cache.Has(changed, EncodeSettings())) << changed.path << " " << changed.size;
  EXPECT_FALSE(cache.Has(kSong, constant));
  EXPECT_EQ(fake.calls, 1);
}

TEST_F(ConversionCacheTest, FailedOrStoppedConversionLeavesNothing) {
  for (const bool stopped : {false, true}) {
    SCOPED_TRACE(stopped ? "stopped" : "failed");
    FakeConverter fake;
    fake.fail = !stopped;
    fake.honourStop = stopped;
    stop_ = stopped;
    const ConversionCache cache(root_.u8string(), 1 << 20, fake.Bind());
    const ConversionResult result = cache.Make(kSong, EncodeSettings(), stop_);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.stopped, stopped);
    EXPECT_FALSE(cache.Has(kSong, EncodeSettings()));
    EXPECT_EQ(Files(), std::vector<std::string>());
  }
}

TEST_F(ConversionCacheTest, LimitTakesLeastRecentlyUsedFirstButNeverWhatIsKept) {
  FakeConverter fake;
  fake.bytes = 400;
  const ConversionCache cache(root_.u8string(), 1000, fake.Bind());
  std::vector<CacheSource> sources;
  for (int i = 0; i < 4; ++i) {
    sources.push_back({"/music/" + std::to_string(i) + ".flac", 10, i});
    ASSERT_TRUE(cache.Make(sources.back(), EncodeSettings(), stop_).ok);
    // Used in this order, a second apart as the file system sees it.
    fs::last_write_time(fs::u8path(cache.PathFor(sources.back(), EncodeSettings())),
                        fs::file_time_type::clock::now() - std::chrono::seconds(10 - i));
  }
  cache.Has(sources[0], EncodeSettings());  // a hit: now the most recent
  cache.Trim({cache.PathFor(sources[1], EncodeSettings())});
  // 1,600 bytes over a limit of 1,000: two entries go, the oldest not kept.
  EXPECT_TRUE(cache.Has(sources[0], EncodeSettings()));
  EXPECT_TRUE(cache.Has(sources[1], EncodeSettings()));
  EXPECT_FALSE(cache.Has(sources[2], EncodeSettings()));
  EXPECT_FALSE(cache.Has(sources[3], EncodeSettings()));
}

TEST_F(ConversionCacheTest, CleanEmptiesIt) {
  FakeConverter fake;
  const ConversionCache cache(root_.u8string(), 1 << 20, fake.Bind());
  ASSERT_TRUE(cache.Make(kSong, EncodeSettings(), stop_).ok);
  std::string error;
  EXPECT_TRUE(cache.Clean(&error)) << error;
  EXPECT_FALSE(cache.Has(kSong, EncodeSettings()));
  EXPECT_EQ(Files(), std::vector<std::string>());
}

}  // namespace
