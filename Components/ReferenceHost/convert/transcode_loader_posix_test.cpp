#include "convert/transcode_module.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

TEST(TranscodeLoaderTest, AModuleThatCannotBeHadIsARefusalInWords) {
  struct Case {
    int line;
    std::string path;
    const char* words;
  };
  const Case cases[] = {
      {__LINE__, "/nonexistent/libmdhost_transcode.so", "cannot load the converter"},
      {__LINE__, "libm.so.6", "has no entry MdTranscodeToMp3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string problem;
    EXPECT_EQ(LoadTranscodeEntry(c.path, &problem), nullptr);
    EXPECT_NE(problem.find(c.words), std::string::npos) << problem;
  }
}

TEST(TranscodeLoaderTest, TheProgramsOwnModuleIsBesideIt) {
  std::string problem;
  EXPECT_NE(LoadTranscodeEntry(TranscodeModulePath(), &problem), nullptr) << problem;
}

// What the module answers comes back whole through the entry.
TEST(TranscodeLoaderTest, AFailedTranscodeKeepsItsReasonAndLeavesNothing) {
  const std::string destination = testing::TempDir() + "transcode_loader_test.mp3";
  const std::atomic<bool> stop{false};
  const TranscodeResult result = TranscodeToMp3("/nonexistent/track.flac", destination, EncodeSettings{}, stop);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.stopped);
  EXPECT_FALSE(result.problem.empty());
  EXPECT_FALSE(std::filesystem::exists(destination));
}

}  // namespace
