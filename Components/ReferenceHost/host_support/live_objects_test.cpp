// Every test of the host's support code ends with as many stand-in COM
// objects alive as it began with: one check for all of them, the fixtures
// that make no COM object included.
#include <gtest/gtest.h>

#include <com_support.h>

namespace {

class LiveObjectsCheck final : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { before_ = wmdm_standin::LiveComObjects(); }
  void OnTestEnd(const testing::TestInfo&) override {
    EXPECT_EQ(wmdm_standin::LiveComObjects(), before_) << "a stand-in object outlived its test";
  }
  long before_ = 0;
};

const bool installed = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new LiveObjectsCheck);
  return true;
}();

}  // namespace
