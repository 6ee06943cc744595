#include "convert/conversion_queue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class ConversionQueueTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("md-queue-test-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // A converter that waits until `together` conversions run at once (or it
  // is stopped), so that a queue converting one at a time never ends it.
  Converter Meeting(int together) {
    return [this, together](const std::string& source, const std::string& destination, const EncodeSettings&,
                            const std::atomic<bool>& stop) {
      std::unique_lock<std::mutex> lock(mutex_);
      ++running_;
      most_ = std::max(most_, running_);
      met_.notify_all();
      met_.wait_for(lock, std::chrono::seconds(2), [&] { return most_ >= together || stop; });
      --running_;
      std::ofstream(fs::u8path(destination)) << "half";
      if (stop) return ConversionResult{false, true, "stopped"};
      if (source.find("bad") != std::string::npos) return ConversionResult{false, false, "not an audio file"};
      std::ofstream(fs::u8path(destination)) << "mp3 of " << source;
      return ConversionResult{true, false, ""};
    };
  }

  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& item : fs::recursive_directory_iterator(root_, error))
      if (item.is_regular_file()) files.push_back(item.path().filename().u8string());
    return files;
  }

  fs::path root_;
  std::mutex mutex_;
  std::condition_variable met_;
  int running_ = 0, most_ = 0;
};

TEST_F(ConversionQueueTest, RunsJobsAtOnceAndAnswersInOrder) {
  const ConversionCache cache(root_.u8string(), 1 << 20, Meeting(2));
  ConversionQueue queue(cache, EncodeSettings(), 2);
  const char* names[] = {"/m/a.flac", "/m/bad.flac", "/m/c.ogg", "/m/d.opus"};
  for (const char* name : names) queue.Add({name, 1, 1});
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(names[i]);
    const ConversionOutcome outcome = queue.Wait(i);
    EXPECT_EQ(outcome.ok, i != 1) << outcome.problem;
    if (i == 1) {
      EXPECT_EQ(outcome.problem, "not an audio file");
    }
    if (outcome.ok) {
      EXPECT_EQ(fs::u8path(outcome.mp3).stem(), fs::u8path(names[i]).stem());
    }
  }
  EXPECT_EQ(most_, 2);
  EXPECT_EQ(queue.Converted(), 3u);
}

TEST_F(ConversionQueueTest, CachedTrackIsNotConvertedAgain) {
  const ConversionCache cache(root_.u8string(), 1 << 20, Meeting(1));
  for (const bool again : {false, true}) {
    ConversionQueue queue(cache, EncodeSettings(), 1);
    queue.Add({"/m/a.flac", 1, 1});
    const ConversionOutcome outcome = queue.Wait(0);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.converted, !again);
  }
}

TEST_F(ConversionQueueTest, StopLeavesNoHalfConvertedFile) {
  // Two workers, each waiting for a third that never comes: both are in
  // the middle of a conversion when the stop comes.
  const ConversionCache cache(root_.u8string(), 1 << 20, Meeting(3));
  {
    ConversionQueue queue(cache, EncodeSettings(), 2);
    for (const char* name : {"/m/a.flac", "/m/b.flac", "/m/c.flac"}) queue.Add({name, 1, 1});
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ASSERT_TRUE(met_.wait_for(lock, std::chrono::seconds(10), [&] { return running_ == 2; }))
          << "two conversions never ran at once";
    }
    queue.Stop();
    EXPECT_FALSE(queue.Wait(2).ok);
  }
  EXPECT_EQ(Files(), std::vector<std::string>());
}

}  // namespace
